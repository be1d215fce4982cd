#pragma once
// Opening by path without following a symbolic link in any component, so that a
// directory swapped for a link between the listing and the work cannot lead a run
// out of its tree. openat2 with RESOLVE_NO_SYMLINKS where the kernel has it, else a
// walk of the path with O_NOFOLLOW at every step.
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace vlt {

// open(2) of `path` with `flags` (O_NOFOLLOW and O_CLOEXEC are added) and `mode`;
// -1 with errno set when any component is a symbolic link (ELOOP) or on any other
// failure.
[[nodiscard]] int OpenNoFollow(const std::string& path, int flags, mode_t mode = 0);

// The directory holding the last component of `path`, opened O_PATH without
// following links, for the *at calls; `name` receives the last component. -1 when
// the directory cannot be reached that way or the path has no last component.
[[nodiscard]] int OpenParentNoFollow(const std::string& path, std::string& name);

// `path` with its directory part resolved once (links above the last component
// followed, "." and ".." gone), so that a run given this path can then open it
// without following any link; the last component stays as it is. Unchanged when
// the directory cannot be resolved.
[[nodiscard]] std::string ResolveDirectoryPart(const std::string& path);

// The fallback of OpenNoFollow where openat2 is missing, callable on its own.
[[nodiscard]] int OpenNoFollowByWalk(const std::string& path, int flags, mode_t mode = 0);

// renameat2 with RENAME_NOREPLACE, and where a file system lacks it, a hard link
// (which refuses an existing name just as well) or, without links, a look first.
// 0 on success, else -1 with errno (EEXIST when the target name is taken).
[[nodiscard]] int RenameAtNoReplace(int fromDirectory, const char* from, int toDirectory, const char* to);

// Which file a directory entry is: equal identities are the same file.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

} // namespace vlt
