#include "ui/help_window_form.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTextBrowser>

#include "ui/centre_on_screen.h"
#include "ui/help_pages.h"
#include "ui/resources.h"
#include "ui_help_window.h"

namespace vlt::ui {

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
    CentreOnScreen(*this);
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

} // namespace vlt::ui
