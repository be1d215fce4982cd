#pragma once
// 32-bit key words as the GOST and Cobra key setups read them.
#include <cstddef>
#include <cstdint>

namespace vlt {

// Each word from the next four key bytes, the first byte most significant. The
// byte index returns to 0 at the end of the key, so a short key repeats and
// bytes after the first 4 * Count are not used. length must not be 0.
template <std::size_t Count>
void CycledKeyWords(const std::uint8_t* key, std::uint16_t length, std::uint32_t (&words)[Count]) {
    std::size_t index = 0;
    for (std::uint32_t& word : words) {
        word = 0;
        for (int i = 0; i < 4; ++i) {
            word = word << 8 | key[index];
            index = (index + 1) % length;
        }
    }
}

} // namespace vlt
