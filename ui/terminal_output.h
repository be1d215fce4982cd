#pragma once
// The message log's view during a run: the paint box TerminalOutput, which takes the
// browser's place, with the scroll bar TerminalScroller at its right edge. The log
// (batch/message_log.h) keeps the lines and the scroll arithmetic; this only draws.
#include <QWidget>

#include <cstdint>
#include <string>

class QScrollBar;

namespace vlt {
class MessageLog;
struct SettingsRecord;
} // namespace vlt

namespace vlt::ui {

class CoalescedRepaint;

class TerminalOutput : public QWidget {
    Q_OBJECT

public:
    explicit TerminalOutput(QWidget* parent = nullptr);

    // The log starts: the settings' font, the scroll bar hidden at 0, nothing shown yet.
    void Start(const SettingsRecord& settings);
    // The log ends: nothing more is drawn from it.
    void Stop();
    // Whole rows the box shows.
    [[nodiscard]] std::int32_t LogRows() const;
    // The log changed: the scroll bar follows it and the box repaints (coalesced, the
    // last change always shown).
    void LogPaint(MessageLog& log);

    // TerminalScroller: the child of that name (a form may declare it), else one made here.
    [[nodiscard]] QScrollBar* Scroller();
    [[nodiscard]] int LineHeight() const { return lineHeight_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void TerminalScrollerChange(int position);

private:
    void PlaceScroller();
    // The scroll bar set from the log, and a repaint asked for.
    void Show();

    MessageLog* log_ = nullptr;
    int lineHeight_ = 20;
    CoalescedRepaint* repaint_;
    QScrollBar* TerminalScroller = nullptr;
};

} // namespace vlt::ui
