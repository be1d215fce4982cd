#include "platform/unbuffered_file.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

namespace vlt {
namespace {

using testing::TempDir;

TEST(AlignedBuffer, IsAlignedRoundedAndZeroed) {
    AlignedBuffer buffer(5000);
    ASSERT_FALSE(buffer.Empty());
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.Data()) % kDirectAlignment, 0u);
    EXPECT_EQ(buffer.Size(), 8192u);
    for (std::size_t i = 0; i < buffer.Size(); ++i) {
        ASSERT_EQ(buffer.Data()[i], 0) << i;
    }
    AlignedBuffer moved = std::move(buffer);
    EXPECT_TRUE(buffer.Empty());
    EXPECT_EQ(moved.Size(), 8192u);
    EXPECT_TRUE(AlignedBuffer(0).Empty());
}

TEST(UnbufferedFile, CreatesWritesAndSyncsWholeBlocks) {
    TempDir dir;
    UnbufferedFile file;
    ASSERT_TRUE(file.Open(dir.File("fill.dat"), UnbufferedFile::Mode::CreateNew));
    const std::size_t block = file.BlockSize();
    EXPECT_EQ(block & (block - 1), 0u);
    AlignedBuffer buffer(2 * block);
    const auto pattern = testing::PatternBytes(buffer.Size());
    std::memcpy(buffer.Data(), pattern.data(), pattern.size());
    EXPECT_EQ(file.Write(buffer.Data(), buffer.Size()), static_cast<std::int64_t>(buffer.Size()));
    EXPECT_TRUE(file.Sync());
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(testing::ReadBytes(dir.File("fill.dat")), pattern);

    UnbufferedFile again;
    EXPECT_FALSE(again.Open(dir.File("fill.dat"), UnbufferedFile::Mode::CreateNew));
}

TEST(UnbufferedFile, OverwritesInPlaceWithoutTruncating) {
    TempDir dir;
    const auto original = testing::PatternBytes(3 * kDirectAlignment, 7);
    testing::WriteBytes(dir.File("victim"), original);

    UnbufferedFile file;
    ASSERT_TRUE(file.Open(dir.File("victim"), UnbufferedFile::Mode::OverwriteExisting));
    AlignedBuffer buffer(kDirectAlignment);
    std::memset(buffer.Data(), 0xA5, buffer.Size());
    ASSERT_TRUE(file.Seek(kDirectAlignment));
    EXPECT_EQ(file.Write(buffer.Data(), buffer.Size()), static_cast<std::int64_t>(kDirectAlignment));
    EXPECT_TRUE(file.Sync());
    EXPECT_TRUE(file.Close());

    auto expected = original;
    std::memset(expected.data() + kDirectAlignment, 0xA5, kDirectAlignment);
    EXPECT_EQ(testing::ReadBytes(dir.File("victim")), expected);
}

TEST(UnbufferedFile, MisalignedWritesFallBackToBufferedOutput) {
    TempDir dir;
    UnbufferedFile file;
    ASSERT_TRUE(file.Open(dir.File("odd"), UnbufferedFile::Mode::CreateNew));
    AlignedBuffer buffer(2 * kDirectAlignment);
    std::memset(buffer.Data(), 0x3C, buffer.Size());
    EXPECT_EQ(file.Write(buffer.Data() + 1, 100), 100);
    EXPECT_FALSE(file.IsDirect());
    EXPECT_TRUE(file.Sync());
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(testing::ReadBytes(dir.File("odd")), std::vector<std::uint8_t>(100, 0x3C));
}

TEST(UnbufferedFile, RefusesLinksMissingFilesAndDirectories) {
    TempDir dir;
    testing::WriteText(dir.File("target"), "keep me");
    ASSERT_EQ(symlink(dir.File("target").c_str(), dir.File("link").c_str()), 0);
    UnbufferedFile file;
    EXPECT_FALSE(file.Open(dir.File("link"), UnbufferedFile::Mode::OverwriteExisting));
    EXPECT_FALSE(file.Open(dir.File("link"), UnbufferedFile::Mode::CreateNew));
    EXPECT_FALSE(file.Open(dir.File("missing"), UnbufferedFile::Mode::OverwriteExisting));
    EXPECT_FALSE(file.Open(dir.Path(), UnbufferedFile::Mode::OverwriteExisting));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Write("x", 1), -1);
    EXPECT_FALSE(file.Sync());
    EXPECT_FALSE(testing::Exists(dir.File("missing")));
}

} // namespace
} // namespace vlt
