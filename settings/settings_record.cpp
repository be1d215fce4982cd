#include "settings/settings_record.h"

#include <algorithm>
#include <cstring>

namespace vlt {

namespace {

// A damaged length byte never reads beyond the field.
template <std::size_t N> std::string ShortStringText(const std::uint8_t (&field)[N]) {
    const std::size_t length = std::min<std::size_t>(field[0], N - 1);
    return std::string(reinterpret_cast<const char*>(field + 1), length);
}

template <std::size_t N> bool SetShortStringText(std::uint8_t (&field)[N], const std::string& text) {
    if (text.size() > N - 1) {
        return false;
    }
    std::memset(field, 0, N);
    field[0] = static_cast<std::uint8_t>(text.size());
    std::memcpy(field + 1, text.data(), text.size());
    return true;
}

} // namespace

std::string SettingsRecord::GetFontName() const {
    return ShortStringText(FontName);
}

bool SettingsRecord::SetFontName(const std::string& text) {
    return SetShortStringText(FontName, text);
}

std::string SettingsRecord::GetCurrentPath() const {
    return ShortStringText(CurrentPath);
}

bool SettingsRecord::SetCurrentPath(const std::string& text) {
    return SetShortStringText(CurrentPath, text);
}

std::string SettingsRecord::GetLastDestination() const {
    return ShortStringText(LastDestination);
}

bool SettingsRecord::SetLastDestination(const std::string& text) {
    return SetShortStringText(LastDestination, text);
}

} // namespace vlt
