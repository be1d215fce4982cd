#include "ui/dir_browser.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/drives.h"
#include "ui/centre_on_screen.h"
#include "ui/message_box_service.h"

namespace vlt::ui {

namespace {

constexpr int kDesignedWidth = 283;
constexpr int kDesignedHeight = 214;

bool IsAccessibleDirectory(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.isDir() && info.isReadable() && info.isExecutable();
}

} // namespace

TDirBrowser::TDirBrowser(QWidget* parent) : QDialog(parent), model_(new QFileSystemModel(this)) {
    setWindowTitle(tr("Browse Directory"));
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    Info1 = new QLabel(tr("&Directory:"), this);
    Info1->setObjectName("Info1");
    DirList = new QTreeView(this);
    DirList->setObjectName("DirList");
    DirList->setModel(model_);
    DirList->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column) {
        DirList->hideColumn(column);
    }
    Info1->setBuddy(DirList);
    Info2 = new QLabel(tr("Dri&ve:"), this);
    Info2->setObjectName("Info2");
    DriveList = new QComboBox(this);
    DriveList->setObjectName("DriveList");
    for (const DriveInfo& drive : ListDrives()) {
        const QString mount = QString::fromStdString(drive.mountPoint);
        DriveList->addItem(mount, mount);
    }
    Info2->setBuddy(DriveList);
    OKButton = new QPushButton(tr("&OK"), this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    CancelButton = new QPushButton(tr("&Cancel"), this);
    CancelButton->setObjectName("CancelButton");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Info1);
    layout->addWidget(DirList, 1);
    layout->addWidget(Info2);
    layout->addWidget(DriveList);
    layout->addLayout(buttons);
    resize(std::max(kDesignedWidth, layout->sizeHint().width()), std::max(kDesignedHeight, 2 * kDesignedHeight));

    connect(DriveList, &QComboBox::activated, this, &TDirBrowser::DriveListChange);
    connect(OKButton, &QPushButton::clicked, this, &TDirBrowser::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TDirBrowser::CancelButtonClick);
    CentreOnScreen(*this);
}

void TDirBrowser::showEvent(QShowEvent* event) {
    if (!ShowDirectory(directory_.trimmed())) {
        (void)ShowDirectory(QDir::currentPath());
    }
    QDialog::showEvent(event);
}

bool TDirBrowser::ShowDirectory(const QString& directory) {
    if (!IsAccessibleDirectory(directory)) {
        return false;
    }
    const QString path = QDir(directory).absolutePath();
    // The drive is the mount point with the longest match.
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < DriveList->count(); ++i) {
        const QString mount = DriveList->itemData(i).toString();
        const bool contains = mount == "/" || path == mount || path.startsWith(mount + "/");
        if (contains && mount.size() > bestLength) {
            best = i;
            bestLength = mount.size();
        }
    }
    if (best < 0 || !SwitchDrive(DriveList->itemData(best).toString())) {
        return false;
    }
    const QModelIndex index = model_->index(path);
    DirList->setCurrentIndex(index);
    DirList->scrollTo(index);
    return true;
}

bool TDirBrowser::SwitchDrive(const QString& mountPoint) {
    if (!IsAccessibleDirectory(mountPoint)) {
        return false;
    }
    DirList->setRootIndex(model_->setRootPath(mountPoint));
    DirList->setCurrentIndex(DirList->rootIndex());
    shownDrive_ = mountPoint;
    const QSignalBlocker blocker(DriveList);
    DriveList->setCurrentIndex(DriveList->findData(mountPoint));
    return true;
}

void TDirBrowser::DriveListChange(int index) {
    const QString mount = DriveList->itemData(index).toString();
    if (SwitchDrive(mount)) {
        return;
    }
    MessageBoxes().ShowMessage("System Error", "Drive " + mount.toStdString() + ": is not accessible!",
                               MsgIcon::Error);
    const QSignalBlocker blocker(DriveList);
    DriveList->setCurrentIndex(DriveList->findData(shownDrive_));
}

QString TDirBrowser::CurrentDirectory() const {
    const QModelIndex current = DirList->currentIndex();
    return model_->filePath(current.isValid() ? current : DirList->rootIndex());
}

void TDirBrowser::OKButtonClick() {
    directory_ = CurrentDirectory();
    accept();
}

void TDirBrowser::CancelButtonClick() {
    directory_.clear();
    QDialog::reject();
}

void TDirBrowser::reject() {
    CancelButtonClick();
}

} // namespace vlt::ui
