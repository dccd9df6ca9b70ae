#pragma once
// One kavro-cli subcommand. Its maker adds it and its options to the parser; main() keeps
// the list of makers and runs the one the command line chose.
#include <memory>

namespace CLI {
class App;
}

// Exit codes shared by the subcommands (parse errors keep CLI11's own codes).
inline constexpr int kExitOk = 0;
inline constexpr int kExitDamaged = 1;  // the image was read and fails a check
inline constexpr int kExitFailed = 2;   // the work could not be done: unreadable input, unwritable output

class CliCommand {
public:
    virtual ~CliCommand() = default;
    // True when the command line named this subcommand.
    virtual bool Chosen() const = 0;
    // Does the work; answers the process's exit code.
    virtual int Run() = 0;
};

using CliCommandMaker = std::unique_ptr<CliCommand> (*)(CLI::App& parent);
