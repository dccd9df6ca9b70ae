// Signals a system-wide named semaphore from a process of its own, creating it when it does
// not exist, as another program (or a run killed before it could take its signal) would
// leave it. Exit status 0 when it was signalled.
#include <fcntl.h>
#include <semaphore.h>

#include <string>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    sem_t* semaphore = sem_open((std::string("/") + argv[1]).c_str(), O_CREAT, 0600, 0);
    if (semaphore == SEM_FAILED) return 1;
    const bool posted = sem_post(semaphore) == 0;
    sem_close(semaphore);
    return posted ? 0 : 1;
}
