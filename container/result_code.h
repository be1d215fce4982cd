#pragma once
// Outcome of a one-file operation. The one-file operations return these; only the
// job driver turns them into log text and counters.
#include <cstdint>

namespace vlt {

enum ResultCode : std::uint16_t {
    resDone = 0,
    resIOError = 1,
    resFatalError = 2,
    resUserBreak = 3,
    resAccessDenied = 4,
    resAlreadyEncrypted = 5,
    resNotEncrypted = 6,
    resUnsupportedFormat = 7,
    resIllegalFormat = 8,
    ceEncrypted = 9,     // CheckEncrypted only
    ceNotEncrypted = 10, // CheckEncrypted only
    resPassphraseFailed = 11,
    resCRC32Error = 12,
    resDecompressionError = 13,
    resSkipped = 14,
    resWipingFailed = 15,
    resNeedsVlt95Compat = 16,
    resNeedsVlt7Compat = 17,
    resVerificationFailed = 18, // the output read back from the disk was not what was written
};

} // namespace vlt
