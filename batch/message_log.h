#pragma once
// The message log of a run: the lines the job driver writes, the scroll arithmetic of
// the view that shows them, and the saved log (CR LF per line).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "batch/line_store.h"
#include "batch/run_state.h"

namespace vlt {

class MessageLog;

// The window (or terminal) that shows the log while a run is active.
class LogView {
public:
    virtual ~LogView() = default;
    // Whole text rows the view shows (height div line height); 0 when it shows none.
    [[nodiscard]] virtual std::int32_t LogRows() const = 0;
    // LogStart shows the view, LogEnd hides it again.
    virtual void LogShow(bool shown) = 0;
    // The log changed; the view repaints (MessageLog::VisibleText gives the rows).
    virtual void LogPaint(MessageLog& log) = 0;
};

enum class LogSaveResult { Saved, CantOpen, WriteFailed };

// The done dialog's message for a failed save (caption "Saving failed"); "" for Saved.
[[nodiscard]] std::string SaveFailureText(LogSaveResult result, const std::string& fileName);

class MessageLog {
public:
    MessageLog(RunState& state, LogView& view) : state_(state), view_(view) {}

    void LogStart();
    void LogEnd();
    // Adds text to the current line.
    void LogAppend(const std::string& text);
    // Adds text to the current line and ends it; the view scrolls to the new line.
    void LogLine(const std::string& text);

    // Number of the line being built; all lower numbers are finished lines.
    [[nodiscard]] std::int32_t CurrentLine() const { return current_; }
    // Text of a line (finished or current); "" outside the log.
    [[nodiscard]] std::string Line(std::int32_t number);
    // The finished lines in order.
    [[nodiscard]] std::vector<std::string> FinishedLines();

    // Scroll bar of the view.
    [[nodiscard]] std::int32_t ScrollPosition() const { return scrollPosition_; }
    [[nodiscard]] std::int32_t ScrollMaximum() const { return scrollMaximum_; }
    [[nodiscard]] bool ScrollBarVisible() const { return view_.LogRows() < current_; }
    // The user moved the scroll bar; clamped to 0..maximum.
    void SetScrollPosition(std::int32_t position);
    // A view may paint the log now: it is shown and no line is being changed. Window
    // paint requests and scroll notifications that arrive while a line changes (the
    // scroll bar moves inside LogLine) must not walk the store.
    [[nodiscard]] bool MayPaint() const { return state_.TerminalActive && !state_.LogBusy; }
    // One text per visible row from the scroll position down; "" for rows below the
    // current line.
    [[nodiscard]] std::vector<std::string> VisibleText();

    // Writes the finished lines, each followed by CR LF, without header or trailer.
    [[nodiscard]] LogSaveResult SaveMessages(const std::string& path);

private:
    void Paint();

    RunState& state_;
    LogView& view_;
    std::unique_ptr<LineStore> store_;
    std::int32_t current_ = 0;
    std::int32_t scrollPosition_ = 0;
    std::int32_t scrollMaximum_ = 0;
};

} // namespace vlt
