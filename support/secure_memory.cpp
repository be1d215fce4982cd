#include "support/secure_memory.h"

#include <cstring>

namespace vlt {

void SecureZero(void* data, std::size_t n) noexcept {
    if (data && n) {
        explicit_bzero(data, n);
    }
}

} // namespace vlt
