#include "platform/current_directory.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vlt {

bool SetCurrentDirectory(const std::string& directory) {
    return chdir(directory.c_str()) == 0;
}

std::string CurrentDirectory() {
    std::vector<char> buffer(PATH_MAX);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return chdir("/") == 0 ? "/" : std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace vlt
