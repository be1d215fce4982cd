// As fuzz_decrypt_file, for a run in VLT7 mode: 5-byte block headers, 16-bit
// lengths, the raw passphrase as the key.
#include "fuzz/container_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)vlt::fuzzing::DecodeInput(data, size, true);
    return 0;
}
