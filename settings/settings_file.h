#pragma once
// Defaults, loading and saving of the settings record and its configuration file.
#include "settings/settings_record.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vlt {

// The browser path a fresh installation starts with: the home directory + "/*.*"
// ("/*.*" when the home directory is unknown or too long for the field).
[[nodiscard]] std::string DefaultCurrentPath();

// Every stored field to its default; the main window 620 x 460 centred on a screen
// of the given size (position 0 on a smaller screen). String fields are zero-filled
// behind their text; ViewChanged, FontChanged and SettingsCheck are left alone.
void DefaultSettings(SettingsRecord& record, int screenWidth, int screenHeight);

// True when `image` holds at least 620 bytes whose first 620 form a consistent
// record (magic and check byte); the record then takes them. Otherwise the record
// is cleared and set to the defaults and the result is false.
[[nodiscard]] bool LoadSettingsImage(const std::uint8_t* image, std::size_t size, SettingsRecord& record,
                                     int screenWidth = kDefaultWindowWidth, int screenHeight = kDefaultWindowHeight);
// The same for a file (bytes behind the first 620 are ignored). A missing,
// unreadable, short or damaged file gives false and the defaults; never throws.
[[nodiscard]] bool LoadSettings(const std::string& path, SettingsRecord& record, int screenWidth = kDefaultWindowWidth,
                                int screenHeight = kDefaultWindowHeight);

// The 620 bytes to store: sensitive fields reset when SaveSensSwitch is off, check
// byte set. The running record is not changed.
void MakeSettingsImage(const SettingsRecord& record, SettingsRecord& image);
// Writes the image to a new file beside `path` and renames it over `path`, so the
// old file stays whole until the new one is complete. True when all 620 bytes landed.
[[nodiscard]] bool SaveSettings(const std::string& path, const SettingsRecord& record);

} // namespace vlt
