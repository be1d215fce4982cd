#pragma once
// The commands of vlt95-cli; each returns the program's exit status.
#include "cli/cli_options.h"

namespace vlt::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitErrors = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitStopped = 3;

// encrypt, decrypt, wipe, verify: the job driver over the given paths.
[[nodiscard]] int RunBatchCommand(const CliOptions& options);
// One line per file: its path, ": " and its encryption state.
[[nodiscard]] int RunStatusCommand(const CliOptions& options);
[[nodiscard]] int RunClearFreeSpaceCommand(const CliOptions& options);

// A usage error on stderr; returns kExitUsage.
int UsageError(const std::string& message);

// The absolute form of a path argument without a trailing "/" (except for "/").
[[nodiscard]] std::string AbsolutePath(const std::string& path);
// AbsolutePath with the directory part as the file system knows it (links above the
// argument resolved once, here), so that a run can open every file without following
// a link; the argument's own last component is kept as given.
[[nodiscard]] std::string RealPath(const std::string& argument);

} // namespace vlt::cli
