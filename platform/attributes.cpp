#include "platform/attributes.h"

#include <sys/stat.h>

namespace vlt {

std::uint16_t AttributesFromMode(const std::string& name, mode_t mode) {
    std::uint16_t attributes = 0;
    if (S_ISDIR(mode)) {
        attributes |= faDirectory;
    } else if (S_ISREG(mode)) {
        attributes |= faArchive;
    }
    // A symbolic link's own permission bits mean nothing; it is never read-only.
    if (!S_ISLNK(mode) && (mode & S_IWUSR) == 0) {
        attributes |= faReadOnly;
    }
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") {
        attributes |= faHidden;
    }
    return attributes;
}

mode_t ModeWithAttributes(mode_t mode, std::uint16_t attributes) {
    const mode_t permissions = mode & 07777;
    if (attributes & faReadOnly) {
        return permissions & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    }
    return permissions | S_IWUSR;
}

} // namespace vlt
