#include "batch/result_text.h"

#include <array>

#include "container/result_code.h"

namespace vlt {

namespace {

constexpr const char* kUnknown = " unknown error code &?%!";

// Indexed by result code; codes 9 and 10 belong to the header test and have no text.
constexpr std::array<ResultMeaning, 19> kMeanings{{
    {" done.", true, false, false},
    {" I/O ERROR", false, true, false},
    {" FATAL ERROR!", false, true, true},
    {" USER BREAK", false, false, true},
    {" ACCESS DENIED", false, true, false},
    {" ALREADY ENCRYPTED", false, false, false},
    {" NOT ENCRYPTED", false, false, false},
    {" UNSUPPORTED FORMAT", false, true, false},
    {" ILLEGAL FORMAT", false, true, false},
    {kUnknown, false, false, false},
    {kUnknown, false, false, false},
    {" PASSPHRASE/ALGORITHM FAILED", false, true, false},
    {" CRC32 ERROR", false, true, false},
    {" DECOMPRESSION ERROR", false, true, false},
    {" skipped.", false, false, false},
    {" WIPING FAILED, done.", true, true, false},
    {" VLT95 COMPATIBILITY NEEDED", false, true, false},
    {" VLT7 COMPATIBILITY NEEDED", false, true, false},
    {" VERIFICATION FAILED, original kept.", false, true, false},
}};

static_assert(kMeanings.size() == resVerificationFailed + 1);

} // namespace

ResultMeaning DescribeResult(std::uint16_t code) {
    return code < kMeanings.size() ? kMeanings[code] : ResultMeaning{kUnknown, false, false, false};
}

} // namespace vlt
