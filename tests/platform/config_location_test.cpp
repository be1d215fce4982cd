#include "platform/config_location.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace vlt {
namespace {

using testing::TempDir;

TEST(ConfigLocation, BesideAWritableProgramDirectory) {
    const std::string programDir = ProgramDirectory();
    ASSERT_FALSE(programDir.empty());
    EXPECT_EQ(programDir.front(), '/');
    EXPECT_EQ(programDir.back(), '/');
    // The test binary sits in the build tree, which is writable.
    ASSERT_EQ(access(programDir.c_str(), W_OK), 0);
    EXPECT_EQ(ConfigFilePath(), programDir + "vlt95.cfg");
}

TEST(ConfigLocation, FallsBackToTheUsersConfigurationDirectory) {
    TempDir dir;
    const std::string nowhere = dir.File("not/installed/");
    const std::string home = dir.File("home");
    ASSERT_EQ(mkdir(home.c_str(), 0700), 0);

    struct Case {
        std::string xdg;
        std::string expected;
    };
    const Case cases[] = {
        {dir.File("xdg/deeper"), dir.File("xdg/deeper/vlt95/vlt95.cfg")},
        {"", home + "/.config/vlt95/vlt95.cfg"},
        {"relative/path", home + "/.config/vlt95/vlt95.cfg"}, // ignored: not absolute
    };
    for (const Case& c : cases) {
        const std::string path = ChooseConfigFilePath(nowhere, "/usr/bin/", c.xdg, home);
        EXPECT_EQ(path, c.expected) << c.xdg;
        struct stat info {};
        ASSERT_EQ(stat(path.substr(0, path.rfind('/')).c_str(), &info), 0) << c.xdg;
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
}

TEST(ConfigLocation, AnExistingFileBesideTheProgramWins) {
    TempDir dir;
    testing::WriteText(dir.File("vlt95.cfg"), "x");
    ASSERT_EQ(chmod(dir.Path().c_str(), 0500), 0); // read-only program directory
    EXPECT_EQ(ChooseConfigFilePath(dir.Path() + "/", dir.Path() + "/", dir.File("xdg"), dir.File("home")), dir.File("vlt95.cfg"));
    EXPECT_FALSE(testing::Exists(dir.File("xdg")));
}

TEST(ConfigLocation, AWritableInstallDirectoryIsNotPortable) {
    // Root can write the directory the package installed the programs in; the file
    // must still go to the user's directory, or removing the package leaves it behind.
    TempDir dir;
    const std::string installed = dir.Path() + "/";
    ASSERT_EQ(access(installed.c_str(), W_OK), 0);
    EXPECT_EQ(ChooseConfigFilePath(installed, installed, dir.File("xdg"), dir.File("home")),
              dir.File("xdg/vlt95/vlt95.cfg"));
    EXPECT_FALSE(testing::Exists(dir.File("vlt95.cfg")));
}

TEST(ConfigLocation, AFileInTheWayIsLeftAlone) {
    TempDir dir;
    testing::WriteText(dir.File("vlt95"), "the user's own file");
    EXPECT_EQ(ChooseConfigFilePath("", "/usr/bin/", dir.Path(), dir.File("home")), dir.File("vlt95/vlt95.cfg"));
    EXPECT_EQ(testing::ReadBytes(dir.File("vlt95")).size(), 19u);
}

} // namespace
} // namespace vlt
