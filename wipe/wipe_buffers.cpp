#include "wipe/wipe_buffers.h"

#include "wipe/wipe.h"
#include "platform/unbuffered_file.h"
#include "support/little_endian.h"
#include "support/random.h"

#include <array>

namespace vlt {
namespace {

std::array<AlignedBuffer, 3> gBuffers;

} // namespace

std::uint8_t* WipeBuffer(int index) {
    return gBuffers[static_cast<std::size_t>(index)].Data();
}

bool PrepareWipeBuffers() {
    for (AlignedBuffer& buffer : gBuffers) {
        buffer = AlignedBuffer(kWipeBlockSize);
        if (buffer.Empty()) {
            ReleaseWipeBuffers();
            return false;
        }
    }
    // Word k of buffer 0, its complement in buffer 1, then word k of buffer 2.
    for (std::size_t k = 0; k < kWipeBlockSize / 4; ++k) {
        const std::uint32_t word = NextBits32();
        PutLe32(gBuffers[0].Data() + 4 * k, word);
        PutLe32(gBuffers[1].Data() + 4 * k, ~word);
        PutLe32(gBuffers[2].Data() + 4 * k, NextBits32());
    }
    return true;
}

void ReleaseWipeBuffers() {
    for (auto it = gBuffers.rbegin(); it != gBuffers.rend(); ++it) {
        it->Release();
    }
}

} // namespace vlt
