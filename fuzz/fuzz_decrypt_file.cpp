// Arbitrary bytes and mutated clear containers decoded from memory by a run in the
// current format's mode: no crash, no leak, no result a reader may not give.
#include "fuzz/container_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)vlt::fuzzing::DecodeInput(data, size, false);
    return 0;
}
