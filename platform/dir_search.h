#pragma once
// Find-first/find-next over one directory. Entries are examined with lstat:
// symbolic links are reported as links and never followed. "." and ".." are
// reported as directories (except at "/", which has no parent), as callers skip them.
#include "platform/no_follow.h"

#include <cstdint>
#include <string>

namespace vlt {

struct FoundEntry {
    std::string name;
    std::uint16_t attributes = 0;
    std::uint64_t size = 0;     // regular files only; 0 for everything else
    std::int64_t lastWrite = 0; // unix seconds
    bool isDirectory = false;
    bool isRegularFile = false;
    bool isSymlink = false;
    FileIdentity identity;
};

class DirSearch {
public:
    DirSearch() = default;
    ~DirSearch() { Close(); }
    DirSearch(const DirSearch&) = delete;
    DirSearch& operator=(const DirSearch&) = delete;

    // Opens `directory` and moves to the first entry whose name matches `mask`.
    // False when the directory cannot be read (OpenError() says why) or nothing matches.
    [[nodiscard]] bool First(const std::string& directory, const std::string& mask);
    // The errno of a directory First could not open; 0 when it was opened.
    [[nodiscard]] int OpenError() const { return openError_; }
    // Moves to the next matching entry; false when the search is exhausted.
    [[nodiscard]] bool Next();
    // The current entry; valid after First or Next returned true.
    const FoundEntry& Entry() const { return entry_; }
    void Close();

private:
    bool Advance();

    void* dir_ = nullptr; // DIR*
    int dirFd_ = -1;
    bool isRoot_ = false;
    int openError_ = 0;
    std::string mask_;
    FoundEntry entry_;
};

} // namespace vlt
