#pragma once
// Repaints during a run come at most once per interval: a run of small files changes
// the log and the progress bar many hundred times a second, and painting each change
// would make the run wait for the screen. The last change is always shown.
#include <QObject>
#include <QTimer>

#include <functional>

namespace vlt::ui {

class CoalescedRepaint : public QObject {
    Q_OBJECT

public:
    // `show` brings the widget up to date (and asks Qt to repaint it).
    CoalescedRepaint(QObject* parent, std::function<void()> show, int intervalMs = 50);

    // Something changed: shown now, or at the end of the current interval.
    void Request();
    // Nothing more is to be shown.
    void Cancel();

private:
    void Show();

    std::function<void()> show_;
    QTimer pause_;
    bool pending_ = false;
};

} // namespace vlt::ui
