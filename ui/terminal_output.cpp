#include "ui/terminal_output.h"

#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

#include "batch/message_log.h"
#include "settings/settings_record.h"
#include "ui/coalesced_repaint.h"

namespace vlt::ui {

TerminalOutput::TerminalOutput(QWidget* parent)
    : QWidget(parent), repaint_(new CoalescedRepaint(this, [this] { Show(); })) {
    setObjectName("TerminalOutput");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QScrollBar* TerminalOutput::Scroller() {
    if (TerminalScroller == nullptr) {
        TerminalScroller = findChild<QScrollBar*>("TerminalScroller", Qt::FindDirectChildrenOnly);
        if (TerminalScroller == nullptr) {
            TerminalScroller = new QScrollBar(Qt::Vertical, this);
            TerminalScroller->setObjectName("TerminalScroller");
            TerminalScroller->hide();
        }
        connect(TerminalScroller, &QScrollBar::valueChanged, this, &TerminalOutput::TerminalScrollerChange);
    }
    return TerminalScroller;
}

void TerminalOutput::Start(const SettingsRecord& settings) {
    log_ = nullptr;
    QScrollBar* scroller = Scroller();
    {
        const QSignalBlocker blocker(scroller);
        scroller->setRange(0, 0);
        scroller->setValue(0);
    }
    scroller->hide();
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
    repaint_->Cancel();
    Scroller()->hide();
}

std::int32_t TerminalOutput::LogRows() const {
    return height() / lineHeight_;
}

void TerminalOutput::LogPaint(MessageLog& log) {
    log_ = &log;
    repaint_->Request();
}

void TerminalOutput::Show() {
    if (log_ == nullptr || window()->isMinimized()) {
        return;
    }
    QScrollBar* scroller = Scroller();
    {
        const QSignalBlocker blocker(scroller);
        scroller->setRange(0, log_->ScrollMaximum());
        scroller->setValue(log_->ScrollPosition());
        scroller->setPageStep(std::max(1, LogRows()));
    }
    scroller->setVisible(log_->ScrollBarVisible());
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
    QScrollBar* scroller = Scroller();
    const int scrollWidth = scroller->sizeHint().width();
    scroller->setGeometry(width() - scrollWidth, 1, scrollWidth, height() - 1);
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
