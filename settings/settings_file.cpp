#include "settings/settings_file.h"

#include "platform/config_location.h"
#include "support/crc.h"
#include "support/file_access.h"
#include "support/little_endian.h"
#include "support/secure_memory.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace vlt {

namespace {

constexpr std::size_t kCheckedBytes = kSettingsSize - 1;
constexpr std::uint16_t kDefaultColumnWidths[6] = {200, 80, 70, 70, 40, 120};
constexpr std::uint8_t kDefaultAlgo1 = 1;
constexpr std::uint8_t kDefaultAlgo2 = 6;
constexpr std::uint8_t kLastAlgorithm = 6;
constexpr std::uint8_t kMaxOverwrites = 99;
constexpr std::uint8_t kLastWindowState = 2;
constexpr std::uint8_t kLastFileViewSetting = 2;
// Names tried for the file a save writes before it replaces the old one.
constexpr int kTemporaryNameAttempts = 16;

std::uint16_t CentredOrigin(int screen, int window) {
    return static_cast<std::uint16_t>(std::clamp((screen - window) / 2, 0, 0xFFFF));
}

// The fields a user may keep out of the file, in their default form.
void ResetSensitiveFields(SettingsRecord& record) {
    record.VLT7CompSwitch = 0;
    record.Algo1Box = kDefaultAlgo1;
    record.Algo2Box = kDefaultAlgo2;
    record.MixedEncryptionSwitch = 0;
    record.IncFNameSwitch = 1;
    record.ZeroCBCSwitch = 0;
    static_cast<void>(record.SetCurrentPath(DefaultCurrentPath()));
    static_cast<void>(record.SetLastDestination(""));
}

// Values other implementations never write but a consistent file could still hold;
// each would index past a table, so it takes its default.
void RepairOutOfRange(SettingsRecord& record) {
    if (record.Algo1Box < 1 || record.Algo1Box > kLastAlgorithm) {
        record.Algo1Box = kDefaultAlgo1;
    }
    if (record.Algo2Box < 1 || record.Algo2Box > kLastAlgorithm) {
        record.Algo2Box = kDefaultAlgo2;
    }
    record.NumOfDODBox = std::clamp<std::uint8_t>(record.NumOfDODBox, 1, kMaxOverwrites);
    if (record.WindowState > kLastWindowState) {
        record.WindowState = 0;
    }
    if (record.FileViewSetting > kLastFileViewSetting) {
        record.FileViewSetting = 0;
    }
}

// The file helpers never follow a link, but a configuration file linked in from
// elsewhere is the user's choice: it is read from and saved over its target.
std::string FollowLinks(const std::string& path) {
    std::error_code notResolved;
    const std::filesystem::path resolved = std::filesystem::canonical(path, notResolved);
    return notResolved ? path : resolved.string();
}

bool WriteImage(const std::string& target, const SettingsRecord& image) {
    FileHandle file;
    std::string temporary;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && !file.IsOpen(); ++attempt) {
        temporary = target + ".new" + (attempt == 0 ? std::string() : std::to_string(attempt));
        file = SafeCreateNew(temporary);
        if (!file.IsOpen() && !FileExistsAny(temporary)) {
            return false; // the directory refuses new files; nothing was touched
        }
    }
    if (!file.IsOpen()) {
        return false;
    }
    const bool written =
        SafeWrite(&image, 1, kSettingsSize, file) == static_cast<std::int64_t>(kSettingsSize) && SyncFile(file);
    const bool closed = SafeClose(file);
    if (written && closed && SafeReplace(temporary, target)) {
        return true;
    }
    SafeDelete(temporary);
    return false;
}

} // namespace

std::string DefaultCurrentPath() {
    const std::string home = HomeDirectory() + "/*.*";
    return home.size() < sizeof(SettingsRecord::CurrentPath) ? home : std::string("/*.*");
}

