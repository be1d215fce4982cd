// The block decoder asked for 65,536 bytes up to a full block from arbitrary bytes: the
// sizes the quick decoder target leaves out, slow (tens of milliseconds each) but with
// the Huffman tree rebuilt several times. Same properties as the quick target.
#include "container/format.h"
#include "fuzz/lzh_decoder_input.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vlt::fuzz::DecodeExactly(vlt::fuzz::ReadLargeLzhDecoderRequest(data, size, vlt::kVlt95Format.readBufferSize));
    return 0;
}
