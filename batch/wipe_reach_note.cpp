#include "batch/wipe_reach_note.h"

#include <sys/stat.h>

#include "batch/shown_name.h"

namespace vlt {

namespace {

const char* Why(OverwriteObstacle obstacle) {
    switch (obstacle) {
    case OverwriteObstacle::CopyOnWrite:
        return "a copy-on-write file system writes the new data beside the old";
    case OverwriteObstacle::LogStructured:
        return "a log-structured file system writes the new data beside the old";
    case OverwriteObstacle::FlashDevice:
        return "its flash device writes rewritten blocks elsewhere";
    case OverwriteObstacle::MemoryBacked:
        return "it is held in memory, and pages swapped out stay in the swap area";
    case OverwriteObstacle::NetworkStorage:
        return "the data lives on a server that may keep its own copies";
    case OverwriteObstacle::Overlay:
        return "an overlay leaves the copy in its lower layer untouched";
    case OverwriteObstacle::None:
        break;
    }
    return "";
}

} // namespace

std::string WipeReachNote(const MountedFileSystem& fileSystem) {
    const OverwriteObstacle obstacle = JudgeOverwrite(fileSystem);
    if (obstacle == OverwriteObstacle::None) {
        return "";
    }
    return "Note: overwriting in place may not reach the old data on " + ShownName(fileSystem.mountPoint) + " (" +
           ShownName(fileSystem.type) + "): " + Why(obstacle) + ".";
}

std::string WipeReachNotes::NoteFor(const std::string& path, std::optional<std::uint64_t> device) {
    if (!device) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0) {
            device = info.st_dev;
        }
    }
    if (device && !devicesSeen_.insert(*device).second) {
        return "";
    }
    const std::optional<MountedFileSystem> fileSystem = finder_(path);
    if (!fileSystem) {
        return "";
    }
    std::string note = WipeReachNote(*fileSystem);
    if (note.empty() || !noted_.insert(note).second) {
        return "";
    }
    return note;
}

} // namespace vlt
