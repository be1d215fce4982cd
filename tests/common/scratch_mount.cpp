#include "common/scratch_mount.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace vlt::testing {

ScratchMount::ScratchMount(std::uint64_t bytes) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vlt95-mount-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return;
    }
    path_ = pattern;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    mounted_ = mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
}

ScratchMount::~ScratchMount() {
    if (mounted_) {
        umount2(path_.c_str(), MNT_DETACH);
    }
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

} // namespace vlt::testing
