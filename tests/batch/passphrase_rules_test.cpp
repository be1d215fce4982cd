// The passphrase entry's rules: labels and lengths, the numerical form, the OK checks
// in their order with their messages and focus, and the repeated-parts question.
#include <gtest/gtest.h>

#include "batch/passphrase_rules.h"
#include "batch/passphrase_store.h"

namespace vlt {
namespace {

PassphraseRequest Request(bool encrypt, bool mixed = false, bool vlt7 = false, bool numerical = false,
                          std::uint8_t first = 1, std::uint8_t second = 3) {
    PassphraseRequest request;
    request.encrypt = encrypt;
    request.mixed = mixed;
    request.vlt7 = vlt7;
    request.numerical = numerical;
    request.firstAlgorithm = first;
    request.secondAlgorithm = mixed ? second : 0;
    return request;
}

void Fill(PassphraseEntries& entries, const std::string& p1, const std::string& c1, const std::string& p2 = "",
          const std::string& c2 = "") {
    entries.first = p1;
    entries.firstConfirmation = c1;
    entries.second = p2;
    entries.secondConfirmation = c2;
}

TEST(PassphraseLabels, NamesLimitsAndLengths) {
    EXPECT_EQ(EntryLabel(Request(true), false), "&Enter Passphrase for Blowfish:");
    EXPECT_EQ(EntryLabel(Request(true, true), true), "Enter Passp&hrase for Gost:");
    const PassphraseRequest tdes = Request(true, true, true, false, 4, 5);
    EXPECT_EQ(EntryLabel(tdes, false), "&Enter Passphrase for TDES (21 char. max.) :");
    EXPECT_EQ(EntryLabel(tdes, true), "Enter Passp&hrase for Cobra (32 char. max.) :");
    EXPECT_EQ(WithoutMnemonic(EntryLabel(tdes, true)), "Enter Passphrase for Cobra (32 char. max.) :");
    EXPECT_EQ(WithoutMnemonic("Save && &Quit"), "Save & Quit");

    EXPECT_EQ(EntryFieldLength(tdes, false), 21U);
    EXPECT_EQ(EntryFieldLength(tdes, true), 32U);
    EXPECT_EQ(EntryFieldLength(Request(true, false, true, true, 4), false), 255U); // decimal form
    EXPECT_EQ(EntryFieldLength(Request(true), false), 255U);
    const std::pair<std::uint8_t, std::size_t> limits[] = {{1, 56}, {2, 56}, {3, 32}, {4, 21}, {5, 32}};
    for (const auto& [algorithm, limit] : limits) {
        EXPECT_EQ(PassphraseLimit(true, algorithm), limit);
        EXPECT_EQ(PassphraseLimit(false, algorithm), 255U);
    }

    EXPECT_EQ(PassphraseCaption(Request(true)), "Encryption Passphrase");
    EXPECT_EQ(PassphraseCaption(Request(false, true)), "Decryption Passphrases");
}

TEST(NumericalInput, FormAndDecoding) {
    EXPECT_EQ(NumericalForm(""), "");
    EXPECT_EQ(NumericalForm("ab"), "97,98");
    EXPECT_EQ(NumericalForm(std::string("\0\xFF", 2)), "0,255");

    struct Case {
        const char* text;
        std::optional<std::string> bytes;
    };
    const Case cases[] = {
        {"", std::string()},
        {" \t\r\n", std::string()},
        {"97,98,99", std::string("abc")},
        {"  97 , 98,\t99 \r\n", std::string("abc")},
        {"0,0,0", std::string(3, '\0')},
        {"255", std::string("\xFF")},
        {"256", std::nullopt},
        {"097", std::nullopt},
        {"00", std::nullopt},
        {"1,,2", std::nullopt},
        {"1,2,", std::nullopt},
        {",1", std::nullopt},
        {"1 2", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {"1000", std::nullopt},
        {"a", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeNumerical(c.text), c.bytes) << '"' << c.text << '"';
    }
}

struct CheckCase {
    const char* name;
    PassphraseRequest request;
    std::string p1, c1, p2, c2;
    // Expected problem; empty caption: accepted.
    std::string caption, text;
    PassphraseField focus;
};

TEST(PassphraseChecks, OrderMessagesAndFocus) {
    const std::string differ1 = "There are differences between passphrase and confirmation!\r\nPlease check your input.";
    const std::string differ2 =
        "There are differences between passphrases and confirmations!\r\nPlease check your input.";
    const std::string tooShort = "The passphrase is too short (min. 3 char.) !\r\nPlease check your input!";
    const std::string numerical = "Numerical input contains errors.\r\nPlease check your input!";
    const std::string numericalLong = "Numerical password too long.\r\nPlease check your input!";
    const std::string none;
    const CheckCase cases[] = {
        {"three characters confirmed", Request(true), "abc", "abc", "", "", none, none, PassphraseField::None},
        {"two characters", Request(true), "ab", "ab", "", "", "Passphrase Input Error", tooShort,
         PassphraseField::Passw1Box1},
        {"decrypting ignores the confirmation", Request(false), "abcd", "", "", "", none, none, PassphraseField::None},
        {"decrypting still measures", Request(false), "ab", "", "", "", "Passphrase Input Error", tooShort,
         PassphraseField::Passw1Box1},
        {"first confirmation differs", Request(true), "abc", "abd", "", "", "Passphrase Input Error", differ1,
         PassphraseField::Passw1Box2},
        {"second confirmation differs", Request(true, true), "abc", "abc", "xyz", "xyw", "Passphrases Input Error",
         differ2, PassphraseField::Passw2Box2},
        {"first pair wins", Request(true, true), "abc", "abd", "xyz", "xyw", "Passphrases Input Error", differ2,
         PassphraseField::Passw1Box2},
        {"difference before length", Request(true), "ab", "a", "", "", "Passphrase Input Error", differ1,
         PassphraseField::Passw1Box2},
        {"second too short", Request(true, true), "abc", "abc", "xy", "xy", "Passphrases Input Error", tooShort,
         PassphraseField::Passw2Box1},
        {"first too short wins", Request(true, true), "ab", "ab", "xy", "xy", "Passphrases Input Error", tooShort,
         PassphraseField::Passw1Box1},
        {"second unused without mixed", Request(true), "abc", "abc", "x", "y", none, none, PassphraseField::None},
        {"numerical accepted", Request(true, false, false, true), "1, 2,3", "1,2,3", "", "", none, none,
         PassphraseField::None},
        {"three zero bytes", Request(true, false, false, true), "0,0,0", "0,0,0", "", "", none, none,
         PassphraseField::None},
        {"numerical error first", Request(true, false, false, true), "1,,2", "9", "", "", "Passphrase Input Error",
         numerical, PassphraseField::None},
        {"numerical error in the second pair", Request(true, true, false, true), "1,2,3", "1,2,3", "1,2,3", "07",
         "Passphrase Input Error", numerical, PassphraseField::None},
        {"numerical same bytes, other spelling", Request(true, false, false, true), "65,66,67", " 65,66 ,67 ", "", "",
         none, none, PassphraseField::None},
        {"numerical too long for TDES", Request(true, false, true, true, 4),
         "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22", "1", "", "", "Passphrase Input Error",
         numericalLong, PassphraseField::None},
        {"numerical at the TDES limit", Request(false, false, true, true, 4),
         "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21", "", "", "", none, none, PassphraseField::None},
        {"text beyond the limit", Request(false, false, true, false, 4), std::string(22, 'x'), "", "", "",
         "Passphrase Input Error", "The passphrase is too long (max. 21 char.) !\r\nPlease check your input!",
         PassphraseField::Passw1Box1},
        {"character without a byte", Request(true), "ab\xC4\x80", "ab\xC4\x80", "", "", "Passphrase Input Error",
         "The character \"\xC4\x80\" cannot be used in a passphrase.\r\nPlease check your input!",
         PassphraseField::Passw1Box1},
        {"character without a byte in a confirmation", Request(true, true), "abc", "abc", "xyz", "x\xE2\x88\x9A",
         "Passphrase Input Error",
         "The character \"\xE2\x88\x9A\" cannot be used in a passphrase.\r\nPlease check your input!",
         PassphraseField::Passw2Box2},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        PassphraseEntries entries;
        Fill(entries, c.p1, c.c1, c.p2, c.c2);
        const std::optional<PassphraseProblem> problem = CheckPassphrases(c.request, entries);
        if (c.caption.empty()) {
            EXPECT_FALSE(problem) << problem->text;
            continue;
        }
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->caption, c.caption);
        EXPECT_EQ(problem->text, c.text);
        EXPECT_EQ(problem->focus, c.focus);
    }
}

TEST(PassphraseChecks, AcceptedEntriesHoldTheBytes) {
    PassphraseEntries typed;
    Fill(typed, "p\xC3\xA4\xE2\x82\xAC" "ss", "p\xC3\xA4\xE2\x82\xAC" "ss"); // "pä€ss"
    ASSERT_FALSE(CheckPassphrases(Request(true), typed));
    EXPECT_EQ(typed.first, "p\xE4\x80ss");

    PassphraseEntries raw;
    Fill(raw, "p\xC3\xA4ss", "p\xC3\xA4ss");
    ASSERT_FALSE(CheckPassphrases(Request(true), raw, PassphraseText::Raw));
    EXPECT_EQ(raw.first, "p\xC3\xA4ss");

    PassphraseEntries numerical;
    Fill(numerical, "0,255,128", "0,255,128", "9,8,7", "9,8,7");
    ASSERT_FALSE(CheckPassphrases(Request(true, true, false, true), numerical));
    EXPECT_EQ(numerical.first, std::string("\0\xFF\x80", 3));
    EXPECT_EQ(numerical.second, "\x09\x08\x07");
}

TEST(PassphraseChecks, RepeatedPartsOnlyWhenEncryptingWithVlt7) {
    const auto warned = [](const PassphraseRequest& request, const std::string& first, const std::string& second) {
        PassphraseEntries entries;
        Fill(entries, first, first, second, second);
        return RepeatedPartsWarning(request, entries);
    };
    const std::optional<PassphraseProblem> warning = warned(Request(true, false, true), "abcabc", "");
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning->caption, "Passphrase Input Warning");
    EXPECT_EQ(warning->text, "The passphrase(s) consist(s) of smaller parts which are just repeated. This will "
                             "weaken the effective passphrase(s)! Continue anyway?");
    EXPECT_EQ(warned(Request(true, true, true), "secret", "xyxyxy")->caption, "Passphrases Input Warning");
    EXPECT_FALSE(warned(Request(true, false, true), "abcabd", ""));
    EXPECT_FALSE(warned(Request(true, false, true), "abcabca", "")); // begins with a repetition only
    EXPECT_FALSE(warned(Request(true, false, false), "abcabc", ""));
    EXPECT_FALSE(warned(Request(false, false, true), "abcabc", ""));
    EXPECT_FALSE(warned(Request(true, false, true), "secret", "xyxyxy")); // second unused
}

TEST(PassphraseStoreTest, AcceptedFlagAndCutToTheStoreLength) {
    PassphraseStore store;
    SecureBuffer first;
    SecureBuffer second;
    EXPECT_FALSE(store.GetPassphrases(first, second));
    store.Fill(std::string(300, 'a'), "two", true);
    ASSERT_TRUE(store.GetPassphrases(first, second));
    EXPECT_EQ(first.Size(), 255U);
    ASSERT_EQ(second.Size(), 3U);
    EXPECT_EQ(second[2], 'o');
    store.ClearAccepted();
    EXPECT_FALSE(store.GetPassphrases(first, second));
    store.Fill("abc", "abd", false); // a cancel replaces the stores but hands nothing out
    EXPECT_FALSE(store.GetPassphrases(first, second));
}

} // namespace
} // namespace vlt
