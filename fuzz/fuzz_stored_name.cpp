// Arbitrary bytes as a name read from an encrypted file: a name the check lets through
// names a file directly inside the target directory, and is never the work file.
#include "container/format.h"
#include "container/stored_name.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    if (!vlt::IsPlainStoredName(name)) {
        return 0;
    }
    const std::filesystem::path target = "/target";
    const std::filesystem::path joined = (target / name).lexically_normal();
    if (name.find('\0') != std::string::npos || joined.parent_path() != target || joined.filename() != name ||
        name == vlt::TempName) {
        std::abort();
    }
    return 0;
}
