#include "batch/free_space.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "batch/format_thousands.h"
#include "platform/drives.h"
#include "support/file_access.h"
#include "support/random.h"

namespace vlt {

namespace {

// Writes carry sixteen copies of the fill block: direct writes of 256 KB run several
// times faster than one 16 KB write at a time, and one write per progress step lets the
// text follow every 256 KB.
constexpr std::size_t kFillChunk = kFillInfoStep;
// Direct writes into blocks allocated ahead need no allocation of their own, which
// brings 256 KB writes near the speed of much larger ones. The reservation shrinks as
// the disk fills; what it holds counts as room still to write.
constexpr std::uint64_t kReserveStep = 64ULL << 20;
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

bool FreeSpaceClearer::OpenFillFile(const std::string& directory) {
    if (kind_ == FillFile::UnnamedWherePossible) {
        if (file_.Open(directory, UnbufferedFile::Mode::CreateUnnamed)) {
            return true;
        }
        // Only a file system without unnamed files gets the named one; any other
        // refusal (no write permission, read-only medium) would meet that one too.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return false;
        }
    }
    if (!file_.Open(directory + kFillFileName, UnbufferedFile::Mode::CreateNew)) {
        return false;
    }
    fillPath_ = directory + kFillFileName;
    return true;
}

FillOutcome FreeSpaceClearer::ClearFreeSpace(const std::string& directory, FreeSpaceView& view) {
    FormClose();
    mayClose_ = false;
    written_ = 0;
    // Cleared before the window shows, so a Cancel pressed while it appears counts.
    breakRequested_ = false;
    AlignedBuffer pattern(kFillChunk + kFillBlockSize);
    if (pattern.Empty()) {
        view.ShowMessage("System Error", "Out of memory!", MsgIcon::Error);
        mayClose_ = true;
        return FillOutcome::NoMemory;
    }
    for (std::size_t i = 0; i < kFillBlockSize; i += 4) {
        const std::uint32_t word = NextBits32();
        std::memcpy(pattern.Data() + i, &word, 4);
    }
    for (std::size_t copy = kFillBlockSize; copy < pattern.Size(); copy += kFillBlockSize) {
        std::memcpy(pattern.Data() + copy, pattern.Data(), kFillBlockSize);
    }

    if (!OpenFillFile(directory)) {
        view.ShowMessage("System Error", "Can't open " + directory + kFillFileName + " !", MsgIcon::Error);
        mayClose_ = true;
        return FillOutcome::CantOpen;
    }

    view.ShowClearer("Clearing empty disk space on drive " + DriveOf(directory));
    std::uint64_t freeSpace = 0;
    if (!FreeSpace(directory, freeSpace)) {
        freeSpace = 0;
    }
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
    std::uint64_t reserved = 0;
    bool reserving = true;
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
        if (reserving && written_ + chunk > reserved) {
            std::uint64_t step = kReserveStep;
            while (step >= kFillInfoStep && !file_.Reserve(reserved, step)) {
                step /= 2;
            }
            reserving = step >= kFillInfoStep;
            reserved += reserving ? step : 0;
        }
        if (const std::optional<std::uint64_t> free = WritableBytes(directory)) {
            const std::uint64_t room = *free + (reserved > written_ ? reserved - written_ : 0);
            if (room < lastChunk && written_ > 0) {
                break;
            }
            if (room < chunk) {
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