void DefaultSettings(SettingsRecord& record, int screenWidth, int screenHeight) {
    record.SettingsMagic = kSettingsMagic;
    record.SaveSensSwitch = 1;
    record.WindowState = 0;
    record.WindowLeft = CentredOrigin(screenWidth, kDefaultWindowWidth);
    record.WindowTop = CentredOrigin(screenHeight, kDefaultWindowHeight);
    record.WindowWidth = kDefaultWindowWidth;
    record.WindowHeight = kDefaultWindowHeight;
    record.ConfirmSwitch = 1;
    record.FileViewSetting = 0;
    record.ShowDetailsSwitch = 1;
    record.SetVerifyOutputs(true);
    record.SecColSwitch = 1;
    std::copy(std::begin(kDefaultColumnWidths), std::end(kDefaultColumnWidths), record.ColumnWidths);
    static_cast<void>(record.SetFontName("MS Sans Serif"));
    record.FontSize = 8;
    record.FontStyle = 0;
    record.FontColor = 0x80000008; // system colour: window text
    record.OptionsLeft = 0;
    record.OptionsTop = 0;
    record.Reserved75[0] = 0;
    record.Reserved75[1] = 0;
    record.OverWSwitch = 1;
    record.SetIgnoreAlreadyEncrypted(true);
    record.KeepDTSwitch = 1;
    record.RenameSwitch = 0;
    record.KeepExtSwitch = 0;
    record.CompressSwitch = 0;
    record.ForceCompSwitch = 0;
    record.WipeSwitch = 0;
    record.ParaWipeSwitch = 0;
    record.NumOfDODBox = 1;
    record.WipeConfSwitch = 1;
    record.IgnoreCRC32Switch = 0;
    record.RestAttrSwitch = 1;
    record.RestFNameSwitch = 1;
    record.ExcludeMask = 0x07; // read-only, hidden and system files stay out of the list
    record.ShowPassSwitch = 0;
    record.NumSwitch = 0;
    record.ExtDestDialogSwitch = 1;
    record.RemoveOrigSwitch = 0;
    ResetSensitiveFields(record);
}

bool LoadSettingsImage(const std::uint8_t* image, std::size_t size, SettingsRecord& record, int screenWidth,
                       int screenHeight) {
    const bool consistent = image != nullptr && size >= kSettingsSize &&
                            GetLe16(image) == kSettingsMagic &&
                            XorChecksum(image, kCheckedBytes, 0) == image[kCheckedBytes];
    if (consistent) {
        std::memcpy(&record, image, kSettingsSize);
        RepairOutOfRange(record);
        return true;
    }
    // Nothing of a damaged file survives: the flags and string tails are cleared too.
    std::memset(&record, 0, kSettingsSize);
    DefaultSettings(record, screenWidth, screenHeight);
    return false;
}

bool LoadSettings(const std::string& path, SettingsRecord& record, int screenWidth, int screenHeight) {
    SecureBuffer image = SecureBuffer::TryAllocate(kSettingsSize);
    std::int64_t got = -1;
    if (!image.Empty()) {
        FileHandle file = SafeOpen(FollowLinks(path), omRead);
        if (file.IsOpen()) {
            got = SafeRead(image.Data(), 1, kSettingsSize, file);
            SafeClose(file);
        }
    }
    const std::size_t size = got > 0 ? static_cast<std::size_t>(got) : 0;
    return LoadSettingsImage(image.Data(), size, record, screenWidth, screenHeight);
}

void MakeSettingsImage(const SettingsRecord& record, SettingsRecord& image) {
    std::memcpy(&image, &record, kSettingsSize);
    if (image.SaveSensSwitch == 0) {
        ResetSensitiveFields(image);
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&image);
    image.SettingsCheck = XorChecksum(bytes, kCheckedBytes, 0);
}

bool SaveSettings(const std::string& path, const SettingsRecord& record) {
    SecureBuffer scratch = SecureBuffer::TryAllocate(kSettingsSize);
    if (scratch.Empty() || path.empty()) {
        return false;
    }
    auto& image = *reinterpret_cast<SettingsRecord*>(scratch.Data());
    MakeSettingsImage(record, image);
    return WriteImage(FollowLinks(path), image);
}

} // namespace vlt
