#pragma once
// A "full disk" without a file system of its own: while the limit lives, writes beyond
// `bytes` in any one file fail (EFBIG) as on a full disk, and SIGXFSZ is ignored.
#include <sys/resource.h>

namespace vlt::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

} // namespace vlt::testing
