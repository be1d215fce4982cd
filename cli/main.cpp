// vlt95-cli: the batch engine of the workbench for scripts and headless machines.
#include <csignal>
#include <iostream>

#include "batch/program_lifecycle.h"
#include "cli/cli_options.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    using namespace vlt::cli;
    // A closed output pipe must not end a run half way through a file.
    std::signal(SIGPIPE, SIG_IGN);
    vlt::InitialiseModules();
    CliOptions options;
    const std::string error = ParseCommandLine(argc, argv, options);
    if (!error.empty()) {
        return UsageError(error);
    }
    switch (options.command) {
    case Command::Help:
        (argc > 1 ? std::cout : std::cerr) << UsageText();
        return argc > 1 ? kExitOk : kExitUsage;
    case Command::Version:
        std::cout << "vlt95-cli " << VLT_VERSION << '\n';
        return kExitOk;
    case Command::Status:
        return RunStatusCommand(options);
    case Command::ClearFreeSpace:
        return RunClearFreeSpaceCommand(options);
    case Command::Encrypt:
    case Command::Decrypt:
    case Command::Wipe:
    case Command::Verify:
        break;
    }
    return RunBatchCommand(options);
}
