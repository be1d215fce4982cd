#include "batch/directory_list.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/dir_search.h"
#include "platform/drives.h"
#include "support/little_endian.h"

namespace vlt {

namespace {

// A packed file entry: directory index (16 bits), size (64 bits), the name and a zero byte.
constexpr std::size_t kEntryOverhead = 2 + 8 + 1;
constexpr std::uint16_t kEndMarker = 0xFFFF;

} // namespace

TDirectoryList::TDirectoryList(std::int32_t blockLimit, bool recurse)
    : recurse_(recurse), blockLimit_(std::min(blockLimit, kMaxBlocks)) {
    if (blockLimit_ <= 0) {
        return;
    }
    std::unique_ptr<std::uint8_t[]> first(new (std::nothrow) std::uint8_t[kBlockSize]);
    if (!first) {
        return;
    }
    blocks_.push_back(std::move(first));
    entriesInBlock_.push_back(0);
    directories_.reserve(64);
    ready_ = true;
}

TDirectoryList::~TDirectoryList() {
    Done();
}

void TDirectoryList::Done() {
    if (!ready_) {
        return;
    }
    blocks_.clear();
    entriesInBlock_.clear();
    directories_.clear();
    fileCount_ = 0;
    totalSize_ = 0;
    ready_ = false;
}

bool TDirectoryList::Build(const std::string& pathWithMask, std::uint32_t excludeMask, bool longNamesAllowed,
                           bool stayOnFileSystem) {
    (void)longNamesAllowed; // names are used as the file system gives them
    if (!ready_) {
        return false;
    }
    Clear();
    if (pathWithMask.empty()) {
        return false;
    }
    const std::size_t slash = pathWithMask.rfind('/');
    root_ = slash == std::string::npos ? std::string() : pathWithMask.substr(0, slash + 1);
    const std::string mask = slash == std::string::npos ? pathWithMask : pathWithMask.substr(slash + 1);
    excludeMask_ = excludeMask;
    stayOnFileSystem_ = stayOnFileSystem;
    if (root_.size() <= kMaxRootLength && ListDirectory(0, mask) && Append(kEndMarker, 0, "END")) {
        Rewind();
        return true;
    }
    Clear();
    return false;
}

void TDirectoryList::Clear() {
    fileCount_ = 0;
    totalSize_ = 0;
    directories_.clear();
    std::fill(entriesInBlock_.begin(), entriesInBlock_.end(), 0);
    Rewind();
}

bool TDirectoryList::ListDirectory(std::int32_t index, const std::string& mask) {
    const std::string directory = DirectoryPath(index);
    const std::string searched = directory.empty() ? std::string(".") : directory;
    DirSearch search;
    if (!search.First(searched, mask)) {
        return true; // nothing found (or nothing readable) is an empty directory
    }
    do {
        const FoundEntry& found = search.Entry();
        if (found.isSymlink) {
            continue;
        }
        if (found.isDirectory) {
            if (!recurse_ || found.name == "." || found.name == "..") {
                continue;
            }
            if (stayOnFileSystem_ && !SameFileSystem(searched, directory + found.name)) {
                continue;
            }
            if (static_cast<std::int32_t>(directories_.size()) >= kMaxDirectories) {
                return false;
            }
            directories_.push_back({index, found.name});
            if (!ListDirectory(static_cast<std::int32_t>(directories_.size()), mask)) {
                return false;
            }
            continue;
        }
        if (!found.isRegularFile || (found.attributes & excludeMask_) != 0) {
            continue;
        }
        if (found.name.size() > kMaxNameLength || !Append(static_cast<std::uint16_t>(index), found.size, found.name)) {
            return false;
        }
        totalSize_ += static_cast<std::int64_t>(found.size);
        ++fileCount_;
    } while (search.Next());
    return true;
}

bool TDirectoryList::Append(std::uint16_t directory, std::uint64_t size, const std::string& name) {
    const std::size_t needed = name.size() + kEntryOverhead;
    if (kBlockSize - offset_ < needed) {
        if (block_ + 1 >= blocks_.size()) {
            if (static_cast<std::int32_t>(blocks_.size()) >= blockLimit_) {
                return false;
            }
            std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[kBlockSize]);
            if (!block) {
                return false;
            }
            blocks_.push_back(std::move(block));
            entriesInBlock_.push_back(0);
        }
        ++block_;
        offset_ = 0;
        entry_ = 1;
    }
    std::uint8_t* out = blocks_[block_].get() + offset_;
    PutLe16(out, directory);
    PutLe64(out + 2, size);
    std::memcpy(out + 10, name.data(), name.size());
    out[10 + name.size()] = 0;
    offset_ += needed;
    ++entry_;
    ++entriesInBlock_[block_];
    return true;
}

std::string TDirectoryList::DirectoryPath(std::int32_t index) const {
    std::vector<const std::string*> names;
    while (index > 0 && index <= static_cast<std::int32_t>(directories_.size())) {
        const TDirectoryListEntry& entry = directories_[static_cast<std::size_t>(index - 1)];
        names.push_back(&entry.name);
        index = entry.parent;
    }
    std::string path = root_;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        path += **it;
        path += '/';
    }
    return path;
}

void TDirectoryList::Rewind() {
    block_ = 0;
    offset_ = 0;
    entry_ = 1;
}

void TDirectoryList::First(std::string& path, std::int64_t& size) {
    path.clear();
    size = 0;
    if (fileCount_ == 0) {
        return;
    }
    Rewind();
    Next(path, size);
}

void TDirectoryList::Next(std::string& path, std::int64_t& size) {
    path.clear();
    size = 0;
    if (!ready_ || fileCount_ == 0) {
        return;
    }
    if (entriesInBlock_[block_] < entry_) {
        if (block_ + 1 >= blocks_.size()) {
            return;
        }
        ++block_;
        offset_ = 0;
        entry_ = 1;
    }
    const std::uint8_t* in = blocks_[block_].get() + offset_;
    const std::uint16_t directory = static_cast<std::uint16_t>(GetLe16(in));
    if (directory == kEndMarker) {
        return;
    }
    const std::uint64_t stored = GetLe64(in + 2);
    const char* name = reinterpret_cast<const char*>(in + 10);
    const std::size_t length = std::strlen(name);
    offset_ += length + kEntryOverhead;
    ++entry_;
    path = DirectoryPath(directory) + std::string(name, length);
    size = static_cast<std::int64_t>(stored);
}

} // namespace vlt
