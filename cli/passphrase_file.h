#pragma once
// Passphrase files of vlt95-cli (--passphrase-file, --passphrase2-file).
#include <optional>
#include <string>

namespace vlt::cli {

// A passphrase file's contents without one trailing newline; nothing (errno set: EISDIR,
// EFBIG for more than 4096 bytes, ...) when it cannot be read as one.
[[nodiscard]] std::optional<std::string> ReadPassphraseFile(const std::string& path);

} // namespace vlt::cli
