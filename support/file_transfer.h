#pragma once
// Copying and moving regular files for the browser's file manager commands, behind the
// same fault seam as the other file helpers. Neither ever loses data: a copy appears
// under its target name only complete, replacing an existing target in one step (the
// old target stays until then), and a move deletes its source only once the file is
// safe at the target. A failure leaves the source as it was and no partial target.
// Symbolic links are never followed, copied or moved.
#include <cstdint>
#include <string>
#include <vector>

namespace vlt {

enum class Existing { Keep, Replace };

// Copies the bytes, permission bits and modification time of `from` to `to`. With
// Existing::Keep an existing `to` (of any kind) makes the copy fail; with Replace the
// copy takes its place, made durable first.
[[nodiscard]] bool SafeCopyFile(const std::string& from, const std::string& to, Existing existing);

// Moves files. Within one file system a move is a rename. Across file systems it is a
// copy, and the source is deleted only after the copy is on the disk: the mover syncs
// its copies together in Finish() (one sync per target file system instead of one per
// file), then deletes the sources that are still as they were copied.
class FileMover {
public:
    FileMover() = default;
    ~FileMover() { (void)Finish(); }
    FileMover(const FileMover&) = delete;
    FileMover& operator=(const FileMover&) = delete;

    // True when the file is at `to`; a copied source may stay until Finish().
    [[nodiscard]] bool Move(const std::string& from, const std::string& to, Existing existing);
    // Syncs the copies and deletes their sources. False when the sync failed (then every
    // source stays) or a source could not be deleted.
    [[nodiscard]] bool Finish();

private:
    struct CopiedSource {
        std::string path;
        std::string targetDirectory;
        std::uint64_t device, inode, size;
        std::int64_t modifiedNs;
    };
    std::vector<CopiedSource> pending_;
};

// One file moved and settled.
[[nodiscard]] bool SafeMoveFile(const std::string& from, const std::string& to, Existing existing);

} // namespace vlt
