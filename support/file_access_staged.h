#pragma once
// An output that appears under its final name only when it is complete. It is
// written under a work name in the final directory (created 0600 and locked, so no
// one else can read or take it meanwhile), made durable, given the mode and owner
// of the file it derives from, and then renamed onto the final name in one step.
// A failed or stopped output is removed and never costs an existing file.
#include "support/file_access.h"

#include <string>
#include <sys/stat.h>

namespace vlt {

class StagedOutput {
public:
    StagedOutput() = default;
    // An output neither published nor discarded is discarded.
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    // Creates the work file beside `finalPath`. The first work name is `workName`;
    // a work file of that name left by a run that died
    // (nobody holds its lock) is overwritten with zeros and removed first, one that
    // a live run holds makes this take the next work name.
    [[nodiscard]] bool Create(const std::string& finalPath, const std::string& workName);
    FileHandle& Handle() { return handle_; }
    [[nodiscard]] const std::string& WorkPath() const { return workPath_; }

    // The mode, owner and group of the file the output derives from, applied
    // before the work file is closed (the owner where the platform permits; set-id
    // bits only when the owner could be given). Without it the output stays 0600.
    void TakeModeOf(const struct stat& model, mode_t mode);

    // fsync, then the mode and owner; false when the data may not be on the disk.
    [[nodiscard]] bool Sync();
    // Closes the work file (see SafeClose).
    [[nodiscard]] bool Close();
    // Renames the closed work file onto the final name: replacing a file there when
    // `replace`, else failing when the name is taken. The directory is synced after.
    [[nodiscard]] bool Publish(bool replace);
    // Closes (when open) and removes the work file; false when it could not be removed.
    bool Discard();

private:
    FileHandle handle_;
    int directory_ = -1; // O_PATH handle of the final directory
    std::string workName_;
    std::string workPath_;
    std::string finalName_;
    bool pending_ = false; // a work file exists that is ours to remove
    bool hasModel_ = false;
    struct stat model_ {};
    mode_t mode_ = 0600;
};

// Identity of the file a handle holds (device and inode) and its link count.
[[nodiscard]] bool StatHandle(const FileHandle& handle, struct stat& info);

} // namespace vlt
