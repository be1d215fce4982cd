// Feeds arbitrary bytes to the block decoder: it must produce exactly the requested
// number of bytes, read nothing past the input and write nothing past the output.
#include "support/lzh/lzh_codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool tablesReady = vlt::LzhAllocTables();
    if (!tablesReady || size < 2) {
        return 0;
    }
    // The first two bytes choose the output size: enough for the Huffman tree to be
    // rebuilt (32,768 symbols) and still many runs per second. The rest is the stream.
    const std::uint32_t m = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8;
    // Exact-size copies so that the sanitizer sees any access beyond either end.
    const std::size_t streamSize = size - 2;
    const auto stream = std::make_unique<std::uint8_t[]>(streamSize);
    std::memcpy(stream.get(), data + 2, streamSize);
    const std::unique_ptr<std::uint8_t[]> output(new std::uint8_t[m]);
    if (vlt::LzhDecompress(stream.get(), output.get(), m, static_cast<std::uint32_t>(streamSize)) != m) {
        std::abort();
    }
    return 0;
}
