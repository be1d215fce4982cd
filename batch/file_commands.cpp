#include "batch/file_commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "batch/format_thousands.h"
#include "platform/attributes.h"
#include "platform/drives.h"
#include "platform/paths.h"
#include "support/file_access.h"
#include "support/file_transfer.h"

namespace vlt {

namespace {

bool IsParentEntry(const std::string& name) {
    return name == "..";
}

std::string Trimmed(const std::string& text) {
    const auto blank = [](unsigned char c) { return c <= ' '; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// One directory: the same spelling in any case, or the same directory reached by
// another spelling or through a symbolic link.
bool SameDirectory(const std::string& a, const std::string& b) {
    if (Upper(a) == Upper(b)) {
        return true;
    }
    struct stat first {};
    struct stat second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && S_ISDIR(first.st_mode) &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace

std::string FileCommands::ListedDirectory() {
    return PathDirPart(host_.ListedPath());
}

std::string FileCommands::InListedDirectory(const std::string& typed) {
    return !typed.empty() && typed[0] == '/' ? typed : ListedDirectory() + typed;
}

template <typename Wanted> void FileCommands::SelectWhere(Wanted wanted) {
    std::vector<bool> selected(host_.EntryCount());
    for (std::size_t i = 0; i < selected.size(); ++i) {
        selected[i] = wanted(host_.EntryKind(i), host_.EntryName(i));
    }
    host_.SetSelection(selected);
}

void FileCommands::SelectAllFiles() {
    host_.SetActionButtonsEnabled(false);
    SelectWhere([](ItemKind kind, const std::string&) { return IsFileKind(kind); });
}

void FileCommands::SelectAllDirectories() {
    host_.SetActionButtonsEnabled(false);
    SelectWhere([](ItemKind kind, const std::string& name) { return kind == ikDirectory && !IsParentEntry(name); });
}

void FileCommands::SelectAllFilesAndDirectories() {
    host_.SetActionButtonsEnabled(false);
    SelectWhere([](ItemKind kind, const std::string& name) {
        return IsFileKind(kind) || (kind == ikDirectory && !IsParentEntry(name));
    });
}

void FileCommands::SelectAllDecrypted() {
    host_.SetActionButtonsEnabled(false);
    SelectWhere([](ItemKind kind, const std::string&) { return kind == ikNotEncrypted; });
}

void FileCommands::SelectAllEncrypted() {
    host_.SetActionButtonsEnabled(false);
    SelectWhere([](ItemKind kind, const std::string&) { return kind == ikEncrypted; });
}

void FileCommands::SelectContainingString() {
    host_.SetActionButtonsEnabled(false);
    std::string answer;
    if (!host_.InputQuery("Select filenames containing string", "Enter the search string", answer)) {
        return;
    }
    const std::string search = Upper(Trimmed(answer));
    if (search.empty()) {
        return;
    }
    SelectWhere([&](ItemKind kind, const std::string& name) {
        return IsFileKind(kind) && Upper(name).find(search) != std::string::npos;
    });
}

std::string FileCommands::AskDestination(Transfer transfer, std::size_t count) {
    const std::string caption =
        (transfer == Transfer::Copy ? "Copy request for " : "Move request for ") + std::to_string(count) + " file(s)";
    for (;;) {
        std::string destination = Trimmed(host_.AskCopyDestination(caption, settings_.GetLastDestination()));
        if (destination.empty()) {
            return "";
        }
        if (destination.back() != '/') {
            destination += '/';
        }
        if (SameDirectory(InListedDirectory(destination), ListedDirectory())) {
            host_.ShowMessage("Illegal Input", "Source and destination path are equal!", MsgIcon::Error);
            continue;
        }
        // A path too long for the field is used but not remembered.
        (void)settings_.SetLastDestination(destination);
        return destination;
    }
}

void FileCommands::TransferSelected(Transfer transfer) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < host_.EntryCount(); ++i) {
        if (host_.EntrySelected(i) && IsFileKind(host_.EntryKind(i))) {
            names.push_back(host_.EntryName(i));
        }
    }
    if (names.empty()) {
        return;
    }
    const std::string destination = AskDestination(transfer, names.size());
    if (destination.empty()) {
        return;
    }
    const std::string source = ListedDirectory();
    const std::string target = InListedDirectory(destination);
    host_.SetWaitCursor(true);
    FileMover mover;
    for (std::size_t k = 0; k < names.size(); ++k) {
        const std::string& name = names[k];
        host_.ShowStatus((transfer == Transfer::Copy ? "Copying (" : "Moving (") + std::to_string(k + 1) + "/" +
                         std::to_string(names.size()) + ")  " + name + "...");
        Existing existing = Existing::Keep;
        if (FileExistsAny(target + name)) {
            const MsgAnswer answer = host_.MessageBox("Warning...",
                                                      destination + name + " already exists!\r\nOverwrite it?",
                                                      MsgIcon::Question, MsgButtons::YesNoCancel);
            if (answer == MsgAnswer::Cancel) {
                break;
            }
            if (answer != MsgAnswer::Yes) {
                continue;
            }
            existing = Existing::Replace;
        }
        // Failures pass silently: the file stays where it was, the next one is tried.
        if (transfer == Transfer::Copy) {
            (void)SafeCopyFile(source + name, target + name, existing);
        } else {
            (void)mover.Move(source + name, target + name, existing);
        }
    }
    (void)mover.Finish();
    host_.SetWaitCursor(false);
    if (transfer == Transfer::Copy) {
        std::uint64_t free = 0;
        (void)FreeSpace(source, free);
        host_.ShowStatus(host_.ListedPath() + "  (Free Disk Space: " +
                         FormatThousands(static_cast<std::int64_t>(free)) + " bytes)");
    } else {
        (void)host_.ListDirectory(host_.ListedPath());
    }
}

void FileCommands::CopySelected() {
    TransferSelected(Transfer::Copy);
}

void FileCommands::MoveSelected() {
    TransferSelected(Transfer::Move);
}

void FileCommands::DeleteSelected() {
    struct Doomed {
        std::string name;
        bool directory;
    };
    std::vector<Doomed> doomed;
    for (std::size_t i = 0; i < host_.EntryCount(); ++i) {
        const ItemKind kind = host_.EntryKind(i);
        const std::string name = host_.EntryName(i);
        if (host_.EntrySelected(i) && (IsFileKind(kind) || kind == ikDirectory) && !IsParentEntry(name)) {
            doomed.push_back({name, kind == ikDirectory});
        }
    }
    if (doomed.empty()) {
        return;
    }
    if (host_.MessageBox("Confirm",
                         std::to_string(doomed.size()) + " item(s) will be deleted.\r\nDo you want to continue?",
                         MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes) {
        return;
    }
    host_.SetWaitCursor(true);
    const std::string directory = ListedDirectory();
    for (std::size_t k = 0; k < doomed.size(); ++k) {
        const std::string full = directory + doomed[k].name;
        host_.ShowStatus("Deleting (" + std::to_string(k + 1) + "/" + std::to_string(doomed.size()) + ")  " +
                         doomed[k].name + "...");
        if (doomed[k].directory) {
            if (!SafeRemoveDirectory(full)) {
                host_.ShowMessage("Attention",
                                  full + " contains still some files and/or\r\nsubdirectories and can't be deleted!",
                                  MsgIcon::Exclamation);
            }
            continue;
        }
        std::uint16_t attributes = 0;
        if (GetAttributes(full, attributes) && (attributes & faSystem) != 0 &&
            host_.MessageBox("Warning", full + " is a system file! Delete it anyway?", MsgIcon::Error,
                             MsgButtons::YesNo) != MsgAnswer::Yes) {
            continue;
        }
        // Removing a name needs no write permission on the file, so a read-only file
        // goes without its attributes being cleared first (which would outlast a
        // deletion that fails). A failed deletion passes silently.
        (void)SafeDelete(full);
    }
    host_.SetWaitCursor(false);
    (void)host_.ListDirectory(host_.ListedPath());
}

void FileCommands::RenameSelected() {
    std::size_t index = 0;
    while (index < host_.EntryCount() && !host_.EntrySelected(index)) {
        ++index;
    }
    if (index == host_.EntryCount()) {
        return;
    }
    const ItemKind kind = host_.EntryKind(index);
    const std::string name = host_.EntryName(index);
    if ((!IsFileKind(kind) && kind != ikDirectory) || IsParentEntry(name)) {
        return;
    }
    std::string typed = name;
    if (!host_.InputQuery("Rename", "Enter new name:", typed)) {
        return;
    }
    const std::string from = ListedDirectory() + name;
    const std::string to = InListedDirectory(typed);
    // A typed path moves the entry, a file also onto another file system; an existing
    // entry of the new name is never replaced.
    const bool renamed = IsFileKind(kind) ? SafeMoveFile(from, to, Existing::Keep) : SafeRename(from, to);
    if (renamed) {
        host_.SetEntryName(index, PathNamePart(typed));
    }
}

void FileCommands::CreateDirectory() {
    std::string typed;
    if (!host_.InputQuery("Create Directory", "Enter name:", typed)) {
        return;
    }
    const std::string path = ListedDirectory() + typed;
    if (SafeCreateDirectory(path)) {
        (void)host_.ListDirectory(host_.ListedPath());
    } else {
        host_.ShowMessage("Invalid Pathname", "\"" + path + "\" couldn't be created!", MsgIcon::Error);
    }
}

} // namespace vlt
