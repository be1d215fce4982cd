#pragma once
// A compact list of every file of a directory tree with its size, built before a
// run so that its count and total are known, then handed out one full path at a time.
#include <cstdint>
#include <memory>

#include "platform/no_follow.h"
#include <string>
#include <vector>

namespace vlt {

struct TDirectoryListEntry {
    std::int32_t parent = 0; // directory index of the parent; 0 is the root
    std::string name;
};

// Something the listing had to leave out, for the run to report.
struct ListingProblem {
    enum Kind {
        NameTooLong,        // a file name over 255 bytes or a path over the limit: left out
        TooManyDirectories, // more than 8192 subdirectories: the whole listing failed
        Unreadable,         // a subdirectory that could not be read: its files are missing
    };
    Kind kind;
    std::string path;
    int error = 0; // errno of an unreadable directory
};

class TDirectoryList {
public:
    static constexpr std::int32_t kMaxBlocks = 100;
    static constexpr std::size_t kBlockSize = 32768;
    static constexpr std::int32_t kMaxDirectories = 8192;
    static constexpr std::size_t kMaxNameLength = 255;
    static constexpr std::size_t kMaxRootLength = 4095;

    // Up to `blockLimit` blocks of 32 KB (at most 100); a limit of 0 leaves the list
    // not ready. With `recurse` subdirectories are listed too.
    TDirectoryList(std::int32_t blockLimit, bool recurse);
    ~TDirectoryList();
    TDirectoryList(const TDirectoryList&) = delete;
    TDirectoryList& operator=(const TDirectoryList&) = delete;

    // Releases the blocks and the directory table; the list is not ready afterwards.
    void Done();
    [[nodiscard]] bool IsReady() const { return ready_; }

    // Lists the files matching the mask of `pathWithMask` ("/home/ann/data/*.txt"):
    // those of the directory and, depth first, of its subdirectories whose names match
    // the mask too. Files with any attribute of `excludeMask` are left out; symbolic
    // links are never followed; with `stayOnFileSystem` no mount point below the root
    // is entered. POSIX file systems have no short names, so `longNamesAllowed` only
    // states the caller's wish. True when the whole tree was listed; on failure (more
    // than 8192 directories, more than the blocks hold, an overlong root, a root
    // with a "." or ".." component, or a mask that is not a plain name) the list is
    // empty. What was left out on the way is in Problems() and LeftOut().
    [[nodiscard]] bool Build(const std::string& pathWithMask, std::uint32_t excludeMask, bool longNamesAllowed,
                             bool stayOnFileSystem = false);

    [[nodiscard]] std::int32_t FileCount() const { return fileCount_; }
    [[nodiscard]] std::int32_t DirCount() const { return static_cast<std::int32_t>(directories_.size()); }
    [[nodiscard]] std::int64_t TotalSize() const { return totalSize_; }
    // Files the exclusion mask left out, and the attributes that did it (ORed).
    [[nodiscard]] std::int32_t LeftOut() const { return leftOut_; }
    [[nodiscard]] std::uint32_t LeftOutAttributes() const { return leftOutAttributes_; }
    [[nodiscard]] const std::vector<ListingProblem>& Problems() const { return problems_; }

    // The first file (rewinds) and the following ones; an empty path and size 0 after
    // the last file or for an empty list.
    void First(std::string& path, std::int64_t& size);
    void Next(std::string& path, std::int64_t& size);
    // The same with the device and inode the listing saw, so that a run can refuse
    // a file that is not the one listed.
    void First(std::string& path, std::int64_t& size, FileIdentity& identity);
    void Next(std::string& path, std::int64_t& size, FileIdentity& identity);

private:
    bool ListDirectory(std::int32_t index, const std::string& mask);
    bool Append(std::uint16_t directory, std::uint64_t size, const FileIdentity& identity, const std::string& name);
    [[nodiscard]] std::string DirectoryPath(std::int32_t index) const;
    void Rewind();
    // An empty list; the blocks stay allocated for reuse.
    void Clear();

    bool ready_ = false;
    bool recurse_ = false;
    bool stayOnFileSystem_ = false;
    std::uint32_t excludeMask_ = 0;
    std::int32_t blockLimit_ = 0;
    std::vector<std::unique_ptr<std::uint8_t[]>> blocks_;
    std::vector<std::int32_t> entriesInBlock_;
    std::size_t block_ = 0; // current block, from 0
    std::size_t offset_ = 0;
    std::int32_t entry_ = 1; // entry within the current block, from 1
    std::int32_t fileCount_ = 0;
    std::int64_t totalSize_ = 0;
    std::int32_t leftOut_ = 0;
    std::uint32_t leftOutAttributes_ = 0;
    std::vector<ListingProblem> problems_;
    std::string root_;
    std::vector<TDirectoryListEntry> directories_; // index k is element k - 1
};

} // namespace vlt
