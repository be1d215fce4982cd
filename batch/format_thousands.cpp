#include "batch/format_thousands.h"

namespace vlt {

std::string FormatThousands(std::int64_t value) {
    // The magnitude of the most negative value does not fit a signed type.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    std::string grouped;
    grouped.reserve(digits.size() + digits.size() / 3 + 1);
    if (value < 0) {
        grouped.push_back('-');
    }
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped.push_back(',');
        }
        grouped.push_back(digits[i]);
    }
    return grouped;
}

} // namespace vlt
