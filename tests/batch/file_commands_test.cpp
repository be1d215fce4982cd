// The file manager commands against a scripted browser on a real directory.
#include "batch/file_commands.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <deque>
#include <filesystem>

#include "common/scratch_mount.h"
#include "common/temp_dir.h"
#include "settings/settings_file.h"

namespace vlt {
namespace {

using testing::ListNames;
using testing::TempDir;

struct Entry {
    std::string name;
    int kind; // ItemKind
    bool selected = false;
};

class BrowserHost : public FileCommandHost {
public:
    std::vector<Entry> entries;
    std::deque<MsgAnswer> answers;
    std::deque<std::string> typed;        // input box answers; running out means Cancel
    std::deque<std::string> destinations; // destination dialog answers; "" is Cancel
    std::vector<std::string> messages;    // "caption|text"
    std::vector<std::string> prompts;     // "title|prompt|preset" of input boxes and the dialog
    std::vector<std::string> statuses;
    std::vector<std::string> listed;
    std::string listedPath;
    int buttonsDisabled = 0, selectionChanges = 0;
    bool waiting = false;

    std::vector<std::string> Selected() const {
        std::vector<std::string> names;
        for (const Entry& entry : entries) {
            if (entry.selected) {
                names.push_back(entry.name);
            }
        }
        return names;
    }

    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon, MsgButtons buttons) override {
        messages.push_back(caption + "|" + text);
        if (buttons == MsgButtons::Ok) {
            return MsgAnswer::Ok;
        }
        EXPECT_FALSE(answers.empty()) << "unexpected question " << caption << ": " << text;
        if (answers.empty()) {
            return MsgAnswer::Cancel;
        }
        const MsgAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::size_t EntryCount() override { return entries.size(); }
    std::string EntryName(std::size_t i) override { return entries.at(i).name; }
    ItemKind EntryKind(std::size_t i) override { return static_cast<ItemKind>(entries.at(i).kind); }
    bool EntrySelected(std::size_t i) override { return entries.at(i).selected; }
    void SetSelection(const std::vector<bool>& selected) override {
        EXPECT_EQ(selected.size(), entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            entries[i].selected = selected.at(i);
        }
        ++selectionChanges;
    }
    void SetEntryName(std::size_t i, const std::string& name) override { entries.at(i).name = name; }
    void SetActionButtonsEnabled(bool enabled) override { buttonsDisabled += enabled ? 0 : 1; }
    bool InputQuery(const std::string& title, const std::string& prompt, std::string& text) override {
        prompts.push_back(title + "|" + prompt + "|" + text);
        if (typed.empty()) {
            return false;
        }
        text = typed.front();
        typed.pop_front();
        return true;
    }
    std::string AskCopyDestination(const std::string& caption, const std::string& path) override {
        prompts.push_back(caption + "|" + path);
        EXPECT_FALSE(destinations.empty()) << caption;
        if (destinations.empty()) {
            return "";
        }
        const std::string answer = destinations.front();
        destinations.pop_front();
        return answer;
    }
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
    void SetWaitCursor(bool on) override { waiting = on; }
    std::string ListedPath() override { return listedPath; }
    bool ListDirectory(const std::string& path) override {
        listed.push_back(path);
        return true;
    }
};

class FileCommandsTest : public ::testing::Test {
protected:
    FileCommandsTest() {
        DefaultSettings(settings, 1024, 768);
        host.listedPath = dir.Path() + "/*.*";
    }
    // Files on disk for the given entries (kind 0 a directory).
    void Populate(std::vector<Entry> entries) {
        for (const Entry& entry : entries) {
            if (entry.name == "..") {
                continue;
            }
            if (entry.kind == 0) {
                std::filesystem::create_directory(dir.File(entry.name));
            } else {
                testing::WriteText(dir.File(entry.name), "content of " + entry.name);
            }
        }
        host.entries = std::move(entries);
    }
    std::string Text(const std::string& path) {
        const auto bytes = testing::ReadBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }

