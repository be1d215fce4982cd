#include "cli/terminal_io.h"

#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>

#include "batch/shown_name.h"

namespace vlt::cli {

namespace {

std::atomic<bool>* g_stopFlag = nullptr;

void OnInterrupt(int) {
    if (g_stopFlag) {
        g_stopFlag->store(true);
    }
    // A second Ctrl-C ends the program at once.
    std::signal(SIGINT, SIG_DFL);
}

// One line from stdin, read byte by byte so that nothing beyond it is consumed and
// an interrupt ends the wait.
std::optional<std::string> ReadLine() {
    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n <= 0) {
            if (n == 0 && !line.empty()) {
                return line;
            }
            return std::nullopt;
        }
        if (c == '\n') {
            return line;
        }
        line.push_back(c);
    }
}

} // namespace

bool StdinIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}
bool StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

std::optional<std::string> ReadHiddenLine(const std::string& prompt) {
    termios saved{};
    const bool terminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios hidden = saved;
        hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        (void)::tcsetattr(STDIN_FILENO, TCSANOW, &hidden);
    }
    // The prompt only once echo is off, so that nothing typed after it is shown.
    std::cerr << prompt << std::flush;
    std::optional<std::string> line = ReadLine();
    if (terminal) {
        (void)::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    }
    std::cerr << '\n';
    if (line && !line->empty() && line->back() == '\r') {
        line->pop_back();
    }
    return line;
}

MsgAnswer AskOnTerminal(const std::string& question, MsgButtons buttons) {
    const bool cancel = buttons == MsgButtons::YesNoCancel;
    const MsgAnswer giveUp = cancel ? MsgAnswer::Cancel : MsgAnswer::No;
    for (;;) {
        std::cerr << question << (cancel ? " [y]es/[n]o/[c]ancel: " : " [y]es/[n]o: ") << std::flush;
        const std::optional<std::string> line = ReadLine();
        if (!line) {
            std::cerr << '\n';
            return giveUp;
        }
        const char c = line->empty() ? '\0' : (*line)[0];
        if (c == 'y' || c == 'Y') {
            return MsgAnswer::Yes;
        }
        if (c == 'n' || c == 'N') {
            return MsgAnswer::No;
        }
        if (cancel && (c == 'c' || c == 'C')) {
            return MsgAnswer::Cancel;
        }
    }
}

std::string MessageText(const std::string& caption, const std::string& text) {
    // The texts' own line breaks (CR LF) stay line breaks; any other control
    // character (a file name's) is shown escaped.
    std::string plain;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        plain += ShownName(text.substr(start, end - start)) + "\n";
        start = end + 2;
    }
    return caption + ": " + plain + ShownName(text.substr(start));
}

void StopOnInterrupt(std::atomic<bool>& flag) {
    g_stopFlag = &flag;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: a waiting read returns
    (void)::sigaction(SIGINT, &action, nullptr);
}

void ProgressLine::Draw(int percent) {
    if (!enabled_ || percent == lastPercent_) {
        return;
    }
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << percent << "%" << std::flush;
    shown_ = true;
    lastPercent_ = percent;
}

void ProgressLine::Clear() {
    if (shown_) {
        std::cerr << "\r\033[K" << std::flush;
        shown_ = false;
        lastPercent_ = -1;
    }
}

} // namespace vlt::cli
