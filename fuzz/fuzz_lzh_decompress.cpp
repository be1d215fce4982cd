// Feeds arbitrary bytes to the block decoder: it must produce exactly the requested
// number of bytes, read nothing past the input and write nothing past the output.
#include "container/format.h"
#include "support/lzh/lzh_codec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct Request {
    std::uint32_t outputSize;
    std::size_t prefixSize;
};

// The leading bytes choose the output size, mostly small so that the fuzzer runs fast:
// below 0xFF one byte gives 1..255; 0xFF with three more bytes gives any size up to a
// full block, enough symbols for the Huffman tree to be rebuilt.
Request ReadRequest(const std::uint8_t* data, std::size_t size) {
    if (size >= 1 && data[0] < 0xFF) {
        return {data[0] + 1u, 1};
    }
    if (size >= 4) {
        const std::uint32_t wanted = data[1] | data[2] << 8 | static_cast<std::uint32_t>(data[3]) << 16;
        return {std::min(wanted, vlt::kVlt95Format.readBufferSize), 4};
    }
    return {0, size};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool tablesReady = vlt::LzhAllocTables();
    const Request request = ReadRequest(data, size);
    if (!tablesReady || request.outputSize == 0) {
        return 0;
    }
    const std::uint32_t m = request.outputSize;
    // Exact-size copies so that the sanitizer sees any access beyond either end.
    const std::size_t streamSize = size - request.prefixSize;
    const auto stream = std::make_unique<std::uint8_t[]>(streamSize);
    std::memcpy(stream.get(), data + request.prefixSize, streamSize);
    const std::unique_ptr<std::uint8_t[]> output(new std::uint8_t[m]);
    if (vlt::LzhDecompress(stream.get(), output.get(), m, static_cast<std::uint32_t>(streamSize)) != m) {
        std::abort();
    }
    return 0;
}
