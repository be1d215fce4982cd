// Arbitrary bytes as the start of a file: the header test on the bytes and on a file
// holding them agree, look at the first seven bytes only, and call a file encrypted
// exactly when the magic sits at offset 2.
#include "container/format.h"
#include "support/little_endian.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

bool SameResult(const vlt::CheckResult& a, const vlt::CheckResult& b) {
    return a.code == b.code && a.generationWord == b.generationWord;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("fuzz_check_encrypted_" + std::to_string(getpid()))).string();
    const vlt::CheckResult result = vlt::CheckEncryptedHeader(data, size);
    const bool magic = size >= vlt::kFileHeaderSize && vlt::GetLe32(data + 2) == vlt::FormatMagic;
    if ((result.code == vlt::ceEncrypted) != magic || (!magic && result.code != vlt::ceNotEncrypted) ||
        (magic && result.generationWord != vlt::GetLe16(data)) || (!magic && result.generationWord != 0)) {
        std::abort();
    }
    const std::size_t header = std::min(size, vlt::kFileHeaderSize);
    if (!SameResult(result, vlt::CheckEncryptedHeader(data, header))) {
        std::abort();
    }
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const bool agrees = SameResult(result, vlt::CheckEncrypted(path));
    std::filesystem::remove(path);
    if (!agrees) {
        std::abort();
    }
    return 0;
}
