#pragma once
// Test seam of the file access helpers: the Nth call of one operation from now
// fails as if the platform had refused it, so tests reach the I/O-error paths.
namespace vlt {

enum class FileOp {
    Open,
    Close,
    Read,
    Write,
    Delete,
    Rename,
    GetAttributes,
    SetAttributes,
    GetDateTime,
    SetDateTime,
    Sync,
    MakeDirectory,
    RemoveDirectory
};

// 1 = the next call of `op` fails; later calls succeed again. Replaces an
// earlier injection for the same operation.
void InjectFileFault(FileOp op, int nthCallFromNow);
void ClearFileFaults();

// Called by every helper before it touches the platform; true = fail this call.
[[nodiscard]] bool ConsumeFileFault(FileOp op) noexcept;

} // namespace vlt
