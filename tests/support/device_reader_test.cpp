// Reading a file for a check: the same bytes from the device (whether the file
// system takes O_DIRECT or the reader falls back to dropping the cached pages) and
// through the cache, in pieces of any size, and never through a symbolic link.
#include "common/temp_dir.h"
#include "support/device_reader.h"
#include "support/file_access.h"
#include "support/file_faults.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace vlt {
namespace {

using namespace vlt::testing;

std::vector<std::uint8_t> ReadInPieces(DeviceReader& reader, std::size_t piece) {
    std::vector<std::uint8_t> all;
    std::vector<std::uint8_t> buffer(piece);
    for (;;) {
        const std::int64_t got = reader.Read(buffer.data(), piece);
        EXPECT_GE(got, 0);
        if (got <= 0) {
            return all;
        }
        all.insert(all.end(), buffer.begin(), buffer.begin() + got);
    }
}

// How a file is read: from the device with O_DIRECT, from the device after its
// cached pages were dropped (O_DIRECT refused), or at rest through the cache.
enum class Way { Direct, DroppedCache, Cached };

TEST(DeviceReaderTest, ReadsEveryByteInEachWayAndInPiecesOfAnySize) {
    TempDir dir;
    for (const std::size_t size : {std::size_t{0}, std::size_t{7}, std::size_t{4096}, std::size_t{(1 << 20) + 13}}) {
        const auto bytes = PatternBytes(size, 3);
        WriteBytes(dir.File("f"), bytes);
        for (const Way way : {Way::Direct, Way::DroppedCache, Way::Cached}) {
            for (const std::size_t piece : {std::size_t{7}, std::size_t{65536}}) {
                SCOPED_TRACE(std::to_string(size) + " bytes, pieces of " + std::to_string(piece) + ", way " +
                             std::to_string(static_cast<int>(way)));
                FileHandle holder = SafeOpen(dir.File("f"), omRead);
                ASSERT_TRUE(holder.IsOpen());
                if (way == Way::DroppedCache) {
                    InjectFileFault(FileOp::DirectRead, 1);
                }
                DeviceReader reader;
                if (way == Way::Cached) {
                    holder = FileHandle();
                    ASSERT_TRUE(reader.OpenPath(dir.File("f")));
                } else {
                    ASSERT_TRUE(reader.OpenSame(holder.Descriptor()));
                }
                if (way != Way::Direct) {
                    EXPECT_FALSE(reader.IsDirect());
                }
                EXPECT_TRUE(ReadInPieces(reader, piece) == bytes);
                ClearFileFaults();
            }
        }
    }
}

// The holder keeps its lock and its own file position.
TEST(DeviceReaderTest, ReadsTheFileAnotherHandleHoldsWithoutMovingIt) {
    TempDir dir;
    const auto bytes = PatternBytes(10000, 5);
    FileHandle holder = SafeOpen(dir.File("f"), omCreate);
    ASSERT_TRUE(holder.IsOpen());
    ASSERT_EQ(SafeWrite(bytes.data(), 1, bytes.size(), holder), static_cast<std::int64_t>(bytes.size()));
    DeviceReader reader;
    ASSERT_TRUE(reader.OpenSame(holder.Descriptor()));
    EXPECT_TRUE(ReadInPieces(reader, 4096) == bytes);
    reader.Close();
    EXPECT_EQ(lseek(holder.Descriptor(), 0, SEEK_CUR), static_cast<off_t>(bytes.size()));
    EXPECT_FALSE(SafeOpen(dir.File("f"), omRead).IsOpen()); // still locked
}

TEST(DeviceReaderTest, RefusesLinksDirectoriesAndMissingFiles) {
    TempDir dir;
    WriteBytes(dir.File("f"), PatternBytes(10, 1));
    ASSERT_EQ(symlink(dir.File("f").c_str(), dir.File("link").c_str()), 0);
    DeviceReader reader;
    EXPECT_FALSE(reader.OpenPath(dir.File("link")));
    EXPECT_FALSE(reader.OpenPath(dir.Path()));
    EXPECT_FALSE(reader.OpenPath(dir.File("missing")));
    EXPECT_FALSE(reader.OpenSame(-1));
    char byte = 0;
    EXPECT_EQ(reader.Read(&byte, 1), -1);
}

} // namespace
} // namespace vlt
