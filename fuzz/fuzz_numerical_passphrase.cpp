// Arbitrary text as the decimal form of a passphrase ("97, 98,99"): the decoder agrees
// with a plain reference, what it decodes spells back to the same bytes, any bytes
// survive being spelt and decoded, and the OK checks of the entry take exactly the
// decoded bytes or report the decoding error.
#include "batch/passphrase_rules.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// One number after another, each between blanks, separated by single commas.
std::optional<std::string> ReferenceDecode(std::string_view text) {
    std::string bytes;
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
    };
    skipBlanks();
    if (i == text.size()) {
        return bytes;
    }
    for (;;) {
        skipBlanks();
        const std::size_t start = i;
        int value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 4) {
            value = value * 10 + (text[i] - '0');
            ++i;
        }
        const std::size_t digits = i - start;
        if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text[start] == '0')) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(value));
        skipBlanks();
        if (i == text.size()) {
            return bytes;
        }
        if (text[i] != ',') {
            return std::nullopt;
        }
        ++i;
    }
}

void CheckEntry(const std::string& text, const std::optional<std::string>& decoded) {
    vlt::PassphraseRequest request;
    request.numerical = true;
    vlt::PassphraseEntries entries;
    entries.first = text;
    const std::optional<vlt::PassphraseProblem> problem = vlt::CheckPassphrases(request, entries);
    const bool accepted = decoded && decoded->size() >= vlt::kMinimumPassphraseLength &&
                          decoded->size() <= vlt::kPassphraseStoreLength;
    if (problem.has_value() == accepted || (accepted && entries.first != *decoded) ||
        (!decoded && problem->text.rfind("Numerical input contains errors.", 0) != 0)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> decoded = vlt::DecodeNumerical(text);
    if (decoded != ReferenceDecode(text) || (decoded && vlt::DecodeNumerical(vlt::NumericalForm(*decoded)) != decoded)) {
        std::abort();
    }
    const std::string form = vlt::NumericalForm(text);
    if (form.size() > 4 * text.size() || vlt::DecodeNumerical(form) != text) {
        std::abort();
    }
    CheckEntry(text, decoded);
    return 0;
}
