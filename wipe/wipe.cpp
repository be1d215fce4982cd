#include "wipe/wipe.h"

#include "wipe/random_letters.h"
#include "wipe/wipe_buffers.h"
#include "platform/paths.h"
#include "platform/unbuffered_file.h"
#include "support/file_access.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vlt {
namespace {

constexpr int kSfsPasses = 35;

// One row per SFS pass; passes 5 to 31 are Gutmann's fixed patterns.
constexpr std::uint8_t kSfsPatterns[kSfsPasses][3] = {
    {0xDB, 0x59, 0x56}, {0x66, 0xCC, 0xCD}, {0x60, 0x4E, 0x40}, {0x29, 0x64, 0x42}, {0x55, 0x55, 0x55},
    {0xAA, 0xAA, 0xAA}, {0x92, 0x49, 0x24}, {0x49, 0x24, 0x92}, {0x24, 0x92, 0x49}, {0x00, 0x00, 0x00},
    {0x11, 0x11, 0x11}, {0x22, 0x22, 0x22}, {0x33, 0x33, 0x33}, {0x44, 0x44, 0x44}, {0x55, 0x55, 0x55},
    {0x66, 0x66, 0x66}, {0x77, 0x77, 0x77}, {0x88, 0x88, 0x88}, {0x99, 0x99, 0x99}, {0xAA, 0xAA, 0xAA},
    {0xBB, 0xBB, 0xBB}, {0xCC, 0xCC, 0xCC}, {0xDD, 0xDD, 0xDD}, {0xEE, 0xEE, 0xEE}, {0xFF, 0xFF, 0xFF},
    {0x92, 0x49, 0x24}, {0x49, 0x24, 0x92}, {0x24, 0x92, 0x49}, {0x6D, 0xB6, 0xDB}, {0xB6, 0xDB, 0x6D},
    {0xDB, 0x6D, 0xB6}, {0xA7, 0x6F, 0x65}, {0x08, 0x3C, 0x39}, {0xA6, 0xA5, 0x80}, {0x5A, 0xC0, 0x23},
};

// The buffer a pass writes; the SFS method refills buffer 0 with the pass's pattern.
using PassBuffer = const std::uint8_t* (*)(int pass);

const std::uint8_t* CyclePassBuffer(int pass) {
    return WipeBuffer(pass % 3);
}

const std::uint8_t* SfsPassBuffer(int pass) {
    std::uint8_t* buffer = WipeBuffer(0);
    for (std::size_t k = 0; k < kWipeBlockSize; ++k) {
        buffer[k] = kSfsPatterns[pass][k % 3];
    }
    return buffer;
}

enum class PassResult { Written, Stopped, Failed };

bool AskStop(const WipePoll& poll, const WipeProgress& progress) {
    return poll && poll(progress);
}

// Overwrites the file in place from offset 0 (never truncating it, so the file
// system keeps the old blocks under the new bytes), rounded up to whole file system
// blocks, and makes the pass durable before the next one starts.
PassResult WritePass(UnbufferedFile& file, std::uint64_t size, const std::uint8_t* pattern, WipeProgress& progress,
                     const WipePoll& poll) {
    if (!file.Seek(0)) {
        return PassResult::Failed;
    }
    const std::uint64_t blockSize = file.BlockSize();
    const std::uint64_t total = (size + blockSize - 1) / blockSize * blockSize;
    std::uint64_t written = 0;
    bool stop = false;
    while (written < total && !stop) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(kWipeBlockSize, total - written));
        if (file.Write(pattern, chunk) != static_cast<std::int64_t>(chunk)) {
            return PassResult::Failed;
        }
        written += chunk;
        progress.bytesThisPass = std::min(written, size);
        stop = AskStop(poll, progress);
    }
    if (!file.Sync()) {
        return PassResult::Failed;
    }
    return stop ? PassResult::Stopped : PassResult::Written;
}

