#include "ui/help_window.h"

#include <QApplication>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QVariant>

#include "ui/help_pages.h"
#include "ui/help_window_form.h"
#include "ui/resources.h"
#include "ui_help_window.h"

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

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), ui_(std::make_unique<Ui::THelpWindow>()) {
    LoadResources();
    ui_->setupUi(this);
    connect(ui_->ContentsButton, &QPushButton::clicked, this, [this] { ShowPage(HelpContentsUrl()); });
    connect(ui_->BackButton, &QPushButton::clicked, ui_->HelpBrowser, &QTextBrowser::backward);
    connect(ui_->ForwardButton, &QPushButton::clicked, ui_->HelpBrowser, &QTextBrowser::forward);
    connect(ui_->CloseButton, &QPushButton::clicked, this, &QWidget::close);
    connect(ui_->HelpBrowser, &QTextBrowser::backwardAvailable, ui_->BackButton, &QPushButton::setEnabled);
    connect(ui_->HelpBrowser, &QTextBrowser::forwardAvailable, ui_->ForwardButton, &QPushButton::setEnabled);
    ui_->BackButton->setEnabled(false);
    ui_->ForwardButton->setEnabled(false);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

THelpWindow::~THelpWindow() = default;

void THelpWindow::ShowPage(const QUrl& url) {
    ui_->HelpBrowser->setSource(url);
    show();
    raise();
    activateWindow();
}

QUrl THelpWindow::CurrentPage() const { return ui_->HelpBrowser->source(); }

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
