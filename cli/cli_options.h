#pragma once
// The command line of vlt95-cli: the command, its paths, and the settings this run
// overrides.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/settings_record.h"

namespace vlt::cli {

enum class Command { Help, Version, Encrypt, Decrypt, Wipe, Verify, ClearFreeSpace, Status };

struct CliOptions {
    Command command = Command::Help;
    std::vector<std::string> paths;
    std::optional<std::string> config;
    // Settings fields set for this run only, in the order given.
    std::vector<std::pair<std::uint8_t SettingsRecord::*, std::uint8_t>> switches;
    // Attribute bits of ExcludeMask set (true) or cleared (false) for this run, in order.
    std::vector<std::pair<std::uint32_t, bool>> exclusions;
    std::optional<std::uint8_t> algorithm;
    std::optional<std::uint8_t> mixedAlgorithm;
    std::optional<std::string> destination;
    std::string mask = "*.*";
    bool yes = false;       // answers the batch confirmations
    bool overwrite = false; // answers the overwrite questions
    bool quiet = false;
    std::optional<std::string> logFile;
    std::optional<std::string> passphraseFile;
    std::optional<std::string> passphrase2File;
    // Passphrase files and variables are taken byte for byte instead of as UTF-8 text.
    bool rawPassphrase = false;
};

// Fills `options` from argv; an error text for a usage error, "" when all is well.
[[nodiscard]] std::string ParseCommandLine(int argc, const char* const* argv, CliOptions& options);

// The settings record of this run: the overrides applied to `record`; an error text
// when the combination cannot be used, "" otherwise.
[[nodiscard]] std::string ApplyOverrides(const CliOptions& options, SettingsRecord& record);

// "Blowfish", "gost", "6", ... as an algorithm id; 0 when unknown.
[[nodiscard]] std::uint8_t ParseAlgorithm(const std::string& text);

[[nodiscard]] const char* UsageText();

} // namespace vlt::cli
