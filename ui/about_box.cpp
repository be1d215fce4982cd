#include "ui/about_box.h"

#include <QIcon>
#include <QLayout>
#include <QPalette>
#include <QShowEvent>
#include <algorithm>

#include "ui/centre_on_screen.h"
#include "ui/help_window.h"
#include "ui/resources.h"
#include "ui_about_box.h"

namespace vlt::ui {
namespace {

constexpr int kMajorVersion = 8;
constexpr int kMinorVersion = 1;

} // namespace

QString VersionText() { return QStringLiteral("Version %1.%2h").arg(kMajorVersion).arg(kMinorVersion); }

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TAboutBox>()) {
    LoadResources();
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QPalette silver = ui_->Panel->palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    silver.setColor(QPalette::WindowText, Qt::black);
    ui_->Panel->setPalette(silver);
    ui_->ProgramIcon->setPixmap(QIcon(QStringLiteral(":/icons/vlt95.svg")).pixmap(64, 64));
    QFont title = ui_->InfoTitle->font();
    title.setBold(true);
    title.setPixelSize(16);
    ui_->InfoTitle->setFont(title);
    connect(ui_->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    InstallHelpKey(this);
    // The designed 311 x 200, taller when a large font needs more lines.
    constexpr int kWidth = 311;
    constexpr int kHeight = 200;
    resize(kWidth, std::max(kHeight, layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(kWidth)
                                                                  : sizeHint().height()));
    CentreOnScreen(*this);
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

// The version is set at every showing, whatever the label showed before.
void TAboutBox::FormShow() { ui_->InfoVersion->setText(VersionText()); }

} // namespace vlt::ui
