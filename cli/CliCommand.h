#pragma once
// One kavro-cli subcommand. Its maker adds it and its options to the parser; main() keeps
// the list of makers and runs the one the command line chose.
#include <memory>

namespace CLI {
class App;
}

// Exit codes shared by the subcommands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitDamaged = 1;  // the image was read and fails a check; a conversion failed
inline constexpr int kExitFailed = 2;   // the work could not be done: unreadable input, unwritable output
inline constexpr int kExitUsage = 2;    // a mistake on the command line

class CliCommand {
public:
    virtual ~CliCommand() = default;
    // True when the command line named this subcommand.
    virtual bool Chosen() const = 0;
    // Does the work; answers the process's exit code.
    virtual int Run() = 0;
};

using CliCommandMaker = std::unique_ptr<CliCommand> (*)(CLI::App& parent);
