#pragma once
// File access that never throws: every platform failure becomes an absent handle,
// -1 or false, for the callers to map onto their own result codes. Symbolic links
// are never followed, in any component of a path, by an open, a delete, a rename
// or an attribute change.
#include "platform/attributes.h"
#include "platform/dos_time.h"
#include "platform/no_follow.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vlt {

enum OpenMode : int { omRead = 1, omWrite = 2, omReadWrite = 3, omCreate = 4 };

// An open file or nothing. Move-only; the destructor closes an open handle as a
// safety net (callers still close explicitly to learn the outcome).
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int descriptor) noexcept : fd_(descriptor) {}
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const noexcept { return fd_ >= 0; }
    int Descriptor() const noexcept { return fd_; }
    // Gives up ownership without closing.
    int Release() noexcept;

private:
    int fd_ = -1;
};

// Modes 1-3 open an existing regular file for reading, writing or both; mode 4
// creates the file or empties an existing one, for reading and writing. Every
// open holds an exclusive lock while it lasts, so a second open of the same file
// fails (omCreate takes the lock before it empties the file). Any other mode gives
// an absent handle without touching the file system.
[[nodiscard]] FileHandle SafeOpen(const std::string& path, int mode);
// Creates a file that must not exist yet, for reading and writing, locked as above.
[[nodiscard]] FileHandle SafeCreateNew(const std::string& path);
// False for an absent handle; otherwise closes it (the handle is absent afterwards).
bool SafeClose(FileHandle& handle);
// size * count bytes at the current position; fewer at end of file; 0 when size or
// count is 0 (no platform call); -1 on a platform error or an absent handle.
[[nodiscard]] std::int64_t SafeRead(void* buffer, std::size_t size, std::size_t count, FileHandle& handle);
// As SafeRead for writing; a disk that fills part way gives the short count.
[[nodiscard]] std::int64_t SafeWrite(const void* buffer, std::size_t size, std::size_t count, FileHandle& handle);
// fsync: what was written is on the disk before, say, the original is removed.
bool SyncFile(FileHandle& handle);

// The platform's reason (an errno value) for the first open, read, write, sync,
// create or rename that failed since ClearLastFileError; 0 when none did. For a
// run's report of an I/O error ("No space left on device").
[[nodiscard]] int LastFileError();
// The path that failed, where the failing call had one ("" for reads and writes).
[[nodiscard]] std::string LastFileErrorPath();
void ClearLastFileError();
// Records `error` (and `path`) unless an earlier failure is recorded already.
void NoteFileError(int error, const std::string& path = {});

// Any directory entry of that name, a dangling symbolic link included.
[[nodiscard]] bool FileExistsAny(const std::string& path);
// Device and inode of the entry itself (a link is not followed); false when absent.
[[nodiscard]] bool EntryIdentity(const std::string& path, FileIdentity& identity);
// Size of a regular file; 0 when not found or not a regular file.
[[nodiscard]] std::uint64_t FileSizeOf(const std::string& path);
// Removes the entry (a symbolic link itself, never its target); false for directories.
bool SafeDelete(const std::string& path);
// Renames or moves within one file system; fails when `to` exists and never replaces it.
bool SafeRename(const std::string& from, const std::string& to);
// Renames over `to`, replacing it in one step (the last step of a safe rewrite).
bool SafeReplace(const std::string& from, const std::string& to);

[[nodiscard]] bool GetAttributes(const std::string& path, std::uint16_t& attributes);
// Applies the read-only bit; hidden, system and archive are accepted without effect.
// False for a symbolic link (its target is never changed) and on platform errors.
bool SetAttributes(const std::string& path, std::uint16_t attributes);

// Last-write time as a DOS date-time; kInvalidDosDateTime and false on failure.
[[nodiscard]] bool GetFileDateTime(const FileHandle& handle, std::uint32_t& dosDateTime);
bool SetFileDateTime(const FileHandle& handle, std::uint32_t dosDateTime);

// A new directory (permissions as the umask allows); false when the name exists.
bool SafeCreateDirectory(const std::string& path);
// Removes an empty directory; false for one with entries, and for a symbolic link.
bool SafeRemoveDirectory(const std::string& path);

} // namespace vlt
