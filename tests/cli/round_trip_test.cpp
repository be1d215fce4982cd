// Every algorithm, a mixed pair, both container generations: a tree encrypted with
// compression by vlt95-cli comes back byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_runner.h"
#include "common/temp_dir.h"

namespace vlt::testing {
namespace {

TEST(CliRoundTrip, EveryAlgorithmBothGenerations) {
    struct Case {
        std::vector<std::string> options;
        const char* state;
    };
    const char* vlt95 = "Encrypted with VLT95";
    const char* vlt7 = "Encrypted with VLT7";
    const Case cases[] = {
        {{"--algorithm", "Blowfish"}, vlt95},
        {{"--algorithm", "Blowfish32"}, vlt95},
        {{"--algorithm", "GOST"}, vlt95},
        {{"--algorithm", "TDES"}, vlt95},
        {{"--algorithm", "Cobra"}, vlt95},
        {{"--algorithm", "IDEA"}, vlt95},
        {{"--algorithm", "Cobra", "--mixed", "IDEA", "--rename"}, vlt95},
        {{"--vlt7", "--algorithm", "1"}, vlt7},
        {{"--vlt7", "--algorithm", "2"}, vlt7},
        {{"--vlt7", "--algorithm", "3"}, vlt7},
        {{"--vlt7", "--algorithm", "4"}, vlt7},
        {{"--vlt7", "--algorithm", "5"}, vlt7},
        {{"--vlt7", "--algorithm", "TDES", "--mixed", "Blowfish32", "--rename", "--keep-extension"}, vlt7},
    };
    const std::map<std::string, std::string> passphrases = {{"VLT95_PASSPHRASE", "first secret"},
                                                            {"VLT95_PASSPHRASE2", "second secret"}};
    for (const Case& c : cases) {
        std::string label;
        for (const std::string& option : c.options) {
            label += option + " ";
        }
        SCOPED_TRACE(label);
        TempDir temp;
        const std::string tree = temp.File("tree");
        MakeFixtureTree(tree);
        CopyTree(tree, temp.File("original"));
        std::vector<std::string> common = {"--config", temp.File("none.cfg"), "--compress", "--yes"};
        common.insert(common.end(), c.options.begin(), c.options.end());

        std::vector<std::string> encrypt = {"encrypt"};
        encrypt.insert(encrypt.end(), common.begin(), common.end());
        encrypt.push_back(tree);
        const CliResult encrypted = RunCli(encrypt, passphrases);
        ASSERT_EQ(encrypted.status, 0) << encrypted.out << encrypted.err;
        EXPECT_FALSE(SameTree(tree, temp.File("original")));
        const CliResult status = RunCli({"status", tree});
        ASSERT_EQ(status.status, 0);
        const std::vector<std::string> states = Lines(status.out);
        ASSERT_EQ(states.size(), 3U);
        for (const std::string& line : states) {
            EXPECT_EQ(line.substr(line.find(": ") + 2), c.state) << line;
        }

        std::vector<std::string> decrypt = {"decrypt"};
        decrypt.insert(decrypt.end(), common.begin(), common.end());
        decrypt.push_back(tree);
        const CliResult decrypted = RunCli(decrypt, passphrases);
        ASSERT_EQ(decrypted.status, 0) << decrypted.out << decrypted.err;
        EXPECT_TRUE(SameTree(tree, temp.File("original"))) << decrypted.out;
    }
}

TEST(CliRoundTrip, DestinationLogFileAndHelp) {
    TempDir temp;
    const std::string tree = temp.File("tree");
    MakeFixtureTree(tree);
    CopyTree(tree, temp.File("original"));
    std::filesystem::create_directories(temp.File("out"));
    std::filesystem::create_directories(temp.File("back"));
    const std::map<std::string, std::string> passphrase = {{"VLT95_PASSPHRASE", "secret"}};
    const CliResult encrypted = RunCli({"encrypt", "--config", temp.File("none.cfg"), "--yes", "--quiet", "--dest",
                                        temp.File("out"), "--log", temp.File("log.txt"), tree + "/a.txt"},
                                       passphrase);
    ASSERT_EQ(encrypted.status, 0) << encrypted.err;
    EXPECT_EQ(Lines(encrypted.out),
              (std::vector<std::string>{"Files tried: 1", "Files encrypted successfully: 1", "Errors: 0"}));
    EXPECT_TRUE(SameTree(tree, temp.File("original"))); // the original stays
    const std::string log = "Searching for single selected files...\r\n"
                            "1 file(s) found, 6 bytes together.\r\n"
                            "  encrypting " +
                            tree + "/a.txt (6 bytes),  done.\r\n";
    EXPECT_EQ(ReadBytes(temp.File("log.txt")), std::vector<std::uint8_t>(log.begin(), log.end()));

    const CliResult decrypted = RunCli(
        {"decrypt", "--config", temp.File("none.cfg"), "--yes", "--dest", temp.File("back"), temp.File("out/a.txt")},
        passphrase);
    ASSERT_EQ(decrypted.status, 0) << decrypted.err;
    EXPECT_EQ(ReadBytes(temp.File("back/a.txt")), ReadBytes(tree + "/a.txt"));

    const CliResult help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(Lines(help.out).front(), "Usage:");
    EXPECT_NE(help.out.find("Exit status: 0 no error counted, 1 errors counted or a wipe failed,"), std::string::npos);
}

} // namespace
} // namespace vlt::testing
