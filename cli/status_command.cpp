#include <filesystem>
#include <iostream>

#include "batch/directory_list.h"
#include "batch/shown_name.h"
#include "cli/commands.h"
#include "container/format.h"

namespace vlt::cli {

namespace {

const char* StateText(const std::string& path) {
    const CheckResult result = CheckEncrypted(path);
    if (result.code == ceNotEncrypted) {
        return "Not encrypted";
    }
    if (result.code == ceEncrypted) {
        switch (result.generationWord >> 8) {
        case kGenerationVlt95:
            return "Encrypted with VLT95";
        case kGenerationVlt7:
            return "Encrypted with VLT7";
        default:
            break;
        }
    }
    return "???";
}

} // namespace

int RunStatusCommand(const CliOptions& options) {
    bool unknown = false;
    const auto report = [&](const std::string& path) {
        const char* state = StateText(path);
        unknown = unknown || state[0] == '?';
        std::cout << ShownName(path) << ": " << state << '\n';
    };
    TDirectoryList list(TDirectoryList::kMaxBlocks, true);
    for (const std::string& argument : options.paths) {
        const std::string path = RealPath(argument);
        std::error_code error;
        if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, error))) {
            report(path);
            continue;
        }
        if (!list.Build(path + (path == "/" ? "" : "/") + options.mask, 0, true, true)) {
            std::cout << ShownName(path) << ": ???\n";
            unknown = true;
            continue;
        }
        std::string file;
        std::int64_t size = 0;
        for (list.First(file, size); !file.empty(); list.Next(file, size)) {
            report(file);
        }
    }
    std::cout.flush();
    return unknown ? kExitErrors : kExitOk;
}

} // namespace vlt::cli
