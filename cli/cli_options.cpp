#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

#include "cipher/algorithm_table.h"
#include "settings/option_rules.h"

namespace vlt::cli {

namespace {

struct SwitchOption {
    const char* name;
    std::uint8_t SettingsRecord::*field;
    std::uint8_t value;
};

// Options that set one settings byte for this run.
constexpr std::array<SwitchOption, 20> kSwitches{{
    {"--vlt7", &SettingsRecord::VLT7CompSwitch, 1},
    {"--no-vlt7", &SettingsRecord::VLT7CompSwitch, 0},
    {"--compress", &SettingsRecord::CompressSwitch, 1},
    {"--no-compress", &SettingsRecord::CompressSwitch, 0},
    {"--force-compression", &SettingsRecord::ForceCompSwitch, 1},
    {"--store-name", &SettingsRecord::IncFNameSwitch, 1},
    {"--no-store-name", &SettingsRecord::IncFNameSwitch, 0},
    {"--restore-name", &SettingsRecord::RestFNameSwitch, 1},
    {"--no-restore-name", &SettingsRecord::RestFNameSwitch, 0},
    {"--restore-attributes", &SettingsRecord::RestAttrSwitch, 1},
    {"--no-restore-attributes", &SettingsRecord::RestAttrSwitch, 0},
    {"--keep-date", &SettingsRecord::KeepDTSwitch, 1},
    {"--no-keep-date", &SettingsRecord::KeepDTSwitch, 0},
    {"--rename", &SettingsRecord::RenameSwitch, 1},
    {"--keep-extension", &SettingsRecord::KeepExtSwitch, 1},
    {"--remove-original", &SettingsRecord::RemoveOrigSwitch, 1},
    {"--wipe-original", &SettingsRecord::WipeSwitch, 1},
    {"--sfs", &SettingsRecord::ParaWipeSwitch, 1},
    {"--zero-cbc", &SettingsRecord::ZeroCBCSwitch, 1},
    {"--ignore-crc32", &SettingsRecord::IgnoreCRC32Switch, 1},
}};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<Command> ParseCommand(const std::string& word) {
    const std::pair<const char*, Command> commands[] = {
        {"encrypt", Command::Encrypt}, {"decrypt", Command::Decrypt},
        {"wipe", Command::Wipe},       {"clear-free-space", Command::ClearFreeSpace},
        {"status", Command::Status},
    };
    for (const auto& [name, command] : commands) {
        if (word == name) {
            return command;
        }
    }
    return std::nullopt;
}

} // namespace

std::uint8_t ParseAlgorithm(const std::string& text) {
    if (text.size() == 1 && text[0] >= '1' && text[0] <= '0' + kAlgorithmCount) {
        return static_cast<std::uint8_t>(text[0] - '0');
    }
    for (AlgorithmId id = 1; id <= kAlgorithmCount; ++id) {
        if (Lower(text) == Lower(AlgorithmName(id))) {
            return id;
        }
    }
    return 0;
}

std::string ParseCommandLine(int argc, const char* const* argv, CliOptions& options) {
    options = CliOptions{};
    bool commandSeen = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            if (!commandSeen) {
                const std::optional<Command> command = ParseCommand(argument);
                if (!command) {
                    return "unknown command '" + argument + "'";
                }
                options.command = *command;
                commandSeen = true;
            } else {
                options.paths.push_back(argument);
            }
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            options.command = Command::Help;
            return "";
        }
        const auto flag = std::find_if(kSwitches.begin(), kSwitches.end(),
                                       [&](const SwitchOption& option) { return argument == option.name; });
        if (flag != kSwitches.end()) {
            options.switches.emplace_back(flag->field, flag->value);
            continue;
        }
        const std::pair<const char*, bool*> bareFlags[] = {
            {"--yes", &options.yes}, {"--quiet", &options.quiet}, {"--raw-passphrase", &options.rawPassphrase}};
        bool matched = false;
        for (const auto& [name, target] : bareFlags) {
            if (argument == name) {
                *target = true;
                matched = true;
            }
        }
        if (argument == "--encrypt-again") {
            // Stored inverted: 1 means "Ignore already encrypted files" is off.
            options.switches.emplace_back(&SettingsRecord::IgnoreAlreadyEncSwitch, 1);
            matched = true;
        }
        if (matched) {
            continue;
        }
        if (i + 1 >= argc) {
            return "option '" + argument + "' needs a value";
        }
        const std::string value = argv[++i];
        if (argument == "--algorithm" || argument == "--mixed") {
            const std::uint8_t id = ParseAlgorithm(value);
            if (id == 0) {
                return "unknown algorithm '" + value + "'";
            }
            (argument == "--algorithm" ? options.algorithm : options.mixedAlgorithm) = id;
        } else if (argument == "--passes") {
            const bool digits = !value.empty() && value.size() <= 2 &&
                                std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
            const int passes = digits ? std::stoi(value) : 0;
            if (passes < 1 || passes > 99) {
                return "--passes takes a number from 1 to 99";
            }
            options.switches.emplace_back(&SettingsRecord::NumOfDODBox, static_cast<std::uint8_t>(passes));
        } else if (argument == "--config") {
            options.config = value;
        } else if (argument == "--dest") {
            options.destination = value;
        } else if (argument == "--mask") {
            options.mask = value;
        } else if (argument == "--log") {
            options.logFile = value;
        } else if (argument == "--passphrase-file") {
            options.passphraseFile = value;
        } else if (argument == "--passphrase2-file") {
            options.passphrase2File = value;
        } else {
            return "unknown option '" + argument + "'";
        }
    }
    if (!commandSeen) {
        return argc > 1 ? "no command given" : "";
    }
    if (options.paths.empty()) {
        return "no PATH given";
    }
    if (options.command == Command::ClearFreeSpace && options.paths.size() != 1) {
        return "clear-free-space takes one directory";
    }
    return "";
}

