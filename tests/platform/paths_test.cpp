#include "platform/paths.h"

#include <gtest/gtest.h>

namespace vlt {
namespace {

TEST(PathParts, SplitAtTheLastSlash) {
    struct Case {
        const char* path;
        const char* dir;
        const char* name;
    };
    const Case cases[] = {
        {"/home/ann/data/*.*", "/home/ann/data/", "*.*"},
        {"/", "/", ""},
        {"/file", "/", "file"},
        {"dir/", "dir/", ""},
        {"plain.txt", "", "plain.txt"},
        {"", "", ""},
        {"a\\b:c", "", "a\\b:c"}, // only "/" separates
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathDirPart(c.path), c.dir) << c.path;
        EXPECT_EQ(PathNamePart(c.path), c.name) << c.path;
    }
}

TEST(MatchesMask, DosWildcardsIgnoringCase) {
    struct Case {
        const char* name;
        const char* mask;
        bool matches;
    };
    const Case cases[] = {
        {"report.txt", "*.*", true},
        {"README", "*.*", true}, // no dot at all
        {".profile", "*.*", true},
        {"archive.tar.gz", "*.*", true},
        {"notes.TXT", "*.txt", true},
        {"notes.txt", "*.TXT", true},
        {"notes.txt.bak", "*.TXT", false},
        {"notes.tx", "*.TXT", false},
        {"NOTES.TXT", "notes.txt", true},
        {"a1.dat", "a?.dat", true},
        {"a.dat", "a?.dat", false},
        {"a12.dat", "a?.dat", false},
        {"data", "dat?", true},
        {"README", "read*", true},
        {"README", "*.txt", false},
        {"abc", "*", true},
        {"", "*", true},
        {"abc", "", false},
        {"aXbXc", "*b*c", true},
        {"aaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*c", false},
        {"data", "d*.*", true},
        {"x.y", "*.", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " vs " << c.mask;
    }
}

} // namespace
} // namespace vlt
