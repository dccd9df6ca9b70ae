#pragma once
// Runs the kavro-cli executable of this build and keeps what it printed and its exit code.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliResult RunCli(const std::vector<std::string>& arguments);

// A kavro-cli process of its own, running while the test watches it: its stderr goes to a file.
class CliProcess {
public:
    explicit CliProcess(const std::vector<std::string>& arguments);
    // Kills a process still running.
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t Pid() const { return pid_; }
    std::string Errors() const;
    // Waits up to 10 s until stderr holds `text`; false on time-out.
    bool WaitForError(const std::string& text) const;
    // Waits up to `limit` for the end; the exit status, -1 when a signal ended it, -2 when
    // it still runs.
    int Wait(std::chrono::milliseconds limit = std::chrono::seconds(60));
    bool Running() const;
    struct ThreadPriority {
        int nice = 0;
        int policy = 0;  // SCHED_OTHER 0, SCHED_IDLE 5
    };
    // The priority of each of its threads, from /proc.
    std::vector<ThreadPriority> ThreadPriorities() const;

private:
    ScratchFolder scratch_;
    pid_t pid_ = -1;
};


