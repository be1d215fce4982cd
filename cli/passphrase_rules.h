#pragma once
// The passphrase dialog's rules as the terminal applies them: labels, confirmation,
// minimum and maximum lengths, and the repeated-parts question.
#include <cstdint>
#include <optional>
#include <string>

namespace vlt::cli {

struct PassphraseRequest {
    bool encrypt = false;
    bool mixed = false;
    bool vlt7 = false;
    std::uint8_t firstAlgorithm = 1;
    std::uint8_t secondAlgorithm = 0;
};

struct Passphrases {
    std::string first, firstConfirmation, second, secondConfirmation;
    ~Passphrases();
};

struct InputMessage {
    std::string caption;
    std::string text;
};

// "Enter Passphrase for Gost:", with VLT7 compatibility "Enter Passphrase for TDES (21 char. max.) :".
[[nodiscard]] std::string EntryLabel(const PassphraseRequest& request, bool second);

// The first rule the entries break, or nothing when they are acceptable.
[[nodiscard]] std::optional<InputMessage> CheckPassphrases(const PassphraseRequest& request,
                                                           const Passphrases& entries);

// The warning to confirm before a passphrase made of a repeated part is used.
[[nodiscard]] std::optional<InputMessage> RepeatedPartsWarning(const PassphraseRequest& request,
                                                               const Passphrases& entries);

// A passphrase file's contents without one trailing newline; nothing (errno set: EISDIR,
// EFBIG for more than 4096 bytes, ...) when it cannot be read as one.
[[nodiscard]] std::optional<std::string> ReadPassphraseFile(const std::string& path);

// Overwrites the characters before the string is released.
void WipeString(std::string& text);

} // namespace vlt::cli
