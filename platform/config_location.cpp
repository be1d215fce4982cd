#include "platform/config_location.h"

#include "platform/paths.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vlt {

namespace {

constexpr const char* kConfigName = "vlt95.cfg";

bool CreateDirectories(const std::string& directory) {
    // Each level in turn; existing ones are fine.
    for (std::size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        const std::string level = directory.substr(0, slash);
        if (!level.empty() && mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    struct stat info {};
    return stat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::string ProgramDirectory() {
    std::vector<char> buffer(4096);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
        return {};
    }
    return PathDirPart(std::string(buffer.data(), static_cast<std::size_t>(n)));
}

std::string HomeDirectory() {
    std::string home;
    if (const char* env = std::getenv("HOME"); env && env[0] == '/') {
        home = env;
    } else if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir && entry->pw_dir[0] == '/') {
        home = entry->pw_dir;
    }
    while (!home.empty() && home.back() == '/') {
        home.pop_back();
    }
    return home;
}

std::string ChooseConfigFilePath(const std::string& programDirectory, const std::string& installedProgramDirectory,
                                 const std::string& xdgConfigHome, const std::string& homeDirectory) {
    if (!programDirectory.empty()) {
        const std::string beside = programDirectory + kConfigName;
        const bool portable = programDirectory != installedProgramDirectory;
        struct stat info {};
        if (lstat(beside.c_str(), &info) == 0 || (portable && access(programDirectory.c_str(), W_OK) == 0)) {
            return beside;
        }
    }
    const std::string base =
        !xdgConfigHome.empty() && xdgConfigHome[0] == '/' ? xdgConfigHome : homeDirectory + "/.config";
    const std::string directory = base + "/vlt95";
    // Without the directory the save fails quietly later; loading gives the defaults.
    static_cast<void>(CreateDirectories(directory));
    return directory + "/" + kConfigName;
}

std::string ConfigFilePath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    return ChooseConfigFilePath(ProgramDirectory(), VLT_INSTALL_BINDIR, xdg ? xdg : "", HomeDirectory());
}

} // namespace vlt
