#pragma once
// The batch operations and the words the log and the summaries build from them.
#include <cstdint>
#include <string>

namespace vlt {

// jmVerify decodes containers into nothing and changes no file.
enum JobMode : std::uint8_t { jmEncrypt = 0, jmDecrypt = 1, jmWipe = 2, jmVerify = 3 };

// "encrypting", "decrypting", "wiping", "verifying": each file's log line starts with it.
[[nodiscard]] std::string JobGerund(JobMode mode);
// "encrypted", "decrypted", "wiped", "verified": for the questions and the summary.
[[nodiscard]] std::string JobParticiple(JobMode mode);

// "Files encrypted successfully:", "Files wiped successfully:", ...
[[nodiscard]] std::string SuccessCaption(JobMode mode);

// Bar colour of the mode as a Windows colour value (0x00BBGGRR).
[[nodiscard]] std::uint32_t JobColour(JobMode mode);

} // namespace vlt
