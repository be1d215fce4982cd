#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

#include "cipher/algorithm_table.h"
#include "platform/attributes.h"
#include "platform/paths.h"
#include "settings/option_rules.h"

namespace vlt::cli {

namespace {

struct SwitchOption {
    const char* name;
    std::uint8_t SettingsRecord::*field;
    std::uint8_t value;
};

// Options that set one settings byte for this run; every switch has its "--no-" form,
// since the configuration file may have turned it on.
constexpr std::array<SwitchOption, 32> kSwitches{{
    {"--vlt7", &SettingsRecord::VLT7CompSwitch, 1},
    {"--no-vlt7", &SettingsRecord::VLT7CompSwitch, 0},
    {"--compress", &SettingsRecord::CompressSwitch, 1},
    {"--no-compress", &SettingsRecord::CompressSwitch, 0},
    {"--force-compression", &SettingsRecord::ForceCompSwitch, 1},
    {"--no-force-compression", &SettingsRecord::ForceCompSwitch, 0},
    {"--store-name", &SettingsRecord::IncFNameSwitch, 1},
    {"--no-store-name", &SettingsRecord::IncFNameSwitch, 0},
    {"--restore-name", &SettingsRecord::RestFNameSwitch, 1},
    {"--no-restore-name", &SettingsRecord::RestFNameSwitch, 0},
    {"--restore-attributes", &SettingsRecord::RestAttrSwitch, 1},
    {"--no-restore-attributes", &SettingsRecord::RestAttrSwitch, 0},
    {"--keep-date", &SettingsRecord::KeepDTSwitch, 1},
    {"--no-keep-date", &SettingsRecord::KeepDTSwitch, 0},
    {"--rename", &SettingsRecord::RenameSwitch, 1},
    {"--no-rename", &SettingsRecord::RenameSwitch, 0},
    {"--keep-extension", &SettingsRecord::KeepExtSwitch, 1},
    {"--no-keep-extension", &SettingsRecord::KeepExtSwitch, 0},
    {"--remove-original", &SettingsRecord::RemoveOrigSwitch, 1},
    {"--no-remove-original", &SettingsRecord::RemoveOrigSwitch, 0},
    {"--wipe-original", &SettingsRecord::WipeSwitch, 1},
    {"--no-wipe-original", &SettingsRecord::WipeSwitch, 0},
    {"--sfs", &SettingsRecord::ParaWipeSwitch, 1},
    {"--no-sfs", &SettingsRecord::ParaWipeSwitch, 0},
    {"--zero-cbc", &SettingsRecord::ZeroCBCSwitch, 1},
    {"--no-zero-cbc", &SettingsRecord::ZeroCBCSwitch, 0},
    {"--ignore-crc32", &SettingsRecord::IgnoreCRC32Switch, 1},
    {"--no-ignore-crc32", &SettingsRecord::IgnoreCRC32Switch, 0},
    {"--verify", &SettingsRecord::VerifySwitch, 1},
    {"--no-verify", &SettingsRecord::VerifySwitch, 0},
    // Stored inverted: 1 means "Ignore already encrypted files" is off.
    {"--encrypt-again", &SettingsRecord::IgnoreAlreadyEncSwitch, 1},
    {"--no-encrypt-again", &SettingsRecord::IgnoreAlreadyEncSwitch, 0},
}};

// Options that include files the exclusion mask leaves out, and their "--no-" forms.
struct InclusionOption {
    const char* name;
    std::uint32_t attribute;
    bool exclude;
};
constexpr std::array<InclusionOption, 4> kInclusions{{
    {"--include-hidden", faHidden, false},
    {"--no-include-hidden", faHidden, true},
    {"--include-read-only", faReadOnly, false},
    {"--no-include-read-only", faReadOnly, true},
}};

// Names of the attributes --exclude-mask takes.
constexpr std::array<std::pair<const char*, std::uint32_t>, 4> kAttributeNames{{
    {"read-only", faReadOnly},
    {"hidden", faHidden},
    {"system", faSystem},
    {"archive", faArchive},
}};

// Options that take a value.
constexpr std::array<const char*, 10> kValueOptions{{
    "--algorithm", "--mixed", "--passes", "--config", "--dest", "--mask", "--log", "--passphrase-file",
    "--passphrase2-file", "--exclude-mask",
}};

// "hidden,read-only" (or "none") as attribute bits; false for an unknown name.
bool ParseAttributeList(const std::string& text, std::uint32_t& bits) {
    bits = 0;
    if (text == "none") {
        return true;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        const std::string name = text.substr(start, end - start);
        const auto known = std::find_if(kAttributeNames.begin(), kAttributeNames.end(),
                                        [&](const auto& entry) { return name == entry.first; });
        if (known == kAttributeNames.end()) {
            return false;
        }
        bits |= known->second;
        start = end + 1;
    }
    return true;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<Command> ParseCommand(const std::string& word) {
    const std::pair<const char*, Command> commands[] = {
        {"encrypt", Command::Encrypt}, {"decrypt", Command::Decrypt},
        {"wipe", Command::Wipe},       {"verify", Command::Verify}, {"clear-free-space", Command::ClearFreeSpace},
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
        if (argument == "--version") {
            options.command = Command::Version;
            return "";
        }
        const auto flag = std::find_if(kSwitches.begin(), kSwitches.end(),
                                       [&](const SwitchOption& option) { return argument == option.name; });
        if (flag != kSwitches.end()) {
            options.switches.emplace_back(flag->field, flag->value);
            continue;
        }
        const auto inclusion = std::find_if(kInclusions.begin(), kInclusions.end(),
                                            [&](const InclusionOption& option) { return argument == option.name; });
        if (inclusion != kInclusions.end()) {
            options.exclusions.emplace_back(inclusion->attribute, inclusion->exclude);
            continue;
        }
        const std::pair<const char*, bool*> bareFlags[] = {{"--yes", &options.yes},
                                                           {"--overwrite", &options.overwrite},
                                                           {"--quiet", &options.quiet},
                                                           {"--raw-passphrase", &options.rawPassphrase}};
        bool matched = false;
        for (const auto& [name, target] : bareFlags) {
            if (argument == name) {
                *target = true;
                matched = true;
            }
        }
        if (matched) {
            continue;
        }
        if (std::find(kValueOptions.begin(), kValueOptions.end(), argument) == kValueOptions.end()) {
            return "unknown option '" + argument + "'";
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
            // A mask names files of each directory; it never reaches another one.
            if (!IsPlainMask(value)) {
                return "--mask takes a file name mask: no \"/\", not \".\" or \"..\"";
            }
            options.mask = value;
        } else if (argument == "--exclude-mask") {
            std::uint32_t bits = 0;
            if (!ParseAttributeList(value, bits)) {
                return "--exclude-mask takes \"none\" or a list of read-only, hidden, system, archive";
            }
            for (const auto& [name, attribute] : kAttributeNames) {
                options.exclusions.emplace_back(attribute, (bits & attribute) != 0);
            }
        } else if (argument == "--log") {
            options.logFile = value;
        } else if (argument == "--passphrase-file") {
            options.passphraseFile = value;
        } else if (argument == "--passphrase2-file") {
            options.passphrase2File = value;
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
        // Forced compression is compression; without compression nothing is forced.
        if (field == &SettingsRecord::ForceCompSwitch && value) {
            record.CompressSwitch = 1;
        } else if (field == &SettingsRecord::CompressSwitch && !value) {
            record.ForceCompSwitch = 0;
        }
    }
    for (const auto& [attribute, exclude] : options.exclusions) {
        record.ExcludeMask = exclude ? (record.ExcludeMask | attribute) : (record.ExcludeMask & ~attribute);
    }
    if (options.algorithm) {
        record.Algo1Box = *options.algorithm;
    }
    if (options.mixedAlgorithm) {
        record.MixedEncryptionSwitch = 1;
        record.Algo2Box = *options.mixedAlgorithm;
    }
    // The terminal has no destination dialog: --dest is its answer. Asking for the
    // originals to be wiped is asking for them to go.
    record.ExtDestDialogSwitch = options.destination ? 1 : 0;
    if (options.destination && record.WipeSwitch) {
        record.RemoveOrigSwitch = 1;
    }
    // The options dialog's rules: an algorithm it would not offer is refused, never
    // silently replaced as the dialog replaces it.
    return AlgorithmSettingsProblem(record);
}

const char* UsageText() {
    return R"(Usage:
  vlt95-cli encrypt|decrypt|wipe [OPTIONS] PATH...   files, directories or mount points
  vlt95-cli verify [OPTIONS] PATH...                 decipher each container into nothing and check
                                                     its CRC-32 and stored name; "OK" per good file,
                                                     any other file counts as an error; nothing on
                                                     the disk changes
  vlt95-cli clear-free-space [OPTIONS] DIR           fill the free space of DIR's drive, then delete the fill
  vlt95-cli status PATH...                           per file: "Encrypted with VLT95", "Encrypted with VLT7",
                                                     "Not encrypted" or "???"

Directories are searched recursively for files matching the mask; the mask also
filters subdirectories (only those whose names match are entered). A mount point is
processed as a whole drive and never left for another file system. Symbolic links are
never followed, and a file that changed since the listing is skipped. Results appear
under their names only when complete; control characters in names are shown escaped.

Settings come from the configuration file and are overridden for this run only (the
configuration file is never written). Every switch has a --no- form (--no-rename, ...):
  --config FILE              configuration file (default: the program's own; defaults
                             when missing or damaged)
  --algorithm NAME|ID        Blowfish (1), Blowfish32 (2), GOST (3), TDES (4), Cobra (5), IDEA (6)
  --mixed NAME|ID            mixed encryption with this second algorithm
  --vlt7                     VLT7 compatibility (older container generation)
  --compress                 compress files
  --force-compression        compress every block (implies --compress)
  --store-name               store the original file name
  --restore-name             restore the stored file name
  --restore-attributes       restore the stored attributes
  --keep-date                keep date+time stamps
  --rename                   give encrypted files random names
  --keep-extension           keep the extension when renaming
  --dest DIR                 write the results into DIR (default: beside the originals)
  --remove-original          remove originals written to --dest
  --wipe-original            wipe plain files after encryption (with --dest: implies
                             --remove-original)
  --passes N                 wipe cycles of three passes, 1 to 99
  --sfs                      35-pass wiping
  --zero-cbc                 zero CBC and random number generation
  --ignore-crc32             ignore CRC32 errors when decrypting
  --verify                   before an original goes (in place, --remove-original,
                             --wipe-original), read its replacement back from the disk
                             and check it; a mismatch keeps the original (on by default)
  --encrypt-again            encrypt already encrypted files once more
  --mask MASK                file mask for directories and drives (default *.*); a name,
                             never a path
  --include-hidden           include hidden files (names starting with ".")
  --include-read-only        include read-only files
  --exclude-mask LIST        leave out files with these attributes: "none" or a list of
                             read-only, hidden, system, archive

Run:
  --yes                      answer Yes to the run's confirmations (a whole-drive wipe
                             needs it); without it they are asked on the terminal, and
                             answered Cancel when there is no terminal
  --overwrite                answer Yes when an output would replace an existing file;
                             without it the question is asked on the terminal, and
                             answered No when there is no terminal
  --log FILE                 save the message log (CR LF line ends)
  --quiet                    print only the lines of errors and the summary
  --passphrase-file F        first passphrase: the file's contents without one trailing
                             newline (at most 4096 bytes)
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
  --version                  the program's version

Ctrl-C stops the run after the current block.

Exit status: 0 no error counted, 1 errors counted or a wipe failed,
             2 usage error, 3 stopped or cancelled.
)";
}

} // namespace vlt::cli
