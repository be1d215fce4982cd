#include "batch/directory_list.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/dir_search.h"
#include "platform/drives.h"
#include "platform/paths.h"
#include "support/little_endian.h"

#include <climits>
#include <cstdlib>

namespace vlt {

namespace {

// A packed file entry: directory index (16 bits), size (64 bits), device and inode
// (64 bits each), the name and a zero byte.
constexpr std::size_t kEntryOverhead = 2 + 8 + 16 + 1;
constexpr std::size_t kNameOffset = 2 + 8 + 16;

// A root reached through "." or ".." is not the tree it names (a mask like "../*"
// would have put it there).
bool HasDotComponent(const std::string& root) {
    std::size_t start = 0;
    while (start <= root.size()) {
        const std::size_t end = std::min(root.find('/', start), root.size());
        const std::string component = root.substr(start, end - start);
        if (component == "." || component == "..") {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// The root as the file system knows it, without links, so that every listed path
// can be opened without following one.
std::string RealRoot(const std::string& root) {
    if (root.empty() || root[0] != '/') {
        return root;
    }
    char resolved[PATH_MAX];
    if (realpath(root.c_str(), resolved) == nullptr) {
        return root;
    }
    std::string real = resolved;
    if (real.back() != '/') {
        real += '/';
    }
    return real;
}
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
    if (!IsPlainMask(mask) || HasDotComponent(root_)) {
        return false;
    }
    root_ = RealRoot(root_);
    excludeMask_ = excludeMask;
    stayOnFileSystem_ = stayOnFileSystem;
    if (root_.size() <= kMaxRootLength && ListDirectory(0, mask) && Append(kEndMarker, 0, {}, "END")) {
        Rewind();
        return true;
    }
    std::vector<ListingProblem> problems = std::move(problems_);
    Clear();
    problems_ = std::move(problems); // why the listing failed
    return false;
}

void TDirectoryList::Clear() {
    fileCount_ = 0;
    totalSize_ = 0;
    leftOut_ = 0;
    leftOutAttributes_ = 0;
    problems_.clear();
    directories_.clear();
    std::fill(entriesInBlock_.begin(), entriesInBlock_.end(), 0);
    Rewind();
}

bool TDirectoryList::ListDirectory(std::int32_t index, const std::string& mask) {
    const std::string directory = DirectoryPath(index);
    const std::string searched = directory.empty() ? std::string(".") : directory;
    DirSearch search;
    if (!search.First(searched, mask)) {
        // Nothing found is an empty directory; one that cannot be read is reported.
        if (search.OpenError() != 0) {
            problems_.push_back({ListingProblem::Unreadable, searched, search.OpenError()});
        }
        return true;
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
            if (directory.size() + found.name.size() + 1 > kMaxRootLength) {
                problems_.push_back({ListingProblem::NameTooLong, directory + found.name});
                continue;
            }
            if (static_cast<std::int32_t>(directories_.size()) >= kMaxDirectories) {
                problems_.push_back({ListingProblem::TooManyDirectories, root_});
                return false;
            }
            directories_.push_back({index, found.name});
            if (!ListDirectory(static_cast<std::int32_t>(directories_.size()), mask)) {
                return false;
            }
            continue;
        }
        if (!found.isRegularFile) {
            continue;
        }
        if ((found.attributes & excludeMask_) != 0) {
            ++leftOut_;
            leftOutAttributes_ |= found.attributes & excludeMask_;
            continue;
        }
        if (found.name.size() > kMaxNameLength || directory.size() + found.name.size() > kMaxRootLength) {
            problems_.push_back({ListingProblem::NameTooLong, directory + found.name});
            continue;
        }
        if (!Append(static_cast<std::uint16_t>(index), found.size, found.identity, found.name)) {
            return false;
        }
        totalSize_ += static_cast<std::int64_t>(found.size);
        ++fileCount_;
    } while (search.Next());
    return true;
}

bool TDirectoryList::Append(std::uint16_t directory, std::uint64_t size, const FileIdentity& identity,
                            const std::string& name) {
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
    PutLe64(out + 10, identity.device);
    PutLe64(out + 18, identity.inode);
    std::memcpy(out + kNameOffset, name.data(), name.size());
    out[kNameOffset + name.size()] = 0;
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
    FileIdentity identity;
    First(path, size, identity);
}

void TDirectoryList::Next(std::string& path, std::int64_t& size) {
    FileIdentity identity;
    Next(path, size, identity);
}

void TDirectoryList::First(std::string& path, std::int64_t& size, FileIdentity& identity) {
    path.clear();
    size = 0;
    identity = {};
    if (fileCount_ == 0) {
        return;
    }
    Rewind();
    Next(path, size, identity);
}

void TDirectoryList::Next(std::string& path, std::int64_t& size, FileIdentity& identity) {
    path.clear();
    size = 0;
    identity = {};
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
    const auto directory = static_cast<std::uint16_t>(GetLe16(in));
    if (directory == kEndMarker) {
        return;
    }
    const std::uint64_t stored = GetLe64(in + 2);
    identity = {GetLe64(in + 10), GetLe64(in + 18)};
    const char* name = reinterpret_cast<const char*>(in + kNameOffset);
    const std::size_t length = std::strlen(name);
    offset_ += length + kEntryOverhead;
    ++entry_;
    path = DirectoryPath(directory) + std::string(name, length);
    size = static_cast<std::int64_t>(stored);
}

} // namespace vlt
