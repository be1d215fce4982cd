// vlt95-cli on a terminal: passphrases typed without echo and asked again after a
// mismatch, and a confirmation answered by typing.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "common/temp_dir.h"

namespace vlt::testing {
namespace {

class Terminal {
public:
    explicit Terminal(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), VLT_CLI_PATH);
        child_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
        if (child_ == 0) {
            ::unsetenv("VLT95_PASSPHRASE");
            ::unsetenv("VLT95_PASSPHRASE2");
            std::vector<char*> argv;
            for (std::string& argument : arguments) {
                argv.push_back(argument.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~Terminal() {
        if (master_ >= 0) {
            ::close(master_);
        }
    }

    // Reads until `text` has appeared (true) or the program has ended (false).
    bool WaitFor(const std::string& text) {
        while (seen_.find(text, consumed_) == std::string::npos) {
            pollfd ready{master_, POLLIN, 0};
            if (::poll(&ready, 1, 30000) <= 0) {
                return false; // a safety net against a hang, not a measurement
            }
            char buffer[512];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) {
                return false;
            }
            seen_.append(buffer, static_cast<std::size_t>(n));
        }
        consumed_ = seen_.find(text, consumed_) + text.size();
        return true;
    }
    void Type(const std::string& line) {
        ASSERT_EQ(::write(master_, (line + "\n").data(), line.size() + 1), static_cast<ssize_t>(line.size() + 1));
    }
    int Finish() {
        while (WaitFor("\x01never")) {
        }
        int status = 0;
        ::waitpid(child_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& Seen() const { return seen_; }

private:
    int master_ = -1;
    pid_t child_ = -1;
    std::string seen_;
    std::size_t consumed_ = 0;
};

TEST(CliTerminal, PassphraseIsConfirmedAndQuestionsAreTyped) {
    TempDir temp;
    WriteText(temp.File("f.txt"), "terminal data");
    Terminal terminal({"encrypt", "--config", temp.File("none.cfg"), temp.File("f.txt")});
    ASSERT_TRUE(terminal.WaitFor("Enter Passphrase for Blowfish: "));
    terminal.Type("abc");
    ASSERT_TRUE(terminal.WaitFor("Confirm: "));
    terminal.Type("abd");
    ASSERT_TRUE(terminal.WaitFor("Passphrase Input Error: There are differences between passphrase and confirmation!"));
    ASSERT_TRUE(terminal.WaitFor("Enter Passphrase for Blowfish: "));
    terminal.Type("abc");
    ASSERT_TRUE(terminal.WaitFor("Confirm: "));
    terminal.Type("abc");
    ASSERT_TRUE(terminal.WaitFor("Confirmation required: Should the 1 single selected file(s) be encrypted now? "
                                 "[y]es/[n]o/[c]ancel: "));
    terminal.Type("y");
    ASSERT_TRUE(terminal.WaitFor("  encrypting " + temp.File("f.txt") + " (13 bytes),  done."));
    EXPECT_EQ(terminal.Finish(), 0) << terminal.Seen();
    EXPECT_EQ(terminal.Seen().find("abd"), std::string::npos) << "a passphrase was echoed";

    Terminal decrypting({"decrypt", "--config", temp.File("none.cfg"), temp.File("f.txt")});
    ASSERT_TRUE(decrypting.WaitFor("Enter Passphrase for Blowfish: "));
    decrypting.Type("abc"); // no confirmation when decrypting
    ASSERT_TRUE(decrypting.WaitFor("[y]es/[n]o/[c]ancel: "));
    decrypting.Type("c");
    EXPECT_EQ(decrypting.Finish(), 3) << decrypting.Seen();
    EXPECT_NE(decrypting.Seen().find("Files decrypted successfully: 0"), std::string::npos);
}

} // namespace
} // namespace vlt::testing
