#pragma once
// The 620-byte settings record. Its memory image is the configuration file's
// content byte for byte: packed, multi-byte integers little-endian, booleans one
// byte (any non-zero value is on), short strings a length byte and the characters.
// Fields carry the names of the options-dialog controls that edit them.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vlt {

static_assert(std::endian::native == std::endian::little, "the record is a little-endian file image");

constexpr std::uint16_t kSettingsMagic = 0x1992;
constexpr std::size_t kSettingsSize = 620;
constexpr int kDefaultWindowWidth = 620;
constexpr int kDefaultWindowHeight = 460;

#pragma pack(push, 1)
struct SettingsRecord {
    std::uint16_t SettingsMagic; // 0x1992
    std::uint8_t SaveSensSwitch; // off: the sensitive fields are saved in their default form
    std::uint8_t ViewChanged;    // run-time: the file list must be rebuilt after the options dialog
    std::uint8_t FontChanged;    // run-time: the file-list font changed in the options dialog
    std::uint8_t WindowState;    // main window: 0 normal, 1 minimised, 2 maximised
    std::uint16_t WindowLeft;    // main window placement in its normal state, pixels
    std::uint16_t WindowTop;
    std::uint16_t WindowWidth;
    std::uint16_t WindowHeight;
    std::uint8_t ConfirmSwitch;     // ask before each batch
    std::uint8_t FileViewSetting;   // examine file states: 0 never, 1 always, 2 only on fixed disks
    std::uint8_t ShowDetailsSwitch; // file list as a six-column report; off: names only
    std::uint8_t VerifySwitch;      // read back outputs before originals go; any non-zero value is on
                                    // (older programs wrote 1 here and never read it)
    std::uint8_t SecColSwitch;      // TEMPEST mode of the passphrase dialog
    std::uint16_t ColumnWidths[6];  // Name, Size, Date, Time, Attr., State
    std::uint8_t FontName[33];      // short string, at most 32 characters; use GetFontName/SetFontName
    std::uint16_t FontSize;         // points
    std::uint8_t FontStyle;         // bit 0 bold, 1 italic, 2 underline, 3 strike-out
    std::uint32_t FontColor;        // 0x80000000 + n: system colour n; else 0x00BBGGRR
    std::uint16_t OptionsLeft;      // where the options dialog was closed
    std::uint16_t OptionsTop;
    std::uint16_t Reserved75[2];         // written as 0, never interpreted
    std::uint8_t VLT7CompSwitch;         // older container generation and its limits (sensitive)
    std::uint8_t OverWSwitch;            // warn before overwriting existing files
    std::uint8_t IgnoreAlreadyEncSwitch; // stored inverted: 1 = box NOT ticked; use IgnoreAlreadyEncrypted()
    std::uint8_t Algo1Box;               // first (or only) algorithm, 1..6 (sensitive)
    std::uint8_t Algo2Box;               // second algorithm of mixed encryption, 1..6, never the first (sensitive)
    std::uint8_t MixedEncryptionSwitch;  // two algorithms, two passphrases (sensitive)
    std::uint8_t KeepDTSwitch;           // keep date+time stamps
    std::uint8_t IncFNameSwitch;         // store original file names in encrypted files (sensitive)
    std::uint8_t RenameSwitch;           // give encrypted files random names
    std::uint8_t KeepExtSwitch;          // keep file extensions when renaming
    std::uint8_t CompressSwitch;         // compress files
    std::uint8_t ForceCompSwitch;        // force compression
    std::uint8_t WipeSwitch;             // wipe original files after encryption
    std::uint8_t ParaWipeSwitch;         // 35-pass wiping instead of counted overwrite cycles
    std::uint8_t NumOfDODBox;            // overwrite cycles for wiping, 1..99
    std::uint8_t WipeConfSwitch;         // wiping requires confirmation
    std::uint8_t IgnoreCRC32Switch;      // ignore CRC32 errors when decrypting
    std::uint8_t RestAttrSwitch;         // restore original attributes when decrypting
    std::uint8_t RestFNameSwitch;        // restore original file names when decrypting
    std::uint32_t ExcludeMask;           // attributes whose files are left out of the file list (faReadOnly, ...)
    std::uint8_t ShowPassSwitch;         // passphrase dialog shows the passphrase
    std::uint8_t NumSwitch;              // passphrase dialog takes numerical input
    std::uint8_t ZeroCBCSwitch;          // zero CBC and random number generation (sensitive)
    std::uint8_t ExtDestDialogSwitch;    // query for a destination before encrypting or decrypting
    std::uint8_t RemoveOrigSwitch;       // remove originals written to another destination
    std::uint8_t CurrentPath[256];       // short string: directory + "/" + mask (sensitive); Get/SetCurrentPath
    std::uint8_t LastDestination[256];   // short string ending in "/" when set (sensitive); Get/SetLastDestination
    std::uint8_t SettingsCheck;          // XOR of bytes 0 to 618

