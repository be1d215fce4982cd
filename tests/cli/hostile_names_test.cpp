// Names chosen by someone else reach the terminal and the saved log escaped, and an
// I/O error says what the system said.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_runner.h"
#include "common/temp_dir.h"

namespace vlt::testing {
namespace {

const std::map<std::string, std::string> kPassphrase = {{"VLT95_PASSPHRASE", "secret"}};

bool HasControlCharacter(const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\n' && byte != '\r') || byte == 0x7F) {
            return true;
        }
    }
    return false;
}

// A file name and a stored name that would clear the screen and fake a log line
// are shown escaped on stdout and in the saved log; the files are still processed.
TEST(CliHostileNames, ControlCharactersInNamesAreShownEscaped) {
    TempDir temp;
    const std::string evil = "x\n  wiping fake (1 bytes), done.\x1b[2J";
    const std::string shown = "x\\x0A  wiping fake (1 bytes), done.\\x1B[2J";
    std::filesystem::create_directories(temp.File("tree"));
    WriteText(temp.File("tree/" + evil), "plain");
    const std::vector<std::string> common = {"--config", temp.File("none.cfg"), "--yes"};

    std::vector<std::string> encrypt = {"encrypt", "--store-name", "--rename", "--log", temp.File("log.txt")};
    encrypt.insert(encrypt.end(), common.begin(), common.end());
    encrypt.push_back(temp.File("tree"));
    const CliResult encrypted = RunCli(encrypt, kPassphrase);
    ASSERT_EQ(encrypted.status, 0) << encrypted.out << encrypted.err;
    EXPECT_FALSE(HasControlCharacter(encrypted.out)) << encrypted.out;
    EXPECT_NE(encrypted.out.find("  encrypting " + temp.File("tree/" + shown)), std::string::npos) << encrypted.out;
    const std::vector<std::uint8_t> saved = ReadBytes(temp.File("log.txt"));
    EXPECT_FALSE(HasControlCharacter(std::string(saved.begin(), saved.end())));
    EXPECT_EQ(Lines(encrypted.out).size(), 8U) << "no line was faked";

    std::vector<std::string> decrypt = {"decrypt", "--restore-name"};
    decrypt.insert(decrypt.end(), common.begin(), common.end());
    decrypt.push_back(temp.File("tree"));
    const CliResult decrypted = RunCli(decrypt, kPassphrase);
    ASSERT_EQ(decrypted.status, 0) << decrypted.out << decrypted.err;
    EXPECT_FALSE(HasControlCharacter(decrypted.out)) << decrypted.out;
    EXPECT_NE(decrypted.out.find("(" + shown + ") done."), std::string::npos) << decrypted.out;
    EXPECT_EQ(ReadBytes(temp.File("tree/" + evil)), (std::vector<std::uint8_t>{'p', 'l', 'a', 'i', 'n'}));

    const CliResult status = RunCli({"status", temp.File("tree")});
    EXPECT_EQ(Lines(status.out), std::vector<std::string>{temp.File("tree/" + shown) + ": Not encrypted"});
}

// The system's reason for an I/O error reaches stderr beside the log line.
TEST(CliHostileNames, AnIoErrorCarriesTheSystemsReason) {
    TempDir temp;
    WriteText(temp.File("a.txt"), "plain");
    // Nobody can create a file in /proc, not even the superuser.
    const CliResult result =
        RunCli({"encrypt", "--config", temp.File("none.cfg"), "--yes", "--dest", "/proc", temp.File("a.txt")},
               kPassphrase);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find(" I/O ERROR"), std::string::npos) << result.out;
    const std::vector<std::string> errors = Lines(result.err);
    ASSERT_EQ(errors.size(), 1U) << result.err;
    EXPECT_EQ(errors[0].rfind("vlt95-cli: /proc/", 0), 0U) << errors[0];
    EXPECT_GT(errors[0].size(), std::string("vlt95-cli: /proc/: ").size());
}

} // namespace
} // namespace vlt::testing
