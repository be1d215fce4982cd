#include "cli/passphrase_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "support/secure_memory.h"

namespace vlt::cli {

std::optional<std::string> ReadPassphraseFile(const std::string& path) {
    // A passphrase is short: a directory, or a device that never ends, is refused
    // after a bounded read.
    constexpr std::size_t kMaxPassphraseFileSize = 4096;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string text;
    char buffer[kMaxPassphraseFileSize + 1];
    ssize_t n = 0;
    while (text.size() <= kMaxPassphraseFileSize &&
           (n = ::read(fd, buffer, sizeof buffer - text.size())) != 0) {
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int saved = errno;
            SecureZero(buffer, sizeof buffer);
            ::close(fd);
            errno = saved;
            return std::nullopt;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    SecureZero(buffer, sizeof buffer);
    ::close(fd);
    if (text.size() > kMaxPassphraseFileSize) {
        SecureZero(text.data(), text.size());
        errno = EFBIG;
        return std::nullopt;
    }
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
    }
    return text;
}

} // namespace vlt::cli
