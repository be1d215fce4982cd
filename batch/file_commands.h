#pragma once
// The browser's small file manager: six ways of selecting entries, and copy, move,
// delete, rename and create directory on the entries of the listed directory. The
// commands ask their questions and show their progress through the host; they run to
// the end on the calling thread, letting no other window message run in between.
#include <cstddef>
#include <string>
#include <vector>

#include "batch/browser_item.h"
#include "container/message_box_host.h"
#include "settings/settings_record.h"

namespace vlt {

// The browser window as the file manager commands see it.
class FileCommandHost : public MessageBoxHost {
public:
    // The browser's entries in list order: name (as the file system gives it) and kind.
    [[nodiscard]] virtual std::size_t EntryCount() = 0;
    [[nodiscard]] virtual std::string EntryName(std::size_t index) = 0;
    [[nodiscard]] virtual ItemKind EntryKind(std::size_t index) = 0;
    [[nodiscard]] virtual bool EntrySelected(std::size_t index) = 0;
    // Selects exactly the entries marked (one flag per entry), then runs the window's
    // own rule for a changed selection, also when the selection stayed the same.
    virtual void SetSelection(const std::vector<bool>& selected) = 0;
    // A renamed entry keeps its place in the list under its new name.
    virtual void SetEntryName(std::size_t index, const std::string& name) = 0;

    virtual void SetActionButtonsEnabled(bool enabled) = 0;

    // The input box: false for Cancel; `text` comes preset and returns the answer.
    [[nodiscard]] virtual bool InputQuery(const std::string& title, const std::string& prompt, std::string& text) = 0;
    // The destination dialog in its "&OK"/"&Cancel" layout: the accepted directory as
    // typed, "" for Cancel.
    [[nodiscard]] virtual std::string AskCopyDestination(const std::string& caption, const std::string& path) = 0;

    // The status bar's second panel, repainted at once.
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void SetWaitCursor(bool waiting) = 0;
    // The listed path: directory ending in "/" + mask.
    [[nodiscard]] virtual std::string ListedPath() = 0;
    // Fills the browser with `path` (directory + mask).
    virtual bool ListDirectory(const std::string& path) = 0;
};

class FileCommands {
public:
    FileCommands(SettingsRecord& settings, FileCommandHost& host) : settings_(settings), host_(host) {}

    void SelectAllFiles();
    void SelectAllDirectories();
    void SelectAllFilesAndDirectories();
    void SelectAllDecrypted();
    void SelectAllEncrypted();
    // Asks for a string and selects the files whose names contain it, in any case.
    void SelectContainingString();

    void CopySelected();
    void MoveSelected();
    void DeleteSelected();
    void RenameSelected();
    void CreateDirectory();

private:
    enum class Transfer { Copy, Move };
    template <typename Wanted> void SelectWhere(Wanted wanted);
    void TransferSelected(Transfer transfer);
    // The destination for `count` files, "" when the user cancelled.
    std::string AskDestination(Transfer transfer, std::size_t count);
    // The listed directory, ending in "/".
    std::string ListedDirectory();
    // Names as the user types them are relative to the listed directory.
    std::string InListedDirectory(const std::string& typed);

    SettingsRecord& settings_;
    FileCommandHost& host_;
};

} // namespace vlt
