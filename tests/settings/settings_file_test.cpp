#include "settings/settings_file.h"

#include "common/temp_dir.h"
#include "platform/config_location.h"
#include "support/file_faults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

namespace vlt {
namespace {

using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& image, std::size_t offset, std::uint16_t value) {
    image[offset] = static_cast<std::uint8_t>(value);
    image[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutShortString(Bytes& image, std::size_t offset, const std::string& text) {
    image[offset] = static_cast<std::uint8_t>(text.size());
    std::memcpy(image.data() + offset + 1, text.data(), text.size());
}

void Seal(Bytes& image) {
    std::uint8_t check = 0;
    for (std::size_t i = 0; i < 619; ++i) {
        check ^= image[i];
    }
    image[619] = check;
}

// The default file written out field by field, independent of the record type.
Bytes DefaultImage(std::uint16_t left, std::uint16_t top) {
    Bytes image(620, 0);
    Put16(image, 0, 0x1992);
    image[2] = 1; // SaveSensSwitch
    Put16(image, 6, left);
    Put16(image, 8, top);
    Put16(image, 10, 620);
    Put16(image, 12, 460);
    image[14] = 1; // ConfirmSwitch
    image[16] = 1; // ShowDetailsSwitch
    image[17] = 1; // verify outputs
    image[18] = 1; // SecColSwitch
    const std::uint16_t widths[6] = {200, 80, 70, 70, 40, 120};
    for (int i = 0; i < 6; ++i) {
        Put16(image, 19 + 2 * i, widths[i]);
    }
    PutShortString(image, 31, "MS Sans Serif");
    Put16(image, 64, 8);
    image[67] = 0x08; // FontColor 0x80000008
    image[70] = 0x80;
    image[80] = 1;  // OverWSwitch
    image[82] = 1;  // Algo1Box
    image[83] = 6;  // Algo2Box
    image[85] = 1;  // KeepDTSwitch
    image[86] = 1;  // IncFNameSwitch
    image[93] = 1;  // NumOfDODBox
    image[94] = 1;  // WipeConfSwitch
    image[96] = 1;  // RestAttrSwitch
    image[97] = 1;  // RestFNameSwitch
    image[98] = 7;  // ExcludeMask
    image[105] = 1; // ExtDestDialogSwitch
    PutShortString(image, 107, DefaultCurrentPath());
    Seal(image);
    return image;
}

Bytes ImageOf(const SettingsRecord& record) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    return Bytes(bytes, bytes + sizeof record);
}

// Defaults for an 800 x 600 screen: the window at 90, 70.
SettingsRecord Defaults() {
    SettingsRecord record{};
    DefaultSettings(record, 800, 600);
    return record;
}

Bytes SealedImage(const SettingsRecord& record) {
    SettingsRecord image{};
    MakeSettingsImage(record, image);
    return ImageOf(image);
}

SettingsRecord Garbage() {
    SettingsRecord record;
    std::memset(&record, 0xAA, sizeof record);
    return record;
}

class SettingsFileTest : public ::testing::Test {
protected:
    void TearDown() override { ClearFileFaults(); }
    std::string Cfg() const { return dir.File("vlt95.cfg"); }
    TempDir dir;
};

TEST_F(SettingsFileTest, DefaultsSaveAsTheExpectedByteImage) {
    SettingsRecord record{};
    DefaultSettings(record, 1024, 768);
    ASSERT_TRUE(SaveSettings(Cfg(), record));
    EXPECT_EQ(testing::ReadBytes(Cfg()), DefaultImage(202, 154));
    EXPECT_EQ(testing::ListNames(dir.Path()), std::vector<std::string>{"vlt95.cfg"}); // no work file left

    EXPECT_EQ(record.GetCurrentPath(), HomeDirectory() + "/*.*");
    EXPECT_TRUE(record.IgnoreAlreadyEncrypted());
    EXPECT_FALSE(record.EncryptAgain());
}

TEST_F(SettingsFileTest, DefaultPlacementIsCentredButNeverNegative) {
    struct Case {
        int width, height;
        std::uint16_t left, top;
    };
    const Case cases[] = {
        {1920, 1080, 650, 310}, {621, 461, 0, 0}, {623, 463, 1, 1}, {620, 460, 0, 0}, {320, 200, 0, 0}, {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SettingsRecord record{};
        DefaultSettings(record, c.width, c.height);
        EXPECT_EQ(record.WindowLeft, c.left) << c.width;
        EXPECT_EQ(record.WindowTop, c.top) << c.height;
    }
}

TEST_F(SettingsFileTest, DamagedFilesLoadAsCleanDefaults) {
    SettingsRecord valid = Defaults();
    valid.CompressSwitch = 1;
    const Bytes good = SealedImage(valid);

    auto flipped = [&](std::size_t byte, int bit) {
        Bytes image = good;
        image[byte] ^= static_cast<std::uint8_t>(1 << bit);
        return image;
    };
    Bytes foreignMagic = good;
    foreignMagic[0] = 0x19;
    foreignMagic[1] = 0x92;
    Seal(foreignMagic); // consistent, but not ours
    const std::pair<const char*, Bytes> cases[] = {
        {"empty", {}},
        {"619 bytes", Bytes(good.begin(), good.end() - 1)},
        {"wrong magic", foreignMagic},
        {"bit in the magic", flipped(1, 0)},
        {"bit in a switch", flipped(89, 0)},
        {"bit in a string tail", flipped(400, 7)},
        {"bit in the check byte", flipped(619, 3)},
    };
    for (const auto& [name, image] : cases) {
        testing::WriteBytes(Cfg(), image);
        SettingsRecord record = Garbage();
        EXPECT_FALSE(LoadSettings(Cfg(), record, 1024, 768)) << name;
        Bytes expected = DefaultImage(202, 154);
        expected[619] = 0; // the check byte is computed on saving only
        EXPECT_EQ(ImageOf(record), expected) << name;
    }
}

TEST_F(SettingsFileTest, MissingOrUnreadableFileGivesDefaults) {
    SettingsRecord record = Garbage();
    EXPECT_FALSE(LoadSettings(dir.File("absent.cfg"), record));
    EXPECT_EQ(record.SettingsMagic, kSettingsMagic);
    EXPECT_EQ(record.ViewChanged, 0);

    ASSERT_EQ(mkdir(Cfg().c_str(), 0700), 0); // a directory where the file belongs
    record = Garbage();
    EXPECT_FALSE(LoadSettings(Cfg(), record));
    EXPECT_EQ(record.Algo2Box, 6);
    EXPECT_FALSE(SaveSettings(Cfg(), record));
    struct stat info {};
    ASSERT_EQ(lstat(Cfg().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode)); // left as it was
    EXPECT_EQ(testing::ListNames(dir.Path()), std::vector<std::string>{"vlt95.cfg"});

    // A fifo (or a link to a device) is refused at once instead of read from.
    ASSERT_EQ(mkfifo(dir.File("pipe.cfg").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", dir.File("zero.cfg").c_str()), 0);
    for (const char* name : {"pipe.cfg", "zero.cfg"}) {
        record = Garbage();
        EXPECT_FALSE(LoadSettings(dir.File(name), record)) << name;
        EXPECT_EQ(record.SettingsMagic, kSettingsMagic) << name;
    }
}

TEST_F(SettingsFileTest, LongerFileWithAValidRecordLoads) {
    SettingsRecord saved = Defaults();
    saved.WindowState = 2;
    saved.NumOfDODBox = 7;
    saved.SetIgnoreAlreadyEncrypted(false);
    ASSERT_TRUE(saved.SetLastDestination("/srv/out/"));
    saved.ViewChanged = 1;
    Bytes image = SealedImage(saved);
    image.resize(image.size() + 100, 0xEE); // trailing bytes are ignored
    testing::WriteBytes(Cfg(), image);

    SettingsRecord loaded = Garbage();
    ASSERT_TRUE(LoadSettings(Cfg(), loaded));
    EXPECT_EQ(ImageOf(loaded), Bytes(image.begin(), image.begin() + 620));
    EXPECT_EQ(loaded.GetLastDestination(), "/srv/out/");
    EXPECT_TRUE(loaded.EncryptAgain());
    EXPECT_EQ(loaded.IgnoreAlreadyEncSwitch, 1);
}

TEST_F(SettingsFileTest, ValuesThatWouldIndexPastATableTakeTheirDefaults) {
    SettingsRecord odd = Defaults();
    odd.Algo1Box = 0;
    odd.Algo2Box = 9;
    odd.NumOfDODBox = 200;
    odd.WindowState = 7;
    odd.FileViewSetting = 3;
    const Bytes image = SealedImage(odd);
    SettingsRecord loaded{};
    ASSERT_TRUE(LoadSettingsImage(image.data(), image.size(), loaded));
    EXPECT_EQ(loaded.Algo1Box, 1);
    EXPECT_EQ(loaded.Algo2Box, 6);
    EXPECT_EQ(loaded.NumOfDODBox, 99);
    EXPECT_EQ(loaded.WindowState, 0);
    EXPECT_EQ(loaded.FileViewSetting, 0);
}

TEST_F(SettingsFileTest, SensitiveFieldsAreResetInTheFileOnly) {
    SettingsRecord record = Defaults();
    record.SaveSensSwitch = 0;
    record.VLT7CompSwitch = 1;
    record.Algo1Box = 3;
    record.Algo2Box = 4;
    record.MixedEncryptionSwitch = 1;
    record.IncFNameSwitch = 0;
    record.ZeroCBCSwitch = 1;
    ASSERT_TRUE(record.SetCurrentPath("/secret/project/*.doc"));
    ASSERT_TRUE(record.SetLastDestination("/secret/out/"));
    record.CompressSwitch = 1; // not sensitive: kept
    record.NumOfDODBox = 5;
    record.WindowWidth = 900;
    const Bytes before = ImageOf(record);

    ASSERT_TRUE(SaveSettings(Cfg(), record));
    EXPECT_EQ(ImageOf(record), before); // the running program keeps its values

    const Bytes file = testing::ReadBytes(Cfg());
    ASSERT_EQ(file.size(), 620u);
    std::uint8_t all = 0;
    for (const std::uint8_t b : file) {
        all ^= b;
    }
    EXPECT_EQ(all, 0); // check byte matches

    Bytes expected = DefaultImage(90, 70);
    expected[2] = 0; // SaveSensSwitch off
    expected[89] = 1;
    expected[93] = 5;
    Put16(expected, 10, 900);
    Seal(expected);
    EXPECT_EQ(file, expected); // string fields zero-filled behind the default text

    record.SaveSensSwitch = 1;
    ASSERT_TRUE(SaveSettings(Cfg(), record));
    SettingsRecord loaded{};
    ASSERT_TRUE(LoadSettings(Cfg(), loaded));
    EXPECT_EQ(loaded.GetCurrentPath(), "/secret/project/*.doc");
    EXPECT_EQ(loaded.Algo1Box, 3);
}

TEST_F(SettingsFileTest, AFailedSaveKeepsTheOldFileAndTheUsersFiles) {
    SettingsRecord old = Defaults();
    ASSERT_TRUE(SaveSettings(Cfg(), old));
    const Bytes oldFile = testing::ReadBytes(Cfg());
    testing::WriteText(dir.File("vlt95.cfg.new"), "the user's own file");

    SettingsRecord changed = old;
    changed.CompressSwitch = 1;
    // The work file's first name is taken by the user's file, so its open is the second call.
    const std::pair<FileOp, int> faults[] = {
        {FileOp::Open, 2}, {FileOp::Write, 1}, {FileOp::Sync, 1}, {FileOp::Close, 1}, {FileOp::Rename, 1}};
    for (const auto& [op, nth] : faults) {
        InjectFileFault(op, nth);
        EXPECT_FALSE(SaveSettings(Cfg(), changed)) << static_cast<int>(op);
        EXPECT_EQ(testing::ReadBytes(Cfg()), oldFile) << static_cast<int>(op);
        EXPECT_EQ(testing::ListNames(dir.Path()), (std::vector<std::string>{"vlt95.cfg", "vlt95.cfg.new"}))
            << static_cast<int>(op);
    }
    ClearFileFaults();
    ASSERT_TRUE(SaveSettings(Cfg(), changed));
    SettingsRecord loaded{};
    ASSERT_TRUE(LoadSettings(Cfg(), loaded));
    EXPECT_EQ(loaded.CompressSwitch, 1);
    EXPECT_EQ(testing::ReadBytes(dir.File("vlt95.cfg.new")).size(), 19u);
}

TEST_F(SettingsFileTest, ALinkedConfigurationFileStaysLinked) {
    ASSERT_EQ(mkdir(dir.File("dotfiles").c_str(), 0700), 0);
    testing::WriteText(dir.File("dotfiles/vlt95.cfg"), "old");
    ASSERT_EQ(symlink(dir.File("dotfiles/vlt95.cfg").c_str(), Cfg().c_str()), 0);
    SettingsRecord record = Defaults();
    record.WipeSwitch = 1;
    ASSERT_TRUE(SaveSettings(Cfg(), record));
    struct stat info {};
    ASSERT_EQ(lstat(Cfg().c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(testing::ReadBytes(dir.File("dotfiles/vlt95.cfg")), SealedImage(record));
    SettingsRecord loaded{};
    ASSERT_TRUE(LoadSettings(Cfg(), loaded));
    EXPECT_EQ(loaded.WipeSwitch, 1);
}

// A file written earlier (home /home/user, screen 1024 x 768) still reads back.
TEST(SettingsRecord, StoredDefaultFileLoads) {
    SettingsRecord record{};
    ASSERT_TRUE(LoadSettings(std::string(VLT_TEST_DATA_DIR) + "/fuzz_settings_load/default.cfg", record));
    EXPECT_EQ(record.GetCurrentPath(), "/home/user/*.*");
    EXPECT_EQ(record.WindowLeft, 202);
    EXPECT_EQ(record.WindowTop, 154);
    EXPECT_EQ(record.GetFontName(), "MS Sans Serif");
}

TEST(SettingsRecord, ShortStringsStayInsideTheirFields) {
    SettingsRecord record{};
    EXPECT_TRUE(record.SetFontName(std::string(32, 'F')));
    EXPECT_FALSE(record.SetFontName(std::string(33, 'G')));
    EXPECT_EQ(record.GetFontName(), std::string(32, 'F'));
    EXPECT_TRUE(record.SetCurrentPath(std::string(255, 'p')));
    EXPECT_FALSE(record.SetCurrentPath(std::string(256, 'q')));
    EXPECT_EQ(record.GetCurrentPath().size(), 255u);

    record.FontName[0] = 200; // a damaged length reads no further than the field
    EXPECT_EQ(record.GetFontName(), std::string(32, 'F'));
    EXPECT_TRUE(record.SetFontName("Arial"));
    EXPECT_EQ(record.FontName[6], 0); // the old tail is cleared
}

} // namespace
} // namespace vlt
