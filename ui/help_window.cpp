#include "ui/help_window.h"

#include <QApplication>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QVariant>

#include "ui/help_pages.h"
#include "ui/help_window_form.h"

namespace vlt::ui {
namespace {

QPointer<THelpWindow> theHelpWindow;

// The one help window, a child window of the caller's window: a modal dialog that asks
// for help must not block the window that shows it.
THelpWindow& HelpWindowFor(QWidget* parent) {
    QWidget* owner = parent != nullptr ? parent->window() : nullptr;
    if (theHelpWindow.isNull()) {
        theHelpWindow = new THelpWindow(owner);
    } else if (theHelpWindow->parentWidget() != owner) {
        const QRect placement = theHelpWindow->geometry();
        theHelpWindow->setParent(owner, Qt::Window);
        theHelpWindow->setGeometry(placement);
    }
    return *theHelpWindow;
}

} // namespace

void ShowHelpContext(QWidget* parent, int context) {
    const QUrl url = HelpUrlOf(context);
    HelpWindowFor(parent).ShowPage(url.isEmpty() ? HelpContentsUrl() : url);
}

void ShowHelpContents(QWidget* parent) { HelpWindowFor(parent).ShowPage(HelpContentsUrl()); }

void CloseHelp() { delete theHelpWindow.data(); }

int HelpContextOf(const QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        const QVariant context = widget->property("helpContext");
        if (context.isValid()) {
            return context.toInt();
        }
        if (widget->isWindow()) {
            break; // a dialog's controls never borrow the context of the window that owns it
        }
    }
    return 0;
}

void InstallHelpKey(QWidget* window) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window, [window] {
        QWidget* focused = QApplication::focusWidget();
        const bool inWindow = focused != nullptr && window->isAncestorOf(focused);
        ShowHelpContext(window, HelpContextOf(inWindow ? focused : window));
    });
}

} // namespace vlt::ui
