#include "ui/coalesced_repaint.h"

namespace vlt::ui {

CoalescedRepaint::CoalescedRepaint(QObject* parent, std::function<void()> show, int intervalMs)
    : QObject(parent), show_(std::move(show)) {
    pause_.setSingleShot(true);
    pause_.setInterval(intervalMs);
    connect(&pause_, &QTimer::timeout, this, [this] {
        if (pending_) {
            Show();
        }
    });
}

void CoalescedRepaint::Request() {
    if (pause_.isActive()) {
        pending_ = true;
        return;
    }
    Show();
}

void CoalescedRepaint::Cancel() {
    pause_.stop();
    pending_ = false;
}

void CoalescedRepaint::Show() {
    pending_ = false;
    show_();
    pause_.start();
}

} // namespace vlt::ui
