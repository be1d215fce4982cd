// Typed text to passphrase bytes: every Windows-1252 character to its byte, nothing
// else silently replaced.
#include <gtest/gtest.h>

#include "support/windows_1252.h"

namespace vlt {
namespace {

TEST(Windows1252, CharactersBecomeTheirBytes) {
    struct Case {
        std::string utf8;
        std::string bytes;
    };
    const Case cases[] = {
        {"", ""},
        {"plain ASCII ~", "plain ASCII ~"},
        {"\xC3\xA4", "\xE4"},                                    // ä
        {"\xE2\x82\xAC", "\x80"},                                // €
        {"\xC3\xBF\xC2\xA0", "\xFF\xA0"},                        // ÿ, no-break space
        {"\xE2\x80\x9E\xC5\xB8\xCB\x9C", "\x84\x9F\x98"},        // „ Ÿ ˜
        {"\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", "\x81\x8D\x8F\x90\x9D"}, // the unassigned five
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        const Windows1252Result result = Utf8ToWindows1252(c.utf8);
        ASSERT_TRUE(result.Ok());
        EXPECT_EQ(result.bytes, c.bytes);
        EXPECT_EQ(Windows1252ToUtf8(result.bytes), c.utf8);
    }
}

TEST(Windows1252, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const Windows1252Result back = Utf8ToWindows1252(Windows1252ToUtf8(all));
    ASSERT_TRUE(back.Ok());
    EXPECT_EQ(back.bytes, all);
}

TEST(Windows1252, CharacterWithoutByteIsAnErrorNamingIt) {
    struct Case {
        std::string utf8;
        const char* character;
        std::size_t position;
    };
    const Case cases[] = {
        {"ab\xC4\x80" "cd", "\xC4\x80", 2},        // Ā
        {"\xE2\x82\xAC\xE6\x97\xA5", "\xE6\x97\xA5", 3}, // € then 日
        {"x\xF0\x9F\x94\x91", "\xF0\x9F\x94\x91", 1},    // a key emoji
        {"\xC2\x80", "\xC2\x80", 0},                 // U+0080 has no byte (0x80 is €)
    };
    for (const Case& c : cases) {
        const Windows1252Result result = Utf8ToWindows1252(c.utf8);
        EXPECT_FALSE(result.Ok());
        EXPECT_EQ(result.error, Windows1252Result::Error::NoByte);
        EXPECT_EQ(result.character, c.character);
        EXPECT_EQ(result.position, c.position);
        EXPECT_TRUE(result.bytes.empty());
    }
}

TEST(Windows1252, MalformedUtf8IsAnError) {
    for (const std::string bad : {"\xE4", "a\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80"}) {
        const Windows1252Result result = Utf8ToWindows1252(bad);
        EXPECT_EQ(result.error, Windows1252Result::Error::InvalidUtf8) << bad;
    }
}

} // namespace
} // namespace vlt
