// Feeds arbitrary bytes to the block decoder, asking mostly for small outputs: it must
// produce exactly the requested number of bytes, read nothing past the input and write
// nothing past the output.
#include "fuzz/lzh_decoder_input.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vlt::fuzz::DecodeExactly(vlt::fuzz::ReadLzhDecoderRequest(data, size));
    return 0;
}
