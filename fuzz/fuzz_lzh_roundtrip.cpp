// Arbitrary content compressed into a destination whose size the first byte chooses
// (from 1/128 of the content to twice it): the codec either reports overflow without
// writing past the destination, or its output fits and decodes to the content. Twice
// the content plus a little always fits.
#include "container/format.h"
#include "support/lzh/lzh_codec.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool tablesReady = vlt::LzhAllocTables();
    if (!tablesReady || size < 2) {
        return 0;
    }
    const std::uint32_t n =
        static_cast<std::uint32_t>(std::min<std::size_t>(size - 1, vlt::kVlt95Format.readBufferSize));
    const std::uint8_t* content = data + 1;
    const std::uint32_t capacity = static_cast<std::uint32_t>(std::uint64_t{n} * (data[0] + 1u) / 128u);
    const bool roomy = capacity >= 2 * n + 16;
    // Exact-size buffers so that the sanitizer sees any access beyond either end.
    const std::unique_ptr<std::uint8_t[]> packed(new std::uint8_t[std::max<std::uint32_t>(capacity, 1)]);
    const std::int64_t packedSize = vlt::LzhCompress(content, n, packed.get(), capacity);
    if (packedSize == vlt::kLzhOverflow) {
        if (roomy) {
            std::abort();
        }
        return 0;
    }
    if (packedSize <= 0 || packedSize > capacity) {
        std::abort();
    }
    const auto stream = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(packedSize));
    std::memcpy(stream.get(), packed.get(), static_cast<std::size_t>(packedSize));
    const std::unique_ptr<std::uint8_t[]> unpacked(new std::uint8_t[n]);
    if (vlt::LzhDecompress(stream.get(), unpacked.get(), n, static_cast<std::uint32_t>(packedSize)) != n ||
        std::memcmp(unpacked.get(), content, n) != 0) {
        std::abort();
    }
    return 0;
}