    // The "Ignore already encrypted files" box as the user sees it.
    bool IgnoreAlreadyEncrypted() const { return IgnoreAlreadyEncSwitch == 0; }
    // Already encrypted files are encrypted once more.
    bool EncryptAgain() const { return IgnoreAlreadyEncSwitch != 0; }
    void SetIgnoreAlreadyEncrypted(bool ignore) { IgnoreAlreadyEncSwitch = ignore ? 0 : 1; }

    // "Verify before removing originals": on unless a zero was stored.
    bool VerifyOutputs() const { return VerifySwitch != 0; }
    void SetVerifyOutputs(bool verify) { VerifySwitch = verify ? 1 : 0; }

    // Short strings as text. A stored length beyond the field reads as the whole
    // field; setters refuse (false, field unchanged) text longer than the field
    // holds and zero the bytes behind the new text.
    std::string GetFontName() const;
    [[nodiscard]] bool SetFontName(const std::string& text);
    std::string GetCurrentPath() const;
    [[nodiscard]] bool SetCurrentPath(const std::string& text);
    std::string GetLastDestination() const;
    [[nodiscard]] bool SetLastDestination(const std::string& text);
};
#pragma pack(pop)

static_assert(sizeof(SettingsRecord) == kSettingsSize);
static_assert(offsetof(SettingsRecord, SaveSensSwitch) == 2);
static_assert(offsetof(SettingsRecord, WindowState) == 5);
static_assert(offsetof(SettingsRecord, WindowLeft) == 6);
static_assert(offsetof(SettingsRecord, WindowHeight) == 12);
static_assert(offsetof(SettingsRecord, ConfirmSwitch) == 14);
static_assert(offsetof(SettingsRecord, VerifySwitch) == 17);
static_assert(offsetof(SettingsRecord, ColumnWidths) == 19);
static_assert(offsetof(SettingsRecord, FontName) == 31);
static_assert(offsetof(SettingsRecord, FontSize) == 64);
static_assert(offsetof(SettingsRecord, FontColor) == 67);
static_assert(offsetof(SettingsRecord, OptionsLeft) == 71);
static_assert(offsetof(SettingsRecord, Reserved75) == 75);
static_assert(offsetof(SettingsRecord, VLT7CompSwitch) == 79);
static_assert(offsetof(SettingsRecord, IgnoreAlreadyEncSwitch) == 81);
static_assert(offsetof(SettingsRecord, Algo1Box) == 82);
static_assert(offsetof(SettingsRecord, MixedEncryptionSwitch) == 84);
static_assert(offsetof(SettingsRecord, IncFNameSwitch) == 86);
static_assert(offsetof(SettingsRecord, CompressSwitch) == 89);
static_assert(offsetof(SettingsRecord, NumOfDODBox) == 93);
static_assert(offsetof(SettingsRecord, RestFNameSwitch) == 97);
static_assert(offsetof(SettingsRecord, ExcludeMask) == 98);
static_assert(offsetof(SettingsRecord, ShowPassSwitch) == 102);
static_assert(offsetof(SettingsRecord, ZeroCBCSwitch) == 104);
static_assert(offsetof(SettingsRecord, RemoveOrigSwitch) == 106);
static_assert(offsetof(SettingsRecord, CurrentPath) == 107);
static_assert(offsetof(SettingsRecord, LastDestination) == 363);
static_assert(offsetof(SettingsRecord, SettingsCheck) == 619);

} // namespace vlt
