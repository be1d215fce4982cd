#pragma once
// Path splitting and DOS wildcard masks on "/"-separated paths.
#include <string>

namespace vlt {

// Everything up to and including the last "/", "" when there is none.
[[nodiscard]] std::string PathDirPart(const std::string& path);
// Everything after the last "/", the whole path when there is none.
[[nodiscard]] std::string PathNamePart(const std::string& path);

// A mask names entries of one directory: not empty, no "/", and not "." or "..".
[[nodiscard]] bool IsPlainMask(const std::string& mask);

// DOS wildcards, ASCII case-insensitive: "*" any run, "?" exactly one character.
// A mask ending in ".*" also matches names without a dot, so "*.*" matches every name.
[[nodiscard]] bool MatchesMask(const std::string& name, const std::string& mask);

} // namespace vlt
