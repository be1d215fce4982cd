// Any byte string loads as a record that is either the file's or the defaults,
// and what loads saves back to an image that loads again unchanged.
#include "settings/settings_file.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vlt::SettingsRecord record;
    std::memset(&record, 0xAA, sizeof record);
    const bool loaded = vlt::LoadSettingsImage(data, size, record, 1024, 768);
    if (record.SettingsMagic != vlt::kSettingsMagic || record.Algo1Box < 1 || record.Algo1Box > 6 ||
        record.NumOfDODBox < 1 || record.NumOfDODBox > 99) {
        std::abort();
    }
    static_cast<void>(record.GetFontName());
    static_cast<void>(record.GetCurrentPath());
    static_cast<void>(record.GetLastDestination());

    vlt::SettingsRecord image{};
    vlt::MakeSettingsImage(record, image);
    vlt::SettingsRecord again{};
    const bool reloaded = vlt::LoadSettingsImage(reinterpret_cast<const std::uint8_t*>(&image), sizeof image, again);
    if (!reloaded || (loaded && record.SaveSensSwitch != 0 && std::memcmp(&again, &image, sizeof image) != 0)) {
        std::abort();
    }
    return 0;
}
