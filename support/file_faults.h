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
    RemoveDirectory,
    DirectRead // a device read-back is refused O_DIRECT, as some file systems do
};

// 1 = the next call of `op` fails; later calls succeed again. Replaces an
// earlier injection for the same operation.
void InjectFileFault(FileOp op, int nthCallFromNow);
void ClearFileFaults();

// Called by every helper before it touches the platform; true = fail this call.
[[nodiscard]] bool ConsumeFileFault(FileOp op) noexcept;

// Data that goes wrong while the write reports success, as on a failing disk or a
// stick that drops writes: the Nth SafeWrite from now has one byte flipped, is
// dropped, or leaves the file cut short behind it (shorter by half the write).
enum class DataFault { None, FlipByte, DropWrite, ShortenFile };

// Replaces an earlier data fault; ClearFileFaults clears it too.
void InjectDataFault(DataFault fault, int nthWriteFromNow);
// Called by SafeWrite once per write; the fault due for this write, else None.
[[nodiscard]] DataFault ConsumeDataFault() noexcept;

} // namespace vlt
