#pragma once
// The body of the container fuzz targets: arbitrary bytes, or a container in the
// clear (clear_container.h), decoded from memory as a decryption and a read-back
// check decode them. The run is keyed once per process, as the seeds were written:
// Blowfish (id 1) under "correct horse battery". Nothing touches the disk, starts a
// thread or keys an engine per input.
#include "container/container_check.h"
#include "container/crypt_context.h"
#include "fuzz/clear_container.h"
#include "support/lzh/lzh_codec.h"

#include <cstdlib>
#include <string>

namespace vlt::fuzzing {

inline void SetUpRunOnce(bool vlt7Mode) {
    static const bool ready = [vlt7Mode] {
        static const std::string passphrase = "correct horse battery";
        KeyRecord keys;
        keys.firstAlgorithm = 1;
        keys.firstPassphrase = reinterpret_cast<const std::uint8_t*>(passphrase.data());
        keys.firstLength = static_cast<std::uint16_t>(passphrase.size());
        return SetupCryptContext(keys, vlt7Mode) == kSetupOk && LzhAllocTables();
    }();
    if (!ready) {
        std::abort();
    }
}

// What a reader may answer; anything else is a fault.
inline bool IsReaderResult(ResultCode result) {
    switch (result) {
    case resDone:
    case resNotEncrypted:
    case resUnsupportedFormat:
    case resIllegalFormat:
    case resPassphraseFailed:
    case resCRC32Error:
    case resDecompressionError:
    case resNeedsVlt95Compat:
    case resNeedsVlt7Compat:
        return true;
    default:
        return false;
    }
}

inline ResultCode DecodeInput(const std::uint8_t* data, std::size_t size, bool vlt7Mode) {
    SetUpRunOnce(vlt7Mode);
    std::vector<std::uint8_t> bytes(data, data + size);
    if (size > kClearFlagOffset && (bytes[kClearFlagOffset] & kClearFlag) != 0) {
        TransformRegions(bytes, vlt7Mode, Cipher::Encipher);
    }
    MemorySource source(bytes.data(), bytes.size());
    ContainerCheck check;
    const ResultCode result = CheckContainer(source, ContainerCheckOptions{}, check);
    if (!IsReaderResult(result)) {
        std::abort();
    }
    return result;
}

} // namespace vlt::fuzzing