// Every pass over the open file, which is closed afterwards. Failed when a pass
// could not be written (no further pass) or the close failed.
WipeOutcome OverwritePasses(UnbufferedFile& file, std::uint64_t size, int passes, PassBuffer passBuffer,
                            const WipePoll& poll) {
    WipeProgress progress{0, 0, passes};
    bool stopped = AskStop(poll, progress);
    bool failed = false;
    for (int pass = 0; pass < passes && !stopped && !failed; ++pass) {
        progress.pass = pass;
        progress.bytesThisPass = 0;
        switch (WritePass(file, size, passBuffer(pass), progress, poll)) {
        case PassResult::Failed:
            failed = true;
            break;
        case PassResult::Stopped:
            stopped = true;
            break;
        case PassResult::Written:
            break;
        }
    }
    if (!file.Close() || failed) {
        return WipeOutcome::Failed;
    }
    return stopped ? WipeOutcome::Stopped : WipeOutcome::Wiped;
}

WipeOutcome WipePasses(const std::string& path, int passes, PassBuffer passBuffer, const WipePoll& poll) {
    if (WipeBuffer(0) == nullptr) {
        return WipeOutcome::Failed;
    }
    // A read-only file is left alone (as its permissions would make the platform do
    // for anyone but the superuser).
    std::uint16_t attributes = 0;
    if (!GetAttributes(path, attributes) || (attributes & (faReadOnly | faDirectory)) != 0) {
        return WipeOutcome::Failed;
    }
    UnbufferedFile file;
    struct stat info {};
    if (!file.Open(path, UnbufferedFile::Mode::OverwriteExisting) || fstat(file.Descriptor(), &info) != 0) {
        return WipeOutcome::Failed;
    }
    // The blocks of a file with other names are their contents too.
    if (info.st_nlink > 1) {
        return WipeOutcome::Linked;
    }
    const FileIdentity wiped{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    const WipeOutcome outcome =
        OverwritePasses(file, static_cast<std::uint64_t>(info.st_size), passes, passBuffer, poll);
    if (outcome == WipeOutcome::Failed) {
        return outcome; // the file stays, so the user can try again
    }
    return RemoveNameOf(path, wiped) ? outcome : WipeOutcome::Failed;
}

WipeOutcome WipeDetachedPasses(int descriptor, int passes, PassBuffer passBuffer, const WipePoll& poll) {
    struct stat info {};
    if (WipeBuffer(0) == nullptr || fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        return WipeOutcome::Failed;
    }
    // The handle may be read-only, and the file too: the owner may write it again,
    // and a new write handle is had through the open file itself, not through a name.
    if ((info.st_mode & S_IWUSR) == 0) {
        (void)fchmod(descriptor, (info.st_mode & 07777) | S_IWUSR);
    }
    const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
    UnbufferedFile file;
    if (!file.Adopt(open(self.c_str(), O_WRONLY | O_CLOEXEC))) {
        return WipeOutcome::Failed;
    }
    return OverwritePasses(file, static_cast<std::uint64_t>(info.st_size), passes, passBuffer, poll);
}

} // namespace

WipeOutcome WipeFile(const std::string& path, int cycles, const WipePoll& poll) {
    return WipePasses(path, 3 * std::max(cycles, 1), CyclePassBuffer, poll);
}

WipeOutcome WipeFileSfs(const std::string& path, const WipePoll& poll) {
    return WipePasses(path, kSfsPasses, SfsPassBuffer, poll);
}

} // namespace vlt

namespace vlt {

bool RemoveNameOf(const std::string& path, const FileIdentity& expected) {
    FileIdentity entry;
    if (!EntryIdentity(path, entry) || !(entry == expected)) {
        return false;
    }
    const std::string directory = PathDirPart(path);
    const std::size_t nameLength = PathNamePart(path).size();
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string anonymous = directory + RandomLetters(nameLength);
        if (SafeRename(path, anonymous)) {
            return SafeDelete(anonymous);
        }
        if (!FileExistsAny(path)) {
            return false;
        }
    }
    return SafeDelete(path);
}

WipeOutcome WipeDetachedFile(int descriptor, int cycles, bool sfs, const WipePoll& poll) {
    return sfs ? WipeDetachedPasses(descriptor, kSfsPasses, SfsPassBuffer, poll)
               : WipeDetachedPasses(descriptor, 3 * std::max(cycles, 1), CyclePassBuffer, poll);
}

} // namespace vlt