    TempDir dir;
    TempDir other;
    SettingsRecord settings{};
    BrowserHost host;
    FileCommands commands{settings, host};
};

TEST_F(FileCommandsTest, SelectionCommandsPickTheirKinds) {
    host.entries = {{"..", 0}, {"sub", 0},      {"a.txt", 1}, {"b.TXT", 2},     {"c", 3},
                    {"d", 4},  {"(/) Local disk", 5}, {"txt", 0}, {"e.doc", 4, true}};
    struct Case {
        void (FileCommands::*command)();
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {&FileCommands::SelectAllFiles, {"a.txt", "b.TXT", "c", "d", "e.doc"}},
        {&FileCommands::SelectAllDirectories, {"sub", "txt"}},
        {&FileCommands::SelectAllFilesAndDirectories, {"sub", "a.txt", "b.TXT", "c", "d", "txt", "e.doc"}},
        {&FileCommands::SelectAllDecrypted, {"d", "e.doc"}},
        {&FileCommands::SelectAllEncrypted, {"b.TXT"}}, // the other generation (kind 3) is not selected
    };
    for (const Case& c : cases) {
        const int disabledBefore = host.buttonsDisabled;
        (commands.*c.command)();
        EXPECT_EQ(host.Selected(), c.expected);
        EXPECT_EQ(host.buttonsDisabled, disabledBefore + 1);
    }
    EXPECT_EQ(host.selectionChanges, 5);
}

TEST_F(FileCommandsTest, ContainingStringSelectsFilesInAnyCaseAndCancelKeepsTheSelection) {
    host.entries = {{"..", 0}, {"txt", 0}, {"a.txt", 1}, {"B.Txt", 4}, {"c.doc", 4, true}, {"ctxt", 3}};
    host.typed = {"  txt "};
    commands.SelectContainingString();
    EXPECT_EQ(host.prompts.back(), "Select filenames containing string|Enter the search string|");
    EXPECT_EQ(host.Selected(), (std::vector<std::string>{"a.txt", "B.Txt", "ctxt"}));
    for (const std::deque<std::string>& answer : {std::deque<std::string>{}, std::deque<std::string>{"   "}}) {
        host.typed = answer;
        commands.SelectContainingString();
        EXPECT_EQ(host.Selected(), (std::vector<std::string>{"a.txt", "B.Txt", "ctxt"}));
    }
    EXPECT_EQ(host.selectionChanges, 1); // the buttons stay disabled after Cancel
    EXPECT_EQ(host.buttonsDisabled, 3);
}

TEST_F(FileCommandsTest, CopyRefusesTheListedDirectoryInAnotherCaseOrThroughALink) {
    Populate({{"..", 0}, {"one", 1, true}, {"two", 4, true}, {"sub", 0, true}});
    std::filesystem::create_directory_symlink(dir.Path(), other.File("link"));
    std::string upper = dir.Path();
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    host.destinations = {upper, other.File("link"), dir.Path() + "/sub/..", " " + other.Path() + " "};
    commands.CopySelected();
    const std::string refusal = "Illegal Input|Source and destination path are equal!";
    EXPECT_EQ(host.messages, (std::vector<std::string>{refusal, refusal, refusal}));
    ASSERT_EQ(host.prompts.size(), 4U);
    EXPECT_EQ(host.prompts[0], "Copy request for 2 file(s)|");
    EXPECT_EQ(host.prompts[3], "Copy request for 2 file(s)|"); // LastDestination offered again
    EXPECT_EQ(settings.GetLastDestination(), other.Path() + "/");
    EXPECT_EQ(ListNames(other.Path()), (std::vector<std::string>{"link", "one", "two"}));
    EXPECT_EQ(Text(other.File("two")), "content of two");
    ASSERT_EQ(host.statuses.size(), 3U);
    EXPECT_EQ(host.statuses[0], "Copying (1/2)  one...");
    EXPECT_EQ(host.statuses[1], "Copying (2/2)  two...");
    EXPECT_EQ(host.statuses.back().rfind(host.listedPath + "  (Free Disk Space: ", 0), 0U);
    EXPECT_EQ(host.statuses.back().substr(host.statuses.back().size() - 7), " bytes)");
    EXPECT_TRUE(host.listed.empty()); // a copy does not rebuild the list
    EXPECT_FALSE(host.waiting);
}

TEST_F(FileCommandsTest, OverwriteQuestionNoSkipsTheFileAndCancelEndsTheCopy) {
    Populate({{"a", 1, true}, {"b", 1, true}, {"c", 1, true}});
    testing::WriteText(other.File("a"), "old a");
    testing::WriteText(other.File("b"), "old b");
    host.destinations = {other.Path()};
    host.answers = {MsgAnswer::No, MsgAnswer::Cancel};
    commands.CopySelected();
    EXPECT_EQ(host.messages, (std::vector<std::string>{
                                 "Warning...|" + other.Path() + "/a already exists!\r\nOverwrite it?",
                                 "Warning...|" + other.Path() + "/b already exists!\r\nOverwrite it?"}));
    EXPECT_EQ(Text(other.File("a")), "old a");
    EXPECT_EQ(Text(other.File("b")), "old b");
    EXPECT_EQ(ListNames(other.Path()), (std::vector<std::string>{"a", "b"})); // c never copied

    host.destinations = {other.Path()};
    host.answers = {MsgAnswer::No, MsgAnswer::Yes};
    commands.CopySelected();
    EXPECT_EQ(Text(other.File("a")), "old a");
    EXPECT_EQ(Text(other.File("b")), "content of b");
    EXPECT_EQ(Text(other.File("c")), "content of c");
}

TEST_F(FileCommandsTest, MoveReplacesAnExistingTargetOnYesAndListsAgain) {
    Populate({{"..", 0}, {"a", 4, true}, {"b", 2, true}, {"sub", 0, true}});
    testing::WriteText(other.File("a"), "old a");
    host.destinations = {other.Path() + "/"};
    host.answers = {MsgAnswer::Yes};
    commands.MoveSelected();
    EXPECT_EQ(host.prompts, (std::vector<std::string>{"Move request for 2 file(s)|"}));
    EXPECT_EQ(Text(other.File("a")), "content of a");
    EXPECT_EQ(Text(other.File("b")), "content of b");
    EXPECT_EQ(ListNames(dir.Path()), (std::vector<std::string>{"sub"}));
    EXPECT_EQ(host.statuses, (std::vector<std::string>{"Moving (1/2)  a...", "Moving (2/2)  b..."}));
    EXPECT_EQ(host.listed, (std::vector<std::string>{host.listedPath}));
}

TEST_F(FileCommandsTest, MoveToAnotherFileSystemKeepsNothingTwiceAndLosesNothing) {
    testing::ScratchMount mount(16U << 20);
    if (!mount.Mounted()) {
        GTEST_SKIP() << "no right to mount a second file system";
    }
    Populate({{"a", 4, true}, {"b", 4, true}});
    testing::WriteText(mount.File("b"), "old b");
    host.destinations = {mount.Path()};
    host.answers = {MsgAnswer::Yes};
    commands.MoveSelected();
    EXPECT_EQ(Text(mount.File("a")), "content of a");
    EXPECT_EQ(Text(mount.File("b")), "content of b");
    EXPECT_TRUE(ListNames(dir.Path()).empty());
}

TEST_F(FileCommandsTest, NoFilesSelectedAsksNothing) {
    Populate({{"..", 0, true}, {"sub", 0, true}, {"a", 1}});
    commands.CopySelected();
    commands.MoveSelected();
    EXPECT_TRUE(host.prompts.empty());
    host.entries[0].selected = true;
    host.entries[1].selected = false;
    commands.DeleteSelected();
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(FileCommandsTest, DeleteCountsWithoutTheParentAndReportsANonEmptyDirectory) {
    Populate({{"..", 0, true}, {"full", 0, true}, {"empty", 0, true}, {"ro", 1, true}, {"keep", 1}});
    testing::WriteText(dir.File("full/inside"), "x");
    chmod(dir.File("ro").c_str(), 0444);
    host.answers = {MsgAnswer::Yes};
    commands.DeleteSelected();
    EXPECT_EQ(host.messages,
              (std::vector<std::string>{"Confirm|3 item(s) will be deleted.\r\nDo you want to continue?",
                                        "Attention|" + dir.Path() +
                                            "/full contains still some files and/or\r\nsubdirectories and "
                                            "can't be deleted!"}));
    EXPECT_EQ(host.statuses, (std::vector<std::string>{"Deleting (1/3)  full...", "Deleting (2/3)  empty...",
                                                       "Deleting (3/3)  ro..."}));
    EXPECT_EQ(ListNames(dir.Path()), (std::vector<std::string>{"full", "keep"}));
    EXPECT_EQ(host.listed, (std::vector<std::string>{host.listedPath}));
}

TEST_F(FileCommandsTest, DeleteOfTheParentAndOneFileCountsOneAndNoDeletesNothing) {
    Populate({{"..", 0, true}, {"a", 1, true}});
    host.answers = {MsgAnswer::No};
    commands.DeleteSelected();
    EXPECT_EQ(host.messages.front(), "Confirm|1 item(s) will be deleted.\r\nDo you want to continue?");
    EXPECT_TRUE(testing::Exists(dir.File("a")));
    EXPECT_TRUE(host.listed.empty());
    host.answers = {MsgAnswer::Yes};
    commands.DeleteSelected();
    EXPECT_EQ(host.statuses, (std::vector<std::string>{"Deleting (1/1)  a..."}));
    EXPECT_FALSE(testing::Exists(dir.File("a")));
}

TEST_F(FileCommandsTest, RenameWithADirectoryPartMovesTheFileAndKeepsTheEntrysPlace) {
    Populate({{"..", 0}, {"sub", 0}, {"a", 1}, {"b", 4, true}, {"c", 4, true}});
    host.typed = {"sub/renamed"};
    commands.RenameSelected();
    EXPECT_EQ(host.prompts, (std::vector<std::string>{"Rename|Enter new name:|b"}));
    EXPECT_EQ(Text(dir.File("sub/renamed")), "content of b");
    EXPECT_FALSE(testing::Exists(dir.File("b")));
    EXPECT_EQ(host.entries[3].name, "renamed");
    EXPECT_EQ(host.entries[4].name, "c");
    EXPECT_TRUE(host.listed.empty());
}

TEST_F(FileCommandsTest, RenameNeverReplacesAndIgnoresTheParentAndCancel) {
    Populate({{"..", 0, true}, {"a", 1}, {"b", 1}});
    commands.RenameSelected(); // ".." is the first selected entry
    EXPECT_TRUE(host.prompts.empty());
    host.entries[0].selected = false;
    host.entries[1].selected = true;
    for (const std::deque<std::string>& answer :
         {std::deque<std::string>{"b"}, std::deque<std::string>{""}, std::deque<std::string>{}}) {
        host.typed = answer;
        commands.RenameSelected();
        EXPECT_EQ(host.entries[1].name, "a");
    }
    EXPECT_EQ(Text(dir.File("a")), "content of a");
    EXPECT_EQ(Text(dir.File("b")), "content of b");
    EXPECT_TRUE(host.messages.empty());
    host.typed = {"newdir"};
    host.entries[1].selected = false;
    std::filesystem::create_directory(dir.File("dir"));
    host.entries.push_back({"dir", 0, true});
    commands.RenameSelected();
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("newdir")));
    EXPECT_EQ(host.entries.back().name, "newdir");
}

TEST_F(FileCommandsTest, CreateDirectoryListsAgainOrNamesThePathThatFailed) {
    host.typed = {"new"};
    commands.CreateDirectory();
    EXPECT_EQ(host.prompts, (std::vector<std::string>{"Create Directory|Enter name:|"}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("new")));
    EXPECT_EQ(host.listed.size(), 1U);
    for (const std::string bad : {"new", "", "missing/x"}) {
        host.typed = {bad};
        commands.CreateDirectory();
        EXPECT_EQ(host.messages.back(), "Invalid Pathname|\"" + dir.Path() + "/" + bad + "\" couldn't be created!");
    }
    EXPECT_EQ(host.listed.size(), 1U);
    commands.CreateDirectory(); // Cancel
    EXPECT_EQ(host.messages.size(), 3U);
}

} // namespace
} // namespace vlt
