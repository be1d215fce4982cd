#include "batch/job_mode.h"

namespace vlt {
namespace {

struct JobWords {
    const char* gerund;
    const char* participle;
};

JobWords WordsOf(JobMode mode) {
    switch (mode) {
    case jmEncrypt:
        return {"encrypting", "encrypted"};
    case jmDecrypt:
        return {"decrypting", "decrypted"};
    case jmVerify:
        return {"verifying", "verified"};
    case jmWipe:
        break;
    }
    return {"wiping", "wiped"};
}

} // namespace

std::string JobGerund(JobMode mode) {
    return WordsOf(mode).gerund;
}

std::string JobParticiple(JobMode mode) {
    return WordsOf(mode).participle;
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
