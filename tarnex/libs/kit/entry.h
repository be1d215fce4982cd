#pragma once

#include "tarnex/libs/kit/messages.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string.h>

// The only symbols a cipher library exports: its entry points and its host attachment.
#define TARNEX_EXPORT extern "C" __attribute__((visibility("default")))

namespace tarnex::kit {

// Size of one piece of file content moved through a library's buffers.
constexpr std::size_t kPieceSize = 64 * 1024;

// A heap buffer for file content, wiped before release. Stays empty when memory is short, which the
// library reports with its own allocation message.
class ContentBuffer {
public:
    explicit ContentBuffer(std::size_t size) : data_(new (std::nothrow) std::uint8_t[size]), size_(data_ ? size : 0) {}
    ~ContentBuffer() {
        if (data_) {
            explicit_bzero(data_.get(), size_);
        }
    }
    ContentBuffer(const ContentBuffer&) = delete;
    ContentBuffer& operator=(const ContentBuffer&) = delete;

    [[nodiscard]] bool Valid() const { return data_ != nullptr; }
    [[nodiscard]] std::span<std::uint8_t> Span() { return {data_.get(), size_}; }

private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t size_;
};

// A file name or key as the program passes it: present and not empty.
[[nodiscard]] inline bool IsGivenText(const char* text) {
    return text != nullptr && text[0] != '\0';
}

} // namespace tarnex::kit
