// The note before a wipe: its text for each reason, and once per file system.
#include <gtest/gtest.h>

#include <map>

#include "batch/wipe_reach_note.h"

namespace vlt {
namespace {

TEST(WipeReachNote, NamesTheFileSystemAndWhy) {
    struct Case {
        MountedFileSystem fileSystem;
        const char* expected;
    };
    const Case cases[] = {
        {{"/", "ext4", 1, true}, ""},
        {{"/data", "xfs", 1, std::nullopt}, ""},
        {{"/home", "btrfs", 1, false},
         "Note: overwriting in place may not reach the old data on /home (btrfs): a copy-on-write file system "
         "writes the new data beside the old."},
        {{"/", "ext4", 1, false},
         "Note: overwriting in place may not reach the old data on / (ext4): its flash device writes rewritten "
         "blocks elsewhere."},
        {{"/dev/shm", "tmpfs", 1, std::nullopt},
         "Note: overwriting in place may not reach the old data on /dev/shm (tmpfs): it is held in memory, and "
         "pages swapped out stay in the swap area."},
        {{"/srv/share", "nfs4", 1, std::nullopt},
         "Note: overwriting in place may not reach the old data on /srv/share (nfs4): the data lives on a server "
         "that may keep its own copies."},
        {{"/", "overlay", 1, std::nullopt},
         "Note: overwriting in place may not reach the old data on / (overlay): an overlay leaves the copy in its "
         "lower layer untouched."},
        {{"/mnt/card", "f2fs", 1, false},
         "Note: overwriting in place may not reach the old data on /mnt/card (f2fs): a log-structured file system "
         "writes the new data beside the old."},
        // A mount point is a name like any other: it cannot end the line early.
        {{"/mnt/a\nb", "tmpfs", 1, std::nullopt},
         "Note: overwriting in place may not reach the old data on /mnt/a\\x0Ab (tmpfs): it is held in memory, "
         "and pages swapped out stay in the swap area."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WipeReachNote(c.fileSystem), c.expected) << c.fileSystem.mountPoint << " " << c.fileSystem.type;
    }
}

TEST(WipeReachNote, EachFileSystemIsNotedOnce) {
    // Paths by their first directory: /flash on device 1, /ssd on 2 and 3 (two
    // subvolumes of one btrfs), /disk rotational on 4.
    const std::map<std::string, MountedFileSystem> byTop = {
        {"flash", {"/flash", "ext4", 1, false}},
        {"ssd", {"/ssd", "btrfs", 2, false}},
        {"disk", {"/disk", "ext4", 4, true}},
    };
    int lookups = 0;
    WipeReachNotes notes([&](const std::string& path) -> std::optional<MountedFileSystem> {
        ++lookups;
        const auto it = byTop.find(path.substr(1, path.find('/', 1) - 1));
        return it == byTop.end() ? std::nullopt : std::optional(it->second);
    });
    EXPECT_EQ(notes.NoteFor("/disk/a", 4), "");
    EXPECT_NE(notes.NoteFor("/flash/a", 1).find("/flash (ext4)"), std::string::npos);
    EXPECT_EQ(notes.NoteFor("/flash/b", 1), "");
    EXPECT_NE(notes.NoteFor("/ssd/a", 2).find("/ssd (btrfs)"), std::string::npos);
    EXPECT_EQ(notes.NoteFor("/ssd/sub/b", 3), "");
    EXPECT_EQ(notes.NoteFor("/gone/x", 5), "");
    // One look-up per device; the known devices were not looked up again.
    EXPECT_EQ(lookups, 5);
}

} // namespace
} // namespace vlt
