#pragma once
// The process's current directory, which the browser moves with the listed path.
#include <string>

namespace vlt {

// False when `directory` cannot be entered; the current directory then stays.
[[nodiscard]] bool SetCurrentDirectory(const std::string& directory);
// The current directory as an absolute path without symbolic links. When it has been
// removed under the process, "/" becomes the current directory and is returned.
[[nodiscard]] std::string CurrentDirectory();
// True when `path` names a directory, through symbolic links.
[[nodiscard]] bool IsDirectory(const std::string& path);

} // namespace vlt
