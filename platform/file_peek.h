#pragma once
// Quick looks at the first bytes of the files of one directory, for telling file
// formats apart in bulk.
#include <cstddef>
#include <cstdint>
#include <string>

namespace vlt {

class OpenDirectory {
public:
    // `path` ends in "/". The directory is held open, so that its files are found by
    // name alone (no walk of the whole path per file), even if it is renamed meanwhile.
    explicit OpenDirectory(std::string path);
    ~OpenDirectory();
    OpenDirectory(const OpenDirectory&) = delete;
    OpenDirectory& operator=(const OpenDirectory&) = delete;

    const std::string& Path() const { return path_; }

    // Reads up to `size` bytes from the start of the file `name`. The file is opened
    // read-only, without following a final symbolic link and without blocking on a
    // fifo, under a shared lock: a file another program holds exclusively (one being
    // rewritten) counts as unreadable, while two readers never disturb each other.
    // The bytes read, or -1 when the file cannot be opened, locked or read.
    [[nodiscard]] std::int64_t PeekFileStart(const std::string& name, void* buffer, std::size_t size) const;

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace vlt
