#pragma once
// The rules a passphrase entry follows, in the window's dialog and on the terminal
// alike: labels and lengths, the numerical form, the OK checks in their order with
// their messages and the field that takes the focus, and the repeated-parts question.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_record.h"

namespace vlt {

constexpr std::size_t kPassphraseStoreLength = 255;
constexpr std::size_t kMinimumPassphraseLength = 3;

// What one showing of the entry asks for.
struct PassphraseRequest {
    bool encrypt = false; // every passphrase is asked twice
    bool mixed = false;   // a second passphrase for the second algorithm
    bool vlt7 = false;    // the older generation's key lengths limit the passphrases
    bool numerical = false;
    std::uint8_t firstAlgorithm = 1;
    std::uint8_t secondAlgorithm = 0;
};

[[nodiscard]] PassphraseRequest PassphraseRequestFor(const SettingsRecord& settings, bool encrypt);

// "Blowfish", "Blowfish32", "Gost", "TDES", "Cobra", "IDEA".
[[nodiscard]] const char* PassphraseAlgorithmName(std::uint8_t algorithm);

// Characters a passphrase for the algorithm may have: its VLT7 key length, else 255.
[[nodiscard]] std::size_t PassphraseLimit(bool vlt7, std::uint8_t algorithm);

// Maximum length of the two fields of a block; the decimal form needs 255.
[[nodiscard]] std::size_t EntryFieldLength(const PassphraseRequest& request, bool second);

// "Encryption Passphrase", "Decryption Passphrases", ...
[[nodiscard]] std::string PassphraseCaption(const PassphraseRequest& request);

// "&Enter Passphrase for TDES (21 char. max.) :", "Enter Passp&hrase for Gost:".
[[nodiscard]] std::string EntryLabel(const PassphraseRequest& request, bool second);

// A caption without its "&" mnemonic marks ("&&" stays one "&").
[[nodiscard]] std::string WithoutMnemonic(std::string_view caption);

// The decimal form: the byte values joined by ",", "" for "".
[[nodiscard]] std::string NumericalForm(std::string_view bytes);

// The bytes of a decimal form; nothing when any piece is not a number 0..255 written
// without leading zero. Blanks and control characters around the whole and around
// each number do not matter; "" decodes to the empty passphrase.
[[nodiscard]] std::optional<std::string> DecodeNumerical(std::string_view text);

enum class PassphraseField { None, Passw1Box1, Passw1Box2, Passw2Box1, Passw2Box2 };

// The four fields. They hold the typed text (UTF-8, or the decimal form) until
// CheckPassphrases has accepted them; then they hold the passphrase bytes. Wiped on
// destruction.
struct PassphraseEntries {
    std::string first, firstConfirmation, second, secondConfirmation;

    PassphraseEntries() = default;
    PassphraseEntries(const PassphraseEntries&) = delete;
    PassphraseEntries& operator=(const PassphraseEntries&) = delete;
    ~PassphraseEntries();

    [[nodiscard]] std::string& Field(PassphraseField field);
};

struct PassphraseProblem {
    std::string caption;
    std::string text;
    PassphraseField focus = PassphraseField::None; // None: the focus stays where it is
};

// How typed text becomes passphrase bytes: Windows-1252, or the bytes as given.
enum class PassphraseText { Utf8, Raw };

// Turns the fields into bytes (decimal decoding, or the Windows-1252 conversion of
// the text) and runs the OK checks in order: decoding, numerical length, confirmation,
// minimum length, maximum length. The first problem found, or nothing; then the
// entries hold the bytes.
[[nodiscard]] std::optional<PassphraseProblem> CheckPassphrases(const PassphraseRequest& request,
                                                               PassphraseEntries& entries,
                                                               PassphraseText text = PassphraseText::Utf8);

// The Yes/No question to ask before accepting bytes made of one repeated part.
[[nodiscard]] std::optional<PassphraseProblem> RepeatedPartsWarning(const PassphraseRequest& request,
                                                                    const PassphraseEntries& entries);

// The message for text that has no passphrase bytes ("" when the text converts).
[[nodiscard]] std::optional<PassphraseProblem> ConversionProblem(std::string_view text, PassphraseField field);

// Overwrites the characters before the string is released.
void WipeString(std::string& text);

} // namespace vlt
