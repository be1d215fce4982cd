#include "platform/dir_search.h"

#include "platform/attributes.h"
#include "platform/paths.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vlt {

bool DirSearch::First(const std::string& directory, const std::string& mask) {
    Close();
    const std::string path = directory.empty() ? std::string(".") : directory;
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        openError_ = errno;
        return false;
    }
    DIR* dir = fdopendir(fd);
    if (!dir) {
        openError_ = errno;
        close(fd);
        return false;
    }
    struct stat self {};
    struct stat root {};
    isRoot_ =
        fstat(fd, &self) == 0 && stat("/", &root) == 0 && self.st_dev == root.st_dev && self.st_ino == root.st_ino;
    dir_ = dir;
    dirFd_ = fd;
    mask_ = mask;
    return Advance();
}

bool DirSearch::Next() {
    return dir_ != nullptr && Advance();
}

bool DirSearch::Advance() {
    auto* dir = static_cast<DIR*>(dir_);
    while (const dirent* found = readdir(dir)) {
        const std::string name = found->d_name;
        const bool dots = name == "." || name == "..";
        if ((dots && isRoot_) || !MatchesMask(name, mask_)) {
            continue;
        }
        struct stat info {};
        if (fstatat(dirFd_, found->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue; // removed since readdir saw it
        }
        entry_ = FoundEntry{};
        entry_.name = name;
        entry_.attributes = AttributesFromMode(name, info.st_mode);
        entry_.isDirectory = S_ISDIR(info.st_mode);
        entry_.isRegularFile = S_ISREG(info.st_mode);
        entry_.isSymlink = S_ISLNK(info.st_mode);
        entry_.size = entry_.isRegularFile ? static_cast<std::uint64_t>(info.st_size) : 0;
        entry_.lastWrite = static_cast<std::int64_t>(info.st_mtim.tv_sec);
        entry_.identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
        return true;
    }
    return false;
}

void DirSearch::Close() {
    if (dir_) {
        closedir(static_cast<DIR*>(dir_)); // closes dirFd_ as well
    }
    dir_ = nullptr;
    dirFd_ = -1;
    isRoot_ = false;
    openError_ = 0;
}

} // namespace vlt
