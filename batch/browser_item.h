#pragma once
// One entry of the file browser: a directory, a file or a drive (mount point).
#include <array>
#include <cstdint>
#include <string>

namespace vlt {

// The entry's icon number, which is also what the browser knows about it.
enum ItemKind : std::uint8_t {
    ikDirectory = 0,        // also ".."
    ikFile = 1,             // file not yet examined by the scanner
    ikEncrypted = 2,        // encrypted in the format the compatibility setting handles
    ikEncryptedOther = 3,   // encrypted in the other format
    ikNotEncrypted = 4,     // plain file
    ikDrive = 5,            // local disk, network drive or RAM disk
    ikFloppyDrive = 6,      // removable medium
    ikCdRomDrive = 7,       // optical medium
};

[[nodiscard]] constexpr bool IsDriveKind(ItemKind kind) { return kind >= ikDrive; }
[[nodiscard]] constexpr bool IsFileKind(ItemKind kind) { return kind >= ikFile && kind <= ikNotEncrypted; }

// The six columns; the caption is column 0, the sub-items are columns 1 to 5.
enum BrowserColumn : int { colName = 0, colSize = 1, colDate = 2, colTime = 3, colAttr = 4, colState = 5 };
constexpr int kColumnCount = 6;
constexpr int kSubItemCount = 5;

struct BrowserItem {
    // The name as the file system gives it, bytes; every path is built from it. For a
    // drive, its mount point.
    std::string name;
    // What the Name column shows: the name itself when it is UTF-8, otherwise a readable
    // form of it (see DisplayName); for a drive "(" + mount point + ") " + description.
    std::string caption;
    // Size, Date, Time, Attr., State; empty texts where the listing gives none.
    std::array<std::string, kSubItemCount> subItems;
    ItemKind kind = ikFile;
    bool selected = false;

    const std::string& SubItem(BrowserColumn column) const { return subItems[column - 1]; }
    std::string& SubItem(BrowserColumn column) { return subItems[column - 1]; }
};

} // namespace vlt
