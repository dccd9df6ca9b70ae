#include "tests/cli/CliRun.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

std::string Quoted(const std::string& argument) {
    std::string quoted = "'";
    for (char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& arguments) {
    const ScratchFolder scratch;
    const std::filesystem::path errors = scratch.Path() / "stderr";
    std::string command = Quoted(KAVRO_CLI_PATH);
    // Appended piece by piece: GCC 12 at -O3 takes " " + Quoted(...) for an overlapping copy (-Wrestrict).
    for (const std::string& argument : arguments) command.append(" ").append(Quoted(argument));
    command.append(" 2>").append(Quoted(errors.string()));
    CliResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot start " + command);
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = ReadText(errors);
    return result;
}

CliProcess::CliProcess(const std::vector<std::string>& arguments) {
    const std::string errors = (scratch_.Path() / "stderr").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> words{KAVRO_CLI_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
}

CliProcess::~CliProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

std::string CliProcess::Errors() const { return ReadText(scratch_.Path() / "stderr"); }

bool CliProcess::WaitForError(const std::string& text) const {
    for (int wait = 0; wait < 200; ++wait) {
        if (Errors().find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

int CliProcess::Wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) return -2;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool CliProcess::Running() const {
    siginfo_t info{};
    // Looks without reaping: Wait still gets the status.
    return pid_ > 0 && waitid(P_PID, id_t(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

std::vector<CliProcess::ThreadPriority> CliProcess::ThreadPriorities() const {
    std::vector<ThreadPriority> values;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid_) + "/task")) {
        // Fields 19 and 41 of stat are the nice value and the policy; the command name before
        // them is in parentheses.
        const std::string stat = ReadText(task.path() / "stat");
        const size_t end = stat.rfind(')');
        if (end == std::string::npos) continue;
        std::istringstream fields(stat.substr(end + 2));
        std::string field;
        ThreadPriority priority;
        for (int index = 3; index <= 41 && fields >> field; ++index) {
            if (index == 19) priority.nice = std::stoi(field);
            if (index == 41) priority.policy = std::stoi(field);
        }
        values.push_back(priority);
    }
    return values;
}
