// A run's selection read from the browser model.
#include <gtest/gtest.h>

#include "batch/browser_selection.h"

namespace vlt {
namespace {

BrowserItem Item(const std::string& name, ItemKind kind, bool selected) {
    BrowserItem item;
    item.name = name;
    item.caption = name;
    item.kind = kind;
    item.selected = selected;
    return item;
}

TEST(BrowserSelection, SelectedItemsAsPathsByGroup) {
    BrowserModel model;
    model.ReplaceItems({Item("..", ikDirectory, true), Item("docs", ikDirectory, true), Item("skip", ikDirectory, false),
                        Item("a.txt", ikFile, true), Item("b.vlt", ikEncrypted, true), Item("c", ikNotEncrypted, false),
                        Item("/", ikDrive, false), Item("/media/usb", ikFloppyDrive, true)});
    const JobSelection selection = SelectionFromBrowser(model, "/home/ann/*.txt");
    EXPECT_EQ(selection.directories, (std::vector<std::string>{"/home/ann/docs"}));
    EXPECT_EQ(selection.files, (std::vector<std::string>{"/home/ann/a.txt", "/home/ann/b.vlt"}));
    EXPECT_EQ(selection.drives, (std::vector<std::string>{"/media/usb"}));
    EXPECT_EQ(selection.mask, "*.txt");

    model.ClearSelection();
    const JobSelection none = SelectionFromBrowser(model, "/home/ann/*.*");
    EXPECT_TRUE(none.directories.empty() && none.files.empty() && none.drives.empty());
}

} // namespace
} // namespace vlt
