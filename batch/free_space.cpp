#include "batch/free_space.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "batch/format_thousands.h"
#include "platform/drives.h"
#include "support/file_access.h"
#include "support/little_endian.h"
#include "support/random.h"

namespace vlt {

namespace {

// Writes carry many copies of the fill block: large direct writes run several times
// faster than one 16 KB write at a time. A whole number of progress steps, so the
// written total is a multiple of the step at every write until the disk is full.
constexpr std::size_t kFillChunk = 4 * kFillInfoStep;
// Where the file system refused direct writes the data collects in the page cache;
// it is made durable now and then so that it cannot pile up. Direct writes leave
// nothing there; the flush when the window closes covers the device's cache.
constexpr std::uint64_t kSyncInterval = 256ULL << 20;

// Bytes this process may still write on the file system of `directory`: the blocks
// kept back for the superuser count for the superuser.
std::optional<std::uint64_t> WritableBytes(const std::string& directory) {
    struct statvfs info {};
    if (::statvfs(directory.c_str(), &info) != 0 || info.f_blocks == 0) {
        return std::nullopt;
    }
    const std::uint64_t blocks = ::geteuid() == 0 ? info.f_bfree : info.f_bavail;
    return blocks * info.f_frsize;
}

} // namespace

std::string DriveOf(const std::string& directory) {
    std::string best;
    for (const DriveInfo& drive : ListDrives()) {
        const std::string& mount = drive.mountPoint;
        const bool inside = mount == "/" || (directory.compare(0, mount.size(), mount) == 0 &&
                                             (directory.size() == mount.size() || directory[mount.size()] == '/'));
        if (inside && mount.size() > best.size() && SameFileSystem(mount, directory)) {
            best = mount;
        }
    }
    return best.empty() ? directory : best;
}

FillOutcome FreeSpaceClearer::ClearFreeSpace(const std::string& directory, FreeSpaceView& view) {
    FormClose();
    mayClose_ = false;
    written_ = 0;
    AlignedBuffer pattern(kFillChunk + kFillBlockSize);
    if (pattern.Empty()) {
        view.ShowMessage("System Error", "Out of memory!", MsgIcon::Error);
        mayClose_ = true;
        return FillOutcome::NoMemory;
    }
    for (std::size_t i = 0; i < kFillBlockSize; i += 4) {
        PutLe32(pattern.Data() + i, NextBits32());
    }
    for (std::size_t copy = kFillBlockSize; copy < pattern.Size(); copy += kFillBlockSize) {
        std::memcpy(pattern.Data() + copy, pattern.Data(), kFillBlockSize);
    }

    fillPath_ = directory + kFillFileName;
    // Created anew: an earlier fill file (or a link of that name) goes first; the
    // name's target is never followed.
    if (FileExistsAny(fillPath_)) {
        (void)SafeDelete(fillPath_);
    }
    if (!file_.Open(fillPath_, UnbufferedFile::Mode::CreateNew)) {
        view.ShowMessage("System Error", "Can't open " + fillPath_ + " !", MsgIcon::Error);
        fillPath_.clear();
        mayClose_ = true;
        return FillOutcome::CantOpen;
    }

    view.ShowClearer("Clearing empty disk space on drive " + DriveOf(directory));
    std::uint64_t freeSpace = 0;
    if (!FreeSpace(directory, freeSpace)) {
        freeSpace = 0;
    }
    breakRequested_ = false;
    Fill(pattern.Data(), directory, view, freeSpace);

    const bool stopped = breakRequested_;
    view.SetCaption(stopped ? "User break - click [Cancel] again to finish" : "Done - click [Cancel] to finish");
    view.SetInfo("Please wait a few seconds until the caches and buffers of Windows have been flushed...");
    pattern.Release();
    mayClose_ = true;
    return stopped ? FillOutcome::UserBreak : FillOutcome::DiskFull;
}

void FreeSpaceClearer::Fill(const std::uint8_t* pattern, const std::string& directory, FreeSpaceView& view,
                            std::uint64_t freeSpace) {
    // Near the end the writes shrink to one fill block (or one file system block, when
    // direct writes need more), so the disk is filled to its last few kilobytes.
    const std::size_t lastChunk = std::max(kFillBlockSize, file_.BlockSize());
    std::size_t chunk = std::max(kFillChunk, lastChunk);
    std::uint64_t shownStep = UINT64_MAX;
    std::uint64_t syncedAt = 0;
    for (;;) {
        view.ProcessMessages();
        if (written_ / kFillInfoStep != shownStep) {
            shownStep = written_ / kFillInfoStep;
            view.SetInfo(FormatThousands(static_cast<std::int64_t>(written_)) + " of " +
                         FormatThousands(static_cast<std::int64_t>(freeSpace)) + " bytes done");
        }
        // Once the file system's own count says the disk is full, no write is tried that
        // could only fail: on some file systems a write into a full disk waits for
        // journal commits before it gives up.
        if (const std::optional<std::uint64_t> room = WritableBytes(directory)) {
            if (*room < lastChunk && written_ > 0) {
                break;
            }
            if (*room < chunk) {
                chunk = lastChunk;
            }
        }
        // The file's bytes stay the fill block repeated, whatever the size of a write.
        const std::int64_t result = file_.Write(pattern + written_ % kFillBlockSize, chunk);
        const std::uint64_t done = result > 0 ? static_cast<std::uint64_t>(result) : 0;
        if (breakRequested_) {
            break;
        }
        written_ += done;
        if (done < chunk) {
            if (chunk == lastChunk) {
                break;
            }
            chunk = lastChunk;
        }
        if (!file_.IsDirect() && written_ - syncedAt >= kSyncInterval) {
            (void)file_.Sync();
            syncedAt = written_;
        }
    }
}

void FreeSpaceClearer::FormClose() {
    if (file_.IsOpen()) {
        // On the disk before the name goes: a deleted file's unwritten data would
        // never overwrite the free space.
        (void)file_.Sync();
        file_.Close();
    }
    if (!fillPath_.empty()) {
        (void)SafeDelete(fillPath_);
        fillPath_.clear();
    }
}

} // namespace vlt
