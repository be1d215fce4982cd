#pragma once
// Where the configuration file lives: beside the program for portable use, else
// in the user's configuration directory.
#include <string>

namespace vlt {

// The directory of the running executable, ending in "/"; "" when unknown.
[[nodiscard]] std::string ProgramDirectory();
// ProgramDirectory() + "vlt95.cfg" when that file exists or the directory is
// writable (portable use, the build tree), else $XDG_CONFIG_HOME/vlt95/vlt95.cfg
// (~/.config when unset), whose directory is created (mode 0700) when missing.
// The directory an install puts the programs in is never portable, even where it is
// writable (root can write /usr/bin): there only an existing file counts.
[[nodiscard]] std::string ConfigFilePath();
// The choice ConfigFilePath makes, for the given locations (directories ending in "/").
[[nodiscard]] std::string ChooseConfigFilePath(const std::string& programDirectory,
                                               const std::string& installedProgramDirectory,
                                               const std::string& xdgConfigHome, const std::string& homeDirectory);
// The user's home directory without a trailing "/": $HOME, else the password
// database's entry; "" when neither is known.
[[nodiscard]] std::string HomeDirectory();

} // namespace vlt
