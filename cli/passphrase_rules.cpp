#include "cli/passphrase_rules.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "cipher/algorithm_table.h"
#include "cipher/key_derivation.h"
#include "support/secure_memory.h"

namespace vlt::cli {

namespace {

constexpr std::size_t kMinimumLength = 3;
constexpr std::size_t kStoreLength = 255;

// Names as the passphrase dialog shows them.
const char* DialogName(std::uint8_t id) {
    return id == 3 ? "Gost" : AlgorithmName(id);
}

std::size_t LengthLimit(const PassphraseRequest& request, std::uint8_t algorithm) {
    return request.vlt7 ? DerivedKeyLength(algorithm) : kStoreLength;
}

bool IsRepeated(const std::string& text) {
    return IsRepeatedPassphrase(reinterpret_cast<const std::uint8_t*>(text.data()),
                                static_cast<std::uint16_t>(text.size()));
}

} // namespace

Passphrases::~Passphrases() {
    WipeString(first);
    WipeString(firstConfirmation);
    WipeString(second);
    WipeString(secondConfirmation);
}

void WipeString(std::string& text) {
    SecureZero(text.data(), text.size());
    text.clear();
}

std::string EntryLabel(const PassphraseRequest& request, bool second) {
    const std::uint8_t algorithm = second ? request.secondAlgorithm : request.firstAlgorithm;
    std::string label = std::string("Enter Passphrase for ") + DialogName(algorithm);
    if (request.vlt7) {
        label += " (" + std::to_string(LengthLimit(request, algorithm)) + " char. max.) ";
    }
    return label + ":";
}

std::optional<InputMessage> CheckPassphrases(const PassphraseRequest& request, const Passphrases& entries) {
    const std::string suffix = request.mixed ? "s" : "";
    const std::string caption = "Passphrase" + suffix + " Input Error";
    if (request.encrypt && ((request.mixed && entries.second != entries.secondConfirmation) ||
                            entries.first != entries.firstConfirmation)) {
        return InputMessage{caption, "There are differences between passphrase" + suffix + " and confirmation" +
                                         suffix + "!\r\nPlease check your input."};
    }
    if ((request.mixed && entries.second.size() < kMinimumLength) || entries.first.size() < kMinimumLength) {
        return InputMessage{caption, "The passphrase is too short (min. 3 char.) !\r\nPlease check your input!"};
    }
    // A window's entry field stops at the limit; the terminal refuses longer input.
    const auto tooLong = [&](const std::string& text, std::uint8_t algorithm) -> std::optional<InputMessage> {
        const std::size_t limit = LengthLimit(request, algorithm);
        if (text.size() <= limit) {
            return std::nullopt;
        }
        return InputMessage{caption, "The passphrase is too long (max. " + std::to_string(limit) +
                                         " char.) !\r\nPlease check your input!"};
    };
    if (auto message = tooLong(entries.first, request.firstAlgorithm)) {
        return message;
    }
    if (request.mixed) {
        return tooLong(entries.second, request.secondAlgorithm);
    }
    return std::nullopt;
}

std::optional<InputMessage> RepeatedPartsWarning(const PassphraseRequest& request, const Passphrases& entries) {
    if (!request.vlt7 || !request.encrypt ||
        !(IsRepeated(entries.first) || (request.mixed && IsRepeated(entries.second)))) {
        return std::nullopt;
    }
    return InputMessage{"Passphrase" + std::string(request.mixed ? "s" : "") + " Input Warning",
                        "The passphrase(s) consist(s) of smaller parts which are just repeated. This will weaken "
                        "the effective passphrase(s)! Continue anyway?"};
}

std::optional<std::string> ReadPassphraseFile(const std::string& path) {
    // A passphrase is short: a directory, or a device that never ends, is refused
    // after a bounded read.
    constexpr std::size_t kMaxPassphraseFileSize = 4096;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string text;
    char buffer[kMaxPassphraseFileSize + 1];
    ssize_t n = 0;
    while (text.size() <= kMaxPassphraseFileSize &&
           (n = ::read(fd, buffer, sizeof buffer - text.size())) != 0) {
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return std::nullopt;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (text.size() > kMaxPassphraseFileSize) {
        errno = EFBIG;
        return std::nullopt;
    }
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
    }
    return text;
}

} // namespace vlt::cli
