#include "ui/terminal_output.h"

#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

#include "batch/message_log.h"
#include "settings/settings_record.h"

namespace vlt::ui {

TerminalOutput::TerminalOutput(QWidget* parent) : QWidget(parent), TerminalScroller(new QScrollBar(Qt::Vertical, this)) {
    setObjectName("TerminalOutput");
    TerminalScroller->setObjectName("TerminalScroller");
    TerminalScroller->hide();
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(TerminalScroller, &QScrollBar::valueChanged, this, &TerminalOutput::TerminalScrollerChange);
}

void TerminalOutput::Start(const SettingsRecord& settings) {
    log_ = nullptr;
    {
        const QSignalBlocker blocker(TerminalScroller);
        TerminalScroller->setRange(0, 0);
        TerminalScroller->setValue(0);
    }
    TerminalScroller->hide();
    PlaceScroller();
    QFont font(QString::fromStdString(settings.GetFontName()));
    const int size = settings.FontSize > 0 ? settings.FontSize : 10;
    font.setPointSize(size);
    font.setBold((settings.FontStyle & 0x01) != 0);
    font.setItalic((settings.FontStyle & 0x02) != 0);
    font.setUnderline((settings.FontStyle & 0x04) != 0);
    font.setStrikeOut((settings.FontStyle & 0x08) != 0);
    setFont(font);
    lineHeight_ = 2 * size;
    update();
}

void TerminalOutput::Stop() {
    log_ = nullptr;
    TerminalScroller->hide();
}

std::int32_t TerminalOutput::LogRows() const {
    return height() / lineHeight_;
}

void TerminalOutput::LogPaint(MessageLog& log) {
    log_ = &log;
    if (window()->isMinimized()) {
        return;
    }
    {
        const QSignalBlocker blocker(TerminalScroller);
        TerminalScroller->setRange(0, log.ScrollMaximum());
        TerminalScroller->setValue(log.ScrollPosition());
        TerminalScroller->setPageStep(std::max(1, LogRows()));
    }
    TerminalScroller->setVisible(log.ScrollBarVisible());
    update();
}

void TerminalOutput::TerminalScrollerChange(int position) {
    if (log_ != nullptr) {
        log_->SetScrollPosition(position);
    }
}

void TerminalOutput::resizeEvent(QResizeEvent* event) {
    PlaceScroller();
    QWidget::resizeEvent(event);
}

void TerminalOutput::PlaceScroller() {
    const int scrollWidth = TerminalScroller->sizeHint().width();
    TerminalScroller->setGeometry(width() - scrollWidth, 1, scrollWidth, height() - 1);
}

void TerminalOutput::paintEvent(QPaintEvent*) {
    if (window()->isMinimized()) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    // A paint request while a line changes draws the cleared box; the log paints
    // again as soon as the line is done.
    if (log_ == nullptr || !log_->MayPaint()) {
        return;
    }
    painter.setPen(palette().color(QPalette::WindowText));
    const std::vector<std::string> rows = log_->VisibleText();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].empty()) {
            continue;
        }
        const QRect line(0, static_cast<int>(r) * lineHeight_, width(), lineHeight_);
        painter.drawText(line, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         QString::fromStdString(rows[r]));
    }
}

} // namespace vlt::ui
