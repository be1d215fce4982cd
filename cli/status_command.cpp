#include <filesystem>
#include <iostream>

#include "batch/directory_list.h"
#include "batch/file_state.h"
#include "batch/shown_name.h"
#include "cli/commands.h"

namespace vlt::cli {

namespace {

// The compatibility setting only decides the browser's icon; the text is the same.
FileState StateOf(const std::string& path) {
    return FileStateOf(CheckEncrypted(path), false);
}

} // namespace

int RunStatusCommand(const CliOptions& options) {
    bool unknown = false;
    const auto report = [&](const std::string& path) {
        const FileState state = StateOf(path);
        unknown = unknown || state.kind == ikFile;
        std::cout << ShownName(path) << ": " << state.text << '\n';
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