std::string ApplyOverrides(const CliOptions& options, SettingsRecord& record) {
    for (const auto& [field, value] : options.switches) {
        record.*field = value;
    }
    if (options.algorithm) {
        record.Algo1Box = *options.algorithm;
    }
    if (options.mixedAlgorithm) {
        record.MixedEncryptionSwitch = 1;
        record.Algo2Box = *options.mixedAlgorithm;
    }
    // The terminal has no destination dialog: --dest is its answer.
    record.ExtDestDialogSwitch = options.destination ? 1 : 0;
    // The options dialog's rules: an algorithm it would not offer is refused, never
    // silently replaced as the dialog replaces it.
    return AlgorithmSettingsProblem(record);
}

const char* UsageText() {
    return R"(Usage:
  vlt95-cli encrypt|decrypt|wipe [OPTIONS] PATH...   files, directories or mount points
  vlt95-cli clear-free-space [OPTIONS] DIR           fill the free space of DIR's drive, then delete the fill
  vlt95-cli status PATH...                           per file: "Encrypted with VLT95", "Encrypted with VLT7",
                                                     "Not encrypted" or "???"

Directories are searched recursively for files matching the mask; a mount point is
processed as a whole drive and never left for another file system. Symbolic links are
never followed.

Settings come from the configuration file and are overridden for this run only (the
configuration file is never written):
  --config FILE              configuration file (default: the program's own; defaults
                             when missing or damaged)
  --algorithm NAME|ID        Blowfish (1), Blowfish32 (2), GOST (3), TDES (4), Cobra (5), IDEA (6)
  --mixed NAME|ID            mixed encryption with this second algorithm
  --vlt7, --no-vlt7          VLT7 compatibility (older container generation)
  --compress, --no-compress  compress files
  --force-compression        compress every block
  --store-name, --no-store-name          store the original file name
  --restore-name, --no-restore-name      restore the stored file name
  --restore-attributes, --no-restore-attributes
  --keep-date, --no-keep-date            keep date+time stamps
  --rename                   give encrypted files random names
  --keep-extension           keep the extension when renaming
  --dest DIR                 write the results into DIR (default: beside the originals)
  --remove-original          remove originals written to --dest
  --wipe-original            wipe plain files after encryption
  --passes N                 wipe cycles of three passes, 1 to 99
  --sfs                      35-pass wiping
  --zero-cbc                 zero CBC and random number generation
  --ignore-crc32             ignore CRC32 errors when decrypting
  --encrypt-again            encrypt already encrypted files once more
  --mask MASK                file mask for directories and drives (default *.*)

Run:
  --yes                      answer Yes to every confirmation and overwrite question;
                             without it questions are asked on the terminal, and
                             answered Cancel when there is no terminal
  --log FILE                 save the message log (CR LF line ends)
  --quiet                    print neither the log lines nor the progress bar
  --passphrase-file F        first passphrase: the file's contents without one trailing newline
  --passphrase2-file F       second passphrase (mixed encryption)
                             Otherwise VLT95_PASSPHRASE / VLT95_PASSPHRASE2, otherwise asked
                             on the terminal without echo (twice when encrypting).
                             Passphrases are UTF-8 text and are used as the window's
                             dialog uses them: as Windows-1252 bytes, so that both
                             programs open the same files; a character without a
                             Windows-1252 byte is refused.
  --raw-passphrase           take the passphrases byte for byte, unconverted (any byte
                             values, such as those given in the dialog's numerical input)
  --help                     this text

Ctrl-C stops the run after the current block.

Exit status: 0 no error counted, 1 errors counted or a wipe failed,
             2 usage error, 3 stopped or cancelled.
)";
}

} // namespace vlt::cli
