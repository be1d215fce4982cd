#pragma once
// The three batch operations and the words the log and the summaries build from them.
#include <cstdint>
#include <string>

namespace vlt {

enum JobMode : std::uint8_t { jmEncrypt = 0, jmDecrypt = 1, jmWipe = 2 };

// "encrypt", "decrypt" or "wip": joined with "ing ", "ed now?" or "ed successfully:".
[[nodiscard]] const char* JobVerb(JobMode mode);

// "Files encrypted successfully:", "Files wiped successfully:", ...
[[nodiscard]] std::string SuccessCaption(JobMode mode);

// Bar colour of the mode as a Windows colour value (0x00BBGGRR).
[[nodiscard]] std::uint32_t JobColour(JobMode mode);

} // namespace vlt
