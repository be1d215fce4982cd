#pragma once
// The terminal beneath the command-line host: questions, hidden input, the progress
// line, and Ctrl-C as the stop button.
#include <atomic>
#include <optional>
#include <string>

#include "container/file_operation_host.h"

namespace vlt::cli {

[[nodiscard]] bool StdinIsTerminal();
[[nodiscard]] bool StderrIsTerminal();

// A line typed on the terminal without echo (after `prompt` on stderr); nothing on
// end of input or when Ctrl-C interrupted the reading.
[[nodiscard]] std::optional<std::string> ReadHiddenLine(const std::string& prompt);

// Asks a Yes/No(/Cancel) question on the terminal; end of input or Ctrl-C is Cancel
// (No for a Yes/No question).
[[nodiscard]] MsgAnswer AskOnTerminal(const std::string& question, MsgButtons buttons);

// A message box as terminal text: caption, ": ", the text with its line breaks.
[[nodiscard]] std::string MessageText(const std::string& caption, const std::string& text);

// Ctrl-C sets `flag` (the run's stop flag); a second Ctrl-C ends the program.
void StopOnInterrupt(std::atomic<bool>& flag);

// Draws and clears the one-line progress bar on stderr.
class ProgressLine {
public:
    explicit ProgressLine(bool enabled) : enabled_(enabled) {}
    void Draw(int percent);
    void Clear();

private:
    bool enabled_;
    bool shown_ = false;
    int lastPercent_ = -1;
};

} // namespace vlt::cli
