#include "platform/config_location.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace vlt {
namespace {

TEST(ConfigLocation, BesideAWritableProgramDirectory) {
    const std::string programDir = ProgramDirectory();
    ASSERT_FALSE(programDir.empty());
    EXPECT_EQ(programDir.front(), '/');
    EXPECT_EQ(programDir.back(), '/');
    // The test binary sits in the build tree, which is writable.
    ASSERT_EQ(access(programDir.c_str(), W_OK), 0);
    EXPECT_EQ(ConfigFilePath(), programDir + "vlt95.cfg");
}

} // namespace
} // namespace vlt
