#include "batch/job_mode.h"

namespace vlt {
namespace {

// The stem the log words grow from: "encrypt" + "ing", "wip" + "ed".
const char* JobStem(JobMode mode) {
    switch (mode) {
    case jmEncrypt:
        return "encrypt";
    case jmDecrypt:
        return "decrypt";
    case jmVerify:
        return "verif";
    case jmWipe:
        break;
    }
    return "wip";
}

} // namespace

std::string JobGerund(JobMode mode) {
    return std::string(mode == jmVerify ? "verify" : JobStem(mode)) + "ing";
}

std::string JobParticiple(JobMode mode) {
    return std::string(JobStem(mode)) + (mode == jmVerify ? "ied" : "ed");
}

std::string SuccessCaption(JobMode mode) {
    return "Files " + JobParticiple(mode) + " successfully:";
}

std::uint32_t JobColour(JobMode mode) {
    switch (mode) {
    case jmEncrypt:
        return 255; // red
    case jmDecrypt:
        return 32768; // green
    case jmVerify:
        return 8388608; // navy
    case jmWipe:
        break;
    }
    return 32896; // olive
}

} // namespace vlt
