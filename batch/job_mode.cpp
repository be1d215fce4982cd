#include "batch/job_mode.h"

namespace vlt {

const char* JobVerb(JobMode mode) {
    switch (mode) {
    case jmEncrypt:
        return "encrypt";
    case jmDecrypt:
        return "decrypt";
    case jmWipe:
        break;
    }
    return "wip";
}

std::string SuccessCaption(JobMode mode) {
    return std::string("Files ") + JobVerb(mode) + "ed successfully:";
}

std::uint32_t JobColour(JobMode mode) {
    switch (mode) {
    case jmEncrypt:
        return 255; // red
    case jmDecrypt:
        return 32768; // green
    case jmWipe:
        break;
    }
    return 32896; // olive
}

} // namespace vlt
