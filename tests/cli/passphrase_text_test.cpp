// Passphrases given as UTF-8 text are used as Windows-1252 bytes, the bytes the window's
// dialog makes of the same typed text; --raw-passphrase takes bytes as they are.
#include <gtest/gtest.h>

#include "cli_runner.h"
#include "common/temp_dir.h"

namespace vlt::testing {
namespace {

class CliPassphraseText : public ::testing::Test {
protected:
    CliPassphraseText() {
        WriteText(plain, "text to keep");
        WriteText(original, "text to keep");
    }
    CliResult Run(const std::string& command, std::vector<std::string> extra,
                  const std::map<std::string, std::string>& environment = {}) {
        std::vector<std::string> arguments = {command, "--config", temp.File("none.cfg"), "--yes"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        arguments.push_back(plain);
        return RunCli(arguments, environment);
    }
    TempDir temp;
    std::string plain = temp.File("plain.txt");
    std::string original = temp.File("original.txt");
};

TEST_F(CliPassphraseText, TypedTextIsWindows1252AndRawBytesStayRaw) {
    // "pä€ss" typed as UTF-8 ...
    const CliResult encrypted = Run("encrypt", {}, {{"VLT95_PASSPHRASE", "p\xC3\xA4\xE2\x82\xAC" "ss"}});
    ASSERT_EQ(encrypted.status, 0) << encrypted.err;

    // ... is not its UTF-8 bytes,
    WriteText(temp.File("utf8"), "p\xC3\xA4\xE2\x82\xAC" "ss");
    const CliResult wrong = Run("decrypt", {"--raw-passphrase", "--passphrase-file", temp.File("utf8")});
    EXPECT_NE(wrong.out.find(" PASSPHRASE/ALGORITHM FAILED"), std::string::npos) << wrong.out;
    EXPECT_EQ(wrong.status, 1);

    // ... but its Windows-1252 bytes, given raw.
    WriteBytes(temp.File("cp1252"), {'p', 0xE4, 0x80, 's', 's', '\n'});
    const CliResult decrypted = Run("decrypt", {"--raw-passphrase", "--passphrase-file", temp.File("cp1252")});
    ASSERT_EQ(decrypted.status, 0) << decrypted.out << decrypted.err;
    EXPECT_EQ(ReadBytes(plain), ReadBytes(original));
}

TEST_F(CliPassphraseText, TextWithoutWindows1252BytesIsRefused) {
    const CliResult kanji = Run("encrypt", {}, {{"VLT95_PASSPHRASE", "secret\xE6\x97\xA5"}});
    EXPECT_EQ(kanji.status, 2);
    EXPECT_EQ(Lines(kanji.err),
              (std::vector<std::string>{"Passphrase Input Error: The character \"\xE6\x97\xA5\" cannot be used in a "
                                        "passphrase.",
                                        "Please check your input!"}));
    WriteBytes(temp.File("latin1"), {'s', 0xE4, 'c', 'r', 'e', 't'});
    const CliResult latin1 = Run("encrypt", {"--passphrase-file", temp.File("latin1")});
    EXPECT_EQ(latin1.status, 2);
    EXPECT_NE(latin1.err.find("The passphrase is not valid UTF-8 text."), std::string::npos) << latin1.err;
    EXPECT_EQ(ReadBytes(plain), ReadBytes(original)); // nothing was encrypted
}

} // namespace
} // namespace vlt::testing
