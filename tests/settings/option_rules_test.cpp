#include "settings/option_rules.h"

#include <gtest/gtest.h>

#include <cstring>

#include "settings/settings_file.h"

namespace vlt {
namespace {

SettingsRecord Defaults() {
    SettingsRecord record{};
    DefaultSettings(record, 1024, 768);
    return record;
}

SettingsRecord WithAlgorithms(AlgorithmId first, AlgorithmId second, bool vlt7 = false) {
    SettingsRecord record = Defaults();
    record.Algo1Box = first;
    record.Algo2Box = second;
    record.VLT7CompSwitch = vlt7 ? 1 : 0;
    return record;
}

TEST(OptionRules, Vlt7OnKeepsBothAlgorithmsWithinFiveAndApart) {
    struct Case {
        AlgorithmId first, second, expectFirst, expectSecond;
    };
    const Case cases[] = {
        {1, 6, 1, 5}, // Blowfish + IDEA: the second becomes Cobra
        {5, 6, 4, 5}, // Cobra + IDEA: both would be Cobra, so the first becomes TDES
        {6, 5, 4, 5}, // IDEA + Cobra: the same clash from the other side
        {6, 2, 5, 2}, {3, 4, 3, 4},
    };
    for (const Case& c : cases) {
        SettingsRecord record = WithAlgorithms(c.first, c.second);
        VLT7CompatibleOn(record);
        EXPECT_EQ(record.VLT7CompSwitch, 1);
        EXPECT_EQ(record.Algo1Box, c.expectFirst) << int(c.first) << "+" << int(c.second);
        EXPECT_EQ(record.Algo2Box, c.expectSecond) << int(c.first) << "+" << int(c.second);
        EXPECT_EQ(AlgorithmSettingsProblem(record), "");
    }
}

TEST(OptionRules, Vlt7ListsHoldFiveEntriesAndTheSecondLacksTheFirst) {
    SettingsRecord record = WithAlgorithms(1, 6);
    VLT7CompatibleOn(record);
    const AlgorithmLists lists = AlgorithmListsOf(record);
    EXPECT_EQ(lists.first, (std::vector<AlgorithmId>{1, 2, 3, 4, 5}));
    EXPECT_EQ(lists.second, (std::vector<AlgorithmId>{2, 3, 4, 5}));
    EXPECT_EQ(lists.firstPosition, 0);
    EXPECT_EQ(lists.second[lists.secondPosition], 5);

    VLT7CompatibleOff(record);
    EXPECT_EQ(record.VLT7CompSwitch, 0);
    EXPECT_EQ(record.Algo1Box, 1);
    EXPECT_EQ(record.Algo2Box, 5);
    EXPECT_EQ(AlgorithmListsOf(record).first.size(), 6U);
}

TEST(OptionRules, SecondListPositionsSkipTheFirstAlgorithm) {
    // TDES first: the second list reads Blowfish, Blowfish32, GOST, Cobra, IDEA.
    SettingsRecord record = WithAlgorithms(4, 6);
    EXPECT_EQ(AlgorithmListsOf(record).second, (std::vector<AlgorithmId>{1, 2, 3, 5, 6}));
    Algo2BoxChange(record, 3);
    EXPECT_EQ(record.Algo2Box, 5);
    for (AlgorithmId first = 1; first <= 6; ++first) {
        for (int position = 0; position < 5; ++position) {
            const AlgorithmId second = SecondAlgorithmAt(position, first);
            EXPECT_NE(second, first);
            EXPECT_EQ(SecondAlgorithmPosition(second, first), position);
        }
    }
}

TEST(OptionRules, ChoosingTheSecondAsFirstMovesTheSecondBack) {
    struct Case {
        AlgorithmId first, second;
        int newFirstPosition;
        AlgorithmId expectSecond;
    };
    const Case cases[] = {
        {2, 5, 4, 4}, // Cobra chosen as first: the second goes to TDES, the one before it
        {6, 1, 0, 2}, // Blowfish chosen as first: the second goes to Blowfish32
        {1, 6, 2, 6}, // no clash: the second stays
    };
    for (const Case& c : cases) {
        SettingsRecord record = WithAlgorithms(c.first, c.second);
        Algo1BoxChange(record, c.newFirstPosition);
        EXPECT_EQ(record.Algo1Box, c.newFirstPosition + 1);
        EXPECT_EQ(record.Algo2Box, c.expectSecond);
        const AlgorithmLists lists = AlgorithmListsOf(record);
        EXPECT_EQ(lists.second[lists.secondPosition], c.expectSecond);
    }
}

TEST(OptionRules, OverwriteCountReadsWholeNumbersClampedToOneTo99) {
    const std::pair<const char*, int> cases[] = {
        {"abc", 1}, {"", 1},   {"150", 99},         {"0", 1},   {"-5", 1}, {"12", 12}, {" 7 ", 7},
        {"3x", 1},  {"99", 99}, {"99999999999999", 99}, {"007", 7}, {"+4", 4}, {"1.5", 1},
    };
    for (const auto& [text, expect] : cases) {
        EXPECT_EQ(ReadOverwriteCount(text), expect) << '"' << text << '"';
    }
    EXPECT_EQ(OverwriteCountDown("1"), 1);
    EXPECT_EQ(OverwriteCountUp("99"), 99);
    EXPECT_EQ(OverwriteCountUp("abc"), 2);
    EXPECT_EQ(OverwriteCountDown("150"), 98);
}

TEST(OptionRules, BeginEditCopiesTheLiveRecordAndClearsTheRedrawFlags) {
    SettingsRecord live = WithAlgorithms(5, 6, true); // a hand-edited file: IDEA under VLT7
    live.ViewChanged = 1;
    live.FontChanged = 1;
    live.MixedEncryptionSwitch = 7;
    SettingsRecord copy{};
    BeginOptionsEdit(live, copy);
    EXPECT_EQ(live.ViewChanged, 0);
    EXPECT_EQ(live.FontChanged, 0);
    EXPECT_EQ(copy.ViewChanged, 0);
    EXPECT_EQ(copy.MixedEncryptionSwitch, 1);
    EXPECT_EQ(copy.Algo1Box, 4);
    EXPECT_EQ(copy.Algo2Box, 5);
    EXPECT_EQ(live.Algo2Box, 6); // the live record changes only on OK
}

TEST(OptionRules, BeginEditBringsDamagedAlgorithmNumbersIntoTheLists) {
    for (const auto& [first, second] : {std::pair<AlgorithmId, AlgorithmId>{0, 0}, {9, 9}, {3, 3}, {1, 200}}) {
        SettingsRecord live = WithAlgorithms(first, second);
        SettingsRecord copy{};
        BeginOptionsEdit(live, copy);
        const AlgorithmLists lists = AlgorithmListsOf(copy);
        ASSERT_GE(lists.firstPosition, 0);
        ASSERT_LT(lists.firstPosition, 6);
        ASSERT_GE(lists.secondPosition, 0);
        ASSERT_LT(lists.secondPosition, 5);
        copy.MixedEncryptionSwitch = 1;
        EXPECT_EQ(AlgorithmSettingsProblem(copy), "") << int(first) << "+" << int(second);
    }
}

TEST(OptionRules, AcceptSetsTheRedrawFlagsFromWhatChanged) {
    struct Case {
        const char* what;
        void (*change)(SettingsRecord&);
        bool view, font;
    };
    const Case cases[] = {
        {"confirmations only", [](SettingsRecord& r) { r.ConfirmSwitch ^= 1; }, false, false},
        {"exclude mask", [](SettingsRecord& r) { r.ExcludeMask ^= 0x20; }, true, false},
        {"vlt7", [](SettingsRecord& r) { VLT7CompatibleOn(r); }, true, false},
        {"details", [](SettingsRecord& r) { r.ShowDetailsSwitch ^= 1; }, true, false},
        {"examine", [](SettingsRecord& r) { r.FileViewSetting = 2; }, true, false},
        {"font size", [](SettingsRecord& r) { r.FontSize = 12; }, false, true},
        {"font colour", [](SettingsRecord& r) { r.FontColor = 0x000000FF; }, false, true},
        {"font style", [](SettingsRecord& r) { r.FontStyle = 1; }, false, true},
        {"font name", [](SettingsRecord& r) { (void)r.SetFontName("Sans"); }, false, true},
        // Bytes behind the name's length are not part of the name.
        {"bytes behind the font name", [](SettingsRecord& r) { r.FontName[30] = 'x'; }, false, false},
    };
    for (const Case& c : cases) {
        SettingsRecord live = Defaults();
        SettingsRecord copy{};
        BeginOptionsEdit(live, copy);
        c.change(copy);
        SettingsRecord expected = copy;
        AcceptOptions(live, copy, "3");
        EXPECT_EQ(live.ViewChanged, c.view ? 1 : 0) << c.what;
        EXPECT_EQ(live.FontChanged, c.font ? 1 : 0) << c.what;
        EXPECT_EQ(live.NumOfDODBox, 3) << c.what;
        expected.NumOfDODBox = 3;
        expected.ViewChanged = live.ViewChanged;
        expected.FontChanged = live.FontChanged;
        EXPECT_EQ(std::memcmp(&live, &expected, sizeof live), 0) << c.what;
    }
}

TEST(OptionRules, SettingsProblemsNameTheRuleBroken) {
    SettingsRecord mixed = WithAlgorithms(3, 3);
    mixed.MixedEncryptionSwitch = 1;
    EXPECT_EQ(AlgorithmSettingsProblem(mixed), "mixed encryption needs two different algorithms");
    mixed.MixedEncryptionSwitch = 0;
    EXPECT_EQ(AlgorithmSettingsProblem(mixed), "");

    SettingsRecord vlt7 = WithAlgorithms(1, 6, true);
    EXPECT_EQ(AlgorithmSettingsProblem(vlt7), ""); // the second only counts with mixed encryption
    vlt7.MixedEncryptionSwitch = 1;
    EXPECT_EQ(AlgorithmSettingsProblem(vlt7), "IDEA cannot be used with VLT7 compatibility");
    EXPECT_EQ(AlgorithmSettingsProblem(WithAlgorithms(6, 1, true)), "IDEA cannot be used with VLT7 compatibility");
    EXPECT_EQ(AlgorithmSettingsProblem(WithAlgorithms(0, 1)), "the settings name no valid algorithm");
}

} // namespace
} // namespace vlt
