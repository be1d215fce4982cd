#pragma once
#include <string>

namespace vlt {

// A name read from an encrypted file may be used for the output only when it names
// a file in the target directory itself: not empty, no "/", no NUL, not "." or
// "..", and not the work file's name.
[[nodiscard]] bool IsPlainStoredName(const std::string& name);

} // namespace vlt
