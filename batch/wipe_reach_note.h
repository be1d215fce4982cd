#pragma once
// The note a run logs before it wipes on a file system where rewriting a file in
// place may leave its old data behind.
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "platform/overwrite_reach.h"

namespace vlt {

// "Note: overwriting in place may not reach the old data on <mount point> (<type>):
// <why>."; "" when overwriting reaches it.
[[nodiscard]] std::string WipeReachNote(const MountedFileSystem& fileSystem);

// The notes of one run: each file system is noted at most once, however many of
// its files the run touches.
class WipeReachNotes {
public:
    using Finder = std::function<std::optional<MountedFileSystem>(const std::string&)>;
    explicit WipeReachNotes(Finder finder = FileSystemOf) : finder_(std::move(finder)) {}

    // The note for the file system holding `path` the first time it is met, else "".
    // `device` (st_dev, when the caller knows it) spares looking up the same device twice.
    [[nodiscard]] std::string NoteFor(const std::string& path, std::optional<std::uint64_t> device = {});

private:
    Finder finder_;
    std::set<std::uint64_t> devicesSeen_;
    std::set<std::string> noted_; // btrfs subvolumes share a note but not a device
};

} // namespace vlt
