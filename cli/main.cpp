// kavro-cli: the converter's work without the dialog. Each subcommand lives in its own file.
#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <vector>

#include "cli/CliCommand.h"

std::unique_ptr<CliCommand> MakeConvertCommand(CLI::App& parent);
std::unique_ptr<CliCommand> MakePlanCommand(CLI::App& parent);
std::unique_ptr<CliCommand> MakeInspectCommand(CLI::App& parent);
std::unique_ptr<CliCommand> MakePreviewCommand(CLI::App& parent);

namespace {

// The subcommands, in the order `--help` lists them.
constexpr CliCommandMaker kCommandMakers[] = {
    MakeConvertCommand,
    MakePlanCommand,
    MakeInspectCommand,
    MakePreviewCommand,
};

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"KAVRO: movies as handheld cartridge images"};
    app.require_subcommand(1);
    std::vector<std::unique_ptr<CliCommand>> commands;
    for (CliCommandMaker make : kCommandMakers) commands.push_back(make(app));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version exit 0; every other mistake on the command line is a usage error.
        return app.exit(e) == 0 ? kExitOk : kExitUsage;
    }
    try {
        for (const auto& command : commands)
            if (command->Chosen()) return command->Run();
    } catch (const std::exception& e) {
        // Only the standard library throws here (memory, file system).
        std::cerr << "kavro-cli: " << e.what() << "\n";
        return kExitFailed;
    }
    return kExitFailed;
}
