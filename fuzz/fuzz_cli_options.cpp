// Arbitrary argument vectors (the input split at NUL bytes) for vlt95-cli's command
// line: parsing never crashes and gives either a usage error or a run plan that holds
// together, and a plan applied to the settings gives settings a run can use or names
// why it cannot.
#include "cli/cli_options.h"
#include "platform/attributes.h"
#include "platform/paths.h"
#include "settings/option_rules.h"
#include "settings/settings_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using vlt::SettingsRecord;
using vlt::cli::CliOptions;
using vlt::cli::Command;

constexpr std::uint32_t kAttributeBits = vlt::faReadOnly | vlt::faHidden | vlt::faSystem | vlt::faArchive;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool Given(const std::vector<std::string>& arguments, const std::string& text) {
    return std::find(arguments.begin() + 1, arguments.end(), text) != arguments.end();
}

bool IsBatchCommand(Command command) {
    return command != Command::Help && command != Command::Version;
}

void CheckPlan(const std::vector<std::string>& arguments, const CliOptions& options) {
    if (!IsBatchCommand(options.command)) {
        Require(options.command == Command::Help ? arguments.size() == 1 || Given(arguments, "--help") ||
                                                       Given(arguments, "-h")
                                                 : Given(arguments, "--version"));
        return;
    }
    Require(!options.paths.empty());
    Require(options.command != Command::ClearFreeSpace || options.paths.size() == 1);
    for (const std::string& path : options.paths) {
        Require(Given(arguments, path));
    }
    Require(options.mask == "*.*" || (vlt::IsPlainMask(options.mask) && Given(arguments, options.mask)));
    for (const auto& id : {options.algorithm, options.mixedAlgorithm}) {
        Require(!id || (*id >= 1 && *id <= vlt::kAlgorithmCount));
    }
    for (const auto& [field, value] : options.switches) {
        Require(field == &SettingsRecord::NumOfDODBox ? value >= vlt::kMinOverwrites && value <= vlt::kMaxOverwrites
                                                      : value <= 1);
    }
    for (const auto& [attribute, exclude] : options.exclusions) {
        Require(attribute != 0 && (attribute & ~kAttributeBits) == 0 && (attribute & (attribute - 1)) == 0);
    }
}

// The overrides on a base record: refused, or settings that keep the rules the options
// dialog keeps.
void CheckOverrides(const CliOptions& options, const SettingsRecord& base) {
    SettingsRecord record = base;
    if (!vlt::cli::ApplyOverrides(options, record).empty()) {
        return;
    }
    Require(record.Algo1Box >= 1 && record.Algo1Box <= vlt::OfferedAlgorithmCount(record));
    Require(!record.MixedEncryptionSwitch ||
            (record.Algo2Box >= 1 && record.Algo2Box <= vlt::OfferedAlgorithmCount(record) &&
             record.Algo2Box != record.Algo1Box));
    Require(!record.ForceCompSwitch || record.CompressSwitch);
    Require(record.NumOfDODBox >= vlt::kMinOverwrites && record.NumOfDODBox <= vlt::kMaxOverwrites);
    Require(record.ExtDestDialogSwitch == (options.destination ? 1 : 0));
    Require(!options.destination || !record.WipeSwitch || record.RemoveOrigSwitch);
    Require((record.ExcludeMask & ~kAttributeBits) == (base.ExcludeMask & ~kAttributeBits));
}

std::vector<SettingsRecord> BaseRecords() {
    SettingsRecord defaults{};
    vlt::DefaultSettings(defaults, vlt::kDefaultWindowWidth, vlt::kDefaultWindowHeight);
    SettingsRecord older = defaults;
    older.VLT7CompSwitch = 1;
    older.MixedEncryptionSwitch = 1;
    older.Algo1Box = 4;
    older.Algo2Box = 5;
    older.WipeSwitch = 1;
    return {defaults, older};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<SettingsRecord> bases = BaseRecords();
    std::vector<std::string> arguments{"vlt95-cli"};
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        arguments.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    argv.push_back(nullptr);

    CliOptions options;
    const std::string error = vlt::cli::ParseCommandLine(static_cast<int>(arguments.size()), argv.data(), options);
    if (!error.empty()) {
        return 0;
    }
    CheckPlan(arguments, options);
    for (const SettingsRecord& base : bases) {
        CheckOverrides(options, base);
    }
    return 0;
}
