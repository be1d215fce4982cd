#pragma once
// The 16-bit attribute word of a directory entry and how it maps onto POSIX:
// read-only = no owner write permission, hidden = name starting with ".",
// system = never set, archive = every regular file, directory = a directory.
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace vlt {

constexpr std::uint16_t faReadOnly = 0x01;
constexpr std::uint16_t faHidden = 0x02;
constexpr std::uint16_t faSystem = 0x04;
constexpr std::uint16_t faDirectory = 0x10;
constexpr std::uint16_t faArchive = 0x20;

// The attribute word of an entry with the given name and lstat mode.
[[nodiscard]] std::uint16_t AttributesFromMode(const std::string& name, mode_t mode);

// The permission bits after applying the read-only bit of `attributes` to `mode`:
// read-only removes every write permission, clearing it gives the owner write back.
[[nodiscard]] mode_t ModeWithAttributes(mode_t mode, std::uint16_t attributes);

} // namespace vlt
