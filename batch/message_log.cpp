#include "batch/message_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

namespace vlt {

void MessageLog::LogStart() {
    scrollPosition_ = 0;
    scrollMaximum_ = 0;
    current_ = 0;
    store_ = std::make_unique<LineStore>();
    view_.LogShow(true);
    state_.TerminalActive = true;
    Paint();
}

void MessageLog::LogEnd() {
    view_.LogShow(false);
    state_.TerminalActive = false;
    store_.reset();
}

void MessageLog::LogAppend(const std::string& text) {
    if (!store_) {
        return;
    }
    state_.LogBusy = true;
    store_->Set(current_, store_->Get(current_) + text);
    state_.LogBusy = false;
    Paint();
}

void MessageLog::LogLine(const std::string& text) {
    if (!store_) {
        return;
    }
    state_.LogBusy = true;
    store_->Set(current_, store_->Get(current_) + text);
    // A line lost for want of memory only costs its own text; the log goes on.
    (void)store_->Add(std::string());
    const std::int32_t finished = current_++;
    // The new, empty current line sits on the bottom row; a view scrolled further
    // down stays where it is.
    const std::int32_t top = std::max<std::int32_t>(0, finished - view_.LogRows() + 2);
    scrollMaximum_ = finished + 1;
    scrollPosition_ = std::max(scrollPosition_, top);
    state_.LogBusy = false;
    Paint();
}

void MessageLog::Paint() {
    if (MayPaint()) {
        view_.LogPaint(*this);
    }
}

std::string MessageLog::Line(std::int32_t number) {
    return store_ ? store_->Get(number) : std::string();
}

std::vector<std::string> MessageLog::FinishedLines() {
    std::vector<std::string> lines;
    if (!store_ || current_ == 0) {
        return lines;
    }
    lines.reserve(static_cast<std::size_t>(current_));
    lines.push_back(store_->Get(0));
    while (static_cast<std::int32_t>(lines.size()) < current_) {
        lines.push_back(store_->GetNext());
    }
    return lines;
}

void MessageLog::SetScrollPosition(std::int32_t position) {
    scrollPosition_ = std::clamp(position, 0, scrollMaximum_);
    Paint();
}

std::vector<std::string> MessageLog::VisibleText() {
    const std::int32_t rows = std::max<std::int32_t>(0, view_.LogRows());
    std::vector<std::string> texts(static_cast<std::size_t>(rows));
    if (!store_) {
        return texts;
    }
    for (std::int32_t row = 0; row < rows; ++row) {
        const std::int32_t number = scrollPosition_ + row;
        if (number > current_) {
            break; // cleared rows below the current line
        }
        texts[static_cast<std::size_t>(row)] = row == 0 ? store_->Get(number) : store_->GetNext();
    }
    return texts;
}

std::string SaveFailureText(LogSaveResult result, const std::string& fileName) {
    switch (result) {
    case LogSaveResult::CantOpen:
        return "Can't open " + fileName + " !";
    case LogSaveResult::WriteFailed:
        return "I/O error while writing to " + fileName + " !";
    case LogSaveResult::Saved:
        break;
    }
    return "";
}

LogSaveResult MessageLog::SaveMessages(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return LogSaveResult::CantOpen;
    }
    LogSaveResult result = LogSaveResult::Saved;
    for (const std::string& line : FinishedLines()) {
        const std::string record = line + "\r\n";
        std::size_t written = 0;
        while (written < record.size()) {
            const ssize_t n = ::write(fd, record.data() + written, record.size() - written);
            if (n <= 0) {
                break;
            }
            written += static_cast<std::size_t>(n);
        }
        if (written < record.size()) {
            result = LogSaveResult::WriteFailed;
            break;
        }
    }
    if (::close(fd) != 0 && result == LogSaveResult::Saved) {
        result = LogSaveResult::WriteFailed;
    }
    return result;
}

} // namespace vlt
