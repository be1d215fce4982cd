#include "batch/passphrase_rules.h"

#include <algorithm>
#include <array>

#include "cipher/algorithm_table.h"
#include "cipher/key_derivation.h"
#include "support/secure_memory.h"
#include "support/windows_1252.h"

namespace vlt {

namespace {

constexpr const char* kCheckInput = "\r\nPlease check your input!";

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlankOrControl(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlankOrControl(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<std::uint8_t> DecodeNumber(std::string_view piece) {
    piece = Trimmed(piece);
    if (piece.empty() || piece.size() > 3 || (piece.size() > 1 && piece.front() == '0') ||
        !std::all_of(piece.begin(), piece.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : piece) {
        value = value * 10 + (c - '0');
    }
    return value <= 255 ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(value)) : std::nullopt;
}

bool IsRepeated(const std::string& bytes) {
    return IsRepeatedPassphrase(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                static_cast<std::uint16_t>(std::min<std::size_t>(bytes.size(), 0xFFFF)));
}

// The fields the request uses, in the order their problems are reported.
std::array<PassphraseField, 4> FieldsInOrder() {
    return {PassphraseField::Passw1Box1, PassphraseField::Passw1Box2, PassphraseField::Passw2Box1,
            PassphraseField::Passw2Box2};
}

bool InUse(const PassphraseRequest& request, PassphraseField field) {
    return request.mixed || field == PassphraseField::Passw1Box1 || field == PassphraseField::Passw1Box2;
}

// Replaces `text` by `bytes`, wiping what it held.
void Replace(std::string& text, std::string&& bytes) {
    WipeString(text);
    text = std::move(bytes);
    WipeString(bytes);
}

} // namespace

PassphraseRequest PassphraseRequestFor(const SettingsRecord& settings, bool encrypt) {
    PassphraseRequest request;
    request.encrypt = encrypt;
    request.mixed = settings.MixedEncryptionSwitch != 0;
    request.vlt7 = settings.VLT7CompSwitch != 0;
    request.numerical = settings.NumSwitch != 0;
    request.firstAlgorithm = settings.Algo1Box;
    request.secondAlgorithm = request.mixed ? settings.Algo2Box : 0;
    return request;
}

const char* PassphraseAlgorithmName(std::uint8_t algorithm) {
    return algorithm == 3 ? "Gost" : AlgorithmName(algorithm);
}

std::size_t PassphraseLimit(bool vlt7, std::uint8_t algorithm) {
    const std::size_t keyLength = DerivedKeyLength(algorithm);
    return vlt7 && keyLength > 0 ? keyLength : kPassphraseStoreLength;
}

std::size_t EntryFieldLength(const PassphraseRequest& request, bool second) {
    return request.numerical ? kPassphraseStoreLength
                             : PassphraseLimit(request.vlt7, second ? request.secondAlgorithm : request.firstAlgorithm);
}

std::string PassphraseCaption(const PassphraseRequest& request) {
    return std::string(request.encrypt ? "En" : "De") +
           (request.mixed ? "cryption Passphrases" : "cryption Passphrase");
}

std::string EntryLabel(const PassphraseRequest& request, bool second) {
    const std::uint8_t algorithm = second ? request.secondAlgorithm : request.firstAlgorithm;
    std::string label = std::string(second ? "Enter Passp&hrase for " : "&Enter Passphrase for ") +
                        PassphraseAlgorithmName(algorithm);
    if (request.vlt7) {
        label += " (" + std::to_string(PassphraseLimit(true, algorithm)) + " char. max.) ";
    }
    return label + ":";
}

std::string WithoutMnemonic(std::string_view caption) {
    std::string plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            ++i;
        }
        plain.push_back(caption[i]);
    }
    return plain;
}

std::string NumericalForm(std::string_view bytes) {
    std::string form;
    for (const char byte : bytes) {
        if (!form.empty()) {
            form.push_back(',');
        }
        form += std::to_string(static_cast<unsigned char>(byte));
    }
    return form;
}

std::optional<std::string> DecodeNumerical(std::string_view text) {
    text = Trimmed(text);
    std::string bytes;
    if (text.empty()) {
        return bytes;
    }
    bytes.reserve(text.size() / 2 + 1);
    for (;;) {
        const std::size_t comma = text.find(',');
        const std::optional<std::uint8_t> byte = DecodeNumber(text.substr(0, comma));
        if (!byte) {
            WipeString(bytes);
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(*byte));
        if (comma == std::string_view::npos) {
            return bytes;
        }
        text.remove_prefix(comma + 1);
    }
}

PassphraseEntries::~PassphraseEntries() {
    WipeString(first);
    WipeString(firstConfirmation);
    WipeString(second);
    WipeString(secondConfirmation);
}

std::string& PassphraseEntries::Field(PassphraseField field) {
    switch (field) {
    case PassphraseField::Passw1Box2:
        return firstConfirmation;
    case PassphraseField::Passw2Box1:
        return second;
    case PassphraseField::Passw2Box2:
        return secondConfirmation;
    default:
        return first;
    }
}

void WipeString(std::string& text) {
    SecureZero(text.data(), text.size());
    text.clear();
}

std::optional<PassphraseProblem> ConversionProblem(std::string_view text, PassphraseField field) {
    Windows1252Result converted = Utf8ToWindows1252(text);
    if (converted.Ok()) {
        WipeString(converted.bytes);
        return std::nullopt;
    }
    const std::string reason =
        converted.error == Windows1252Result::Error::NoByte
            ? "The character \"" + converted.character + "\" cannot be used in a passphrase."
            : std::string("The passphrase is not valid UTF-8 text.");
    return PassphraseProblem{"Passphrase Input Error", reason + kCheckInput, field};
}

std::optional<PassphraseProblem> CheckPassphrases(const PassphraseRequest& request, PassphraseEntries& entries,
                                                  PassphraseText text) {
    // Bytes first: the decimal form decoded, typed text in the stored files' code page.
    if (request.numerical) {
        for (const PassphraseField field : FieldsInOrder()) {
            if (!InUse(request, field)) {
                continue;
            }
            std::optional<std::string> bytes = DecodeNumerical(entries.Field(field));
            if (!bytes) {
                return PassphraseProblem{"Passphrase Input Error",
                                         std::string("Numerical input contains errors.") + kCheckInput};
            }
            Replace(entries.Field(field), std::move(*bytes));
        }
    } else if (text == PassphraseText::Utf8) {
        for (const PassphraseField field : FieldsInOrder()) {
            if (!InUse(request, field)) {
                continue;
            }
            if (auto problem = ConversionProblem(entries.Field(field), field)) {
                return problem;
            }
            Replace(entries.Field(field), std::move(Utf8ToWindows1252(entries.Field(field)).bytes));
        }
    }
    if (request.numerical && request.vlt7) {
        const auto tooLong = [&](const std::string& a, const std::string& b, std::uint8_t algorithm) {
            return std::max(a.size(), b.size()) > PassphraseLimit(true, algorithm);
        };
        if (tooLong(entries.first, entries.firstConfirmation, request.firstAlgorithm) ||
            (request.mixed && tooLong(entries.second, entries.secondConfirmation, request.secondAlgorithm))) {
            return PassphraseProblem{"Passphrase Input Error",
                                     std::string("Numerical password too long.") + kCheckInput};
        }
    }
    const std::string suffix = request.mixed ? "s" : "";
    const std::string caption = "Passphrase" + suffix + " Input Error";
    if (request.encrypt) {
        PassphraseField differs = PassphraseField::None;
        if (entries.first != entries.firstConfirmation) {
            differs = PassphraseField::Passw1Box2;
        } else if (request.mixed && entries.second != entries.secondConfirmation) {
            differs = PassphraseField::Passw2Box2;
        }
        if (differs != PassphraseField::None) {
            return PassphraseProblem{caption,
                                     "There are differences between passphrase" + suffix + " and confirmation" +
                                         suffix + "!\r\nPlease check your input.",
                                     differs};
        }
    }
    PassphraseField tooShort = PassphraseField::None;
    if (entries.first.size() < kMinimumPassphraseLength) {
        tooShort = PassphraseField::Passw1Box1;
    } else if (request.mixed && entries.second.size() < kMinimumPassphraseLength) {
        tooShort = PassphraseField::Passw2Box1;
    }
    if (tooShort != PassphraseField::None) {
        return PassphraseProblem{caption, std::string("The passphrase is too short (min. 3 char.) !") + kCheckInput,
                                 tooShort};
    }
    // The dialog's fields stop at the limit; text from elsewhere is refused beyond it.
    for (const PassphraseField field : {PassphraseField::Passw1Box1, PassphraseField::Passw2Box1}) {
        const bool second = field == PassphraseField::Passw2Box1;
        if (second && !request.mixed) {
            continue;
        }
        const std::size_t limit =
            PassphraseLimit(request.vlt7, second ? request.secondAlgorithm : request.firstAlgorithm);
        if (entries.Field(field).size() > limit) {
            return PassphraseProblem{caption,
                                     "The passphrase is too long (max. " + std::to_string(limit) + " char.) !" +
                                         kCheckInput,
                                     field};
        }
    }
    return std::nullopt;
}

std::optional<PassphraseProblem> RepeatedPartsWarning(const PassphraseRequest& request,
                                                      const PassphraseEntries& entries) {
    if (!request.vlt7 || !request.encrypt || !(IsRepeated(entries.first) || (request.mixed && IsRepeated(entries.second)))) {
        return std::nullopt;
    }
    return PassphraseProblem{"Passphrase" + std::string(request.mixed ? "s" : "") + " Input Warning",
                             "The passphrase(s) consist(s) of smaller parts which are just repeated. This will "
                             "weaken the effective passphrase(s)! Continue anyway?"};
}

} // namespace vlt
