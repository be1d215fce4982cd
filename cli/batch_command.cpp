#include <filesystem>
#include <iostream>

#include "batch/job_driver.h"
#include "batch/shown_name.h"
#include "cli/commands.h"
#include "cli/terminal_host.h"
#include "cli/terminal_io.h"
#include "cli/terminal_messages.h"
#include "platform/config_location.h"
#include "platform/drives.h"
#include "platform/no_follow.h"
#include "platform/paths.h"
#include "settings/settings_file.h"

namespace vlt::cli {

namespace {

JobMode ModeOf(Command command) {
    switch (command) {
    case Command::Decrypt:
        return jmDecrypt;
    case Command::Wipe:
        return jmWipe;
    case Command::Verify:
        return jmVerify;
    default:
        return jmEncrypt;
    }
}

// Sorts the path arguments into the browser's groups: directories, files and drives
// (mount points). An error text for a path that cannot be processed.
std::string Classify(const CliOptions& options, JobSelection& selection) {
    selection.mask = options.mask;
    for (const std::string& argument : options.paths) {
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::symlink_status(argument, error);
        const std::string shown = ShownName(argument);
        if (error || !std::filesystem::exists(status)) {
            return shown + ": no such file or directory";
        }
        if (std::filesystem::is_symlink(status)) {
            return shown + ": symbolic links are not followed";
        }
        const std::string path = RealPath(argument);
        if (std::filesystem::is_directory(status)) {
            const bool mountPoint = path == "/" || !SameFileSystem(path, PathDirPart(path));
            (mountPoint ? selection.drives : selection.directories).push_back(path);
        } else if (std::filesystem::is_regular_file(status)) {
            selection.files.push_back(path);
        } else {
            return shown + ": neither a file nor a directory";
        }
    }
    return "";
}

} // namespace

int UsageError(const std::string& message) {
    std::cerr << "vlt95-cli: " << message << "\nTry 'vlt95-cli --help'." << std::endl;
    return kExitUsage;
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    std::string absolute = std::filesystem::absolute(path, error).lexically_normal().string();
    if (error) {
        absolute = path;
    }
    while (absolute.size() > 1 && absolute.back() == '/') {
        absolute.pop_back();
    }
    return absolute;
}

std::string RealPath(const std::string& argument) {
    return ResolveDirectoryPart(AbsolutePath(argument));
}

int RunBatchCommand(const CliOptions& options) {
    SettingsRecord settings{};
    // Missing or damaged: the defaults. The program's own location is looked up (and
    // made) only when no --config names the file.
    (void)LoadSettings(options.config ? *options.config : ConfigFilePath(), settings);
    if (const std::string error = ApplyOverrides(options, settings); !error.empty()) {
        return UsageError(error);
    }
    if (options.destination && !std::filesystem::is_directory(*options.destination)) {
        TerminalMessageBoxes(options.yes, options.overwrite)
            .ShowMessage("Input Error", "\"" + ShownName(*options.destination) + "\" is not a valid directory!",
                         MsgIcon::Error);
        return kExitUsage;
    }
    JobSelection selection;
    if (const std::string error = Classify(options, selection); !error.empty()) {
        return UsageError(error);
    }
    CliOptions effective = options;
    if (effective.destination) {
        std::error_code error;
        const std::filesystem::path real = std::filesystem::canonical(*effective.destination, error);
        effective.destination = error ? AbsolutePath(*effective.destination) : real.string();
    }
    RunState state;
    StopOnInterrupt(state.UserBreak);
    TerminalHost host(effective, settings, std::move(selection));
    const JobOutcome outcome = RunJob(ModeOf(options.command), host, settings, state);
    if (host.PassphraseRejected()) {
        return kExitUsage;
    }
    if (outcome.cancelled) {
        return kExitStopped;
    }
    const bool anyFailure = outcome.failed || outcome.errors > 0 || outcome.wipesFailed > 0;
    return anyFailure || host.LogSaveFailed() ? kExitErrors : kExitOk;
}

} // namespace vlt::cli
