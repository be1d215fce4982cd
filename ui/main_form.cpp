#include "ui/main_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPaintEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTreeView>
#include <chrono>

#include "batch/program_lifecycle.h"
#include "platform/drives.h"
#include "platform/paths.h"
#include "ui/about_box.h"
#include "ui/browser_item_model.h"
#include "ui/desktop_service.h"
#include "ui/file_list_view.h"
#include "ui/help_window.h"
#include "ui/input_box_service.h"
#include "ui/item_icons.h"
#include "ui/list_font.h"
#include "ui/message_box_service.h"
#include "ui/qt_job_host.h"
#include "ui/resources.h"
#include "ui_main_form.h"

namespace vlt::ui {
namespace {

constexpr int kFirstPanelWidth = 150;
// How long a drive may take to tell its free space before it counts as not accessible.
constexpr std::chrono::seconds kDriveAnswerBound(3);

ScreenSize PrimaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {kDefaultWindowWidth, kDefaultWindowHeight};
    }
    return {screen->geometry().width(), screen->geometry().height()};
}

std::uint8_t ShowStateOf(const QWidget& window) {
    if (window.isMinimized()) {
        return wsMinimised;
    }
    return window.isMaximized() ? wsMaximised : wsNormal;
}

// The parent of a browser directory ("/home/ann/" gives "/home/"); the root stays.
std::string ParentDirectory(const std::string& directory) {
    if (directory.size() <= 1) {
        return directory;
    }
    return PathDirPart(directory.substr(0, directory.size() - 1));
}

QString FromBytes(const std::string& text) { return QString::fromStdString(text); }

} // namespace

TMainForm::TMainForm(const std::string& settingsPath, QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::TMainForm>()),
      settingsPath_(settingsPath.empty() ? SettingsFilePath() : settingsPath) {
    LoadResources();
    ui_->setupUi(this);
    FormCreate();
    CreateWindows();
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate() {
    (void)LoadProgramSettings(settings_, settingsPath_, PrimaryScreenSize());
    browser_ = std::make_unique<Browser>(static_cast<BrowserHost&>(*this), settings_, state_);
    ApplyPlacement();

    (void)GoodPix();
    itemModel_ = std::make_unique<BrowserItemModel>(browser_->Model());
    ui_->FileView->SetItemModel(itemModel_.get());
    SetUpStatusBar();
    SetUpFVPop();

    connect(ui_->EncryptButton, &QToolButton::clicked, this, &TMainForm::EncryptClick);
    connect(ui_->DecryptButton, &QToolButton::clicked, this, &TMainForm::DecryptClick);
    connect(ui_->WipeButton, &QToolButton::clicked, this, &TMainForm::WipeClick);
    connect(ui_->OptionsButton, &QToolButton::clicked, this, &TMainForm::OptionsClick);
    connect(ui_->ExitButton, &QToolButton::clicked, this, &TMainForm::ExitClick);
    connect(ui_->AboutButton, &QToolButton::clicked, this, &TMainForm::AboutClick);
    connect(ui_->HelpButton, &QToolButton::clicked, this, &TMainForm::HelpClick);
    connect(ui_->FileView, &FileListView::OpenRequested, this, &TMainForm::FileViewDblClick);
    connect(ui_->FileView, &FileListView::SelectionChanged, this, &TMainForm::FileViewChange);
    connect(ui_->FileView, &FileListView::ColumnClicked, this, &TMainForm::FileViewColumnClick);
    for (QToolButton* button : {ui_->EncryptButton, ui_->DecryptButton, ui_->WipeButton}) {
        button->setEnabled(false); // until something is selected
    }

    InstallHelpKey(this);
    state_.FirstPaintPending = true;
}

// The other windows exist for the whole run of the program, created once after the
// main window.
void TMainForm::CreateWindows() {
    aboutBox_ = new TAboutBox(this);
    CreateRunWindows();
    CreateFileCommandWindows();
}

void TMainForm::SetUpStatusBar() {
    statusPanel1_ = new QLabel(ui_->StatusBar);
    statusPanel1_->setObjectName(QStringLiteral("StatusPanel1"));
    statusPanel1_->setFixedWidth(kFirstPanelWidth);
    statusPanel2_ = new QLabel(ui_->StatusBar);
    statusPanel2_->setObjectName(QStringLiteral("StatusPanel2"));
    // A long path is cut at the window's edge; it never widens the window.
    statusPanel2_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QLabel* panel : {statusPanel1_, statusPanel2_}) {
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
    }
    ui_->StatusBar->addWidget(statusPanel1_);
    ui_->StatusBar->addWidget(statusPanel2_, 1);
}

void TMainForm::SetUpFVPop() {
    fvPop_ = new QMenu(this);
    fvPop_->setObjectName(QStringLiteral("FVPop"));
    fvPop_->setProperty("helpContext", 300);
    fvPop_->addAction(ui_->FVP_TextEdit);
    fvPop_->addAction(ui_->FVP_SetNewPath);
    // The shortcuts work wherever the focus is in the window, as the menu's did.
    addAction(ui_->FVP_TextEdit);
    addAction(ui_->FVP_SetNewPath);
    connect(ui_->FVP_TextEdit, &QAction::triggered, this, &TMainForm::FVP_TextEditClick);
    connect(ui_->FVP_SetNewPath, &QAction::triggered, this, &TMainForm::FVP_SetNewPathClick);
    fvPop_->installEventFilter(this);
    ui_->FileView->SetContextMenu(fvPop_);
}

void TMainForm::ApplyPlacement() {
    const WindowPlacement placement = RestoredPlacement(settings_, PrimaryScreenSize());
    setGeometry(placement.left, placement.top, placement.width, placement.height);
    if (placement.state == wsMaximised) {
        setWindowState(Qt::WindowMaximized);
    } else if (placement.state == wsMinimised) {
        setWindowState(Qt::WindowMinimized);
    }
}

FileListView& TMainForm::FileView() { return *ui_->FileView; }

QStatusBar& TMainForm::StatusBar() { return *ui_->StatusBar; }

QStatusBar& TMainForm::StatusBarX() { return *ui_->StatusBarX; }

bool TMainForm::ListPath(const std::string& path) { return browser_->ListDirectory(path); }

void TMainForm::RefreshListing() {
    const std::string path = browser_->BrowserPath().empty() ? settings_.GetCurrentPath() : browser_->BrowserPath();
    (void)ListPath(path);
}

// The first listing waits for the first paint, so the window is on the screen before
// a slow directory is read. It runs from the event loop: a paint event is no place
// for a message box.
void TMainForm::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (state_.FirstPaintPending && !firstListingPosted_) {
        firstListingPosted_ = true;
        QMetaObject::invokeMethod(this, &TMainForm::FormPaint, Qt::QueuedConnection);
    }
}

void TMainForm::FormPaint() {
    FirstListing(*browser_, settings_, state_, MessageBoxes());
    ui_->FileView->setFocus();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!CloseAllowed(state_)) {
        event->ignore();
        return;
    }
    ClosingWindow closing;
    closing.state = ShowStateOf(*this);
    const QRect normal = normalGeometry();
    closing.normalGeometry = {normal.x(), normal.y(), normal.width(), normal.height(), wsNormal};
    closing.columnWidths = ui_->FileView->ColumnWidths();
    (void)CloseDuties(*browser_, settings_, closing, settingsPath_);
    CloseHelp();
    event->accept();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == fvPop_ && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        const QAction* item = fvPop_->activeAction();
        const QVariant context = item != nullptr ? item->property("helpContext") : QVariant();
        fvPop_->close();
        ShowHelpContext(this, context.isValid() ? context.toInt() : HelpContextOf(fvPop_));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::ExitClick() { close(); }

void TMainForm::AboutClick() { aboutBox_->exec(); }

void TMainForm::HelpClick() { ShowHelpContents(this); }

// Only enables: the listing and the end of a run disable the buttons.
void TMainForm::FileViewChange() {
    const int row = ui_->FileView->FirstSelectedRow();
    if (row >= 0 && browser_->Model().Item(static_cast<std::size_t>(row)).name != "..") {
        for (QToolButton* button : {ui_->EncryptButton, ui_->DecryptButton, ui_->WipeButton}) {
            button->setEnabled(true);
        }
    }
}

void TMainForm::FileViewColumnClick(int column) { browser_->SortByColumn(column); }

// Double-click or Enter: a directory or ".." is listed, a drive listed at its mount
// point, a file opened by the desktop. The mask of the browser path goes along.
void TMainForm::FileViewDblClick() {
    const int row = ui_->FileView->FirstSelectedRow();
    if (row < 0) {
        return;
    }
    const BrowserItem item = browser_->Model().Item(static_cast<std::size_t>(row));
    const std::string directory = PathDirPart(browser_->BrowserPath());
    const std::string mask = PathNamePart(browser_->BrowserPath());
    if (item.kind == ikDirectory) {
        (void)ListPath(item.name == ".." ? ParentDirectory(directory) + mask : directory + item.name + "/" + mask);
    } else if (IsFileKind(item.kind)) {
        Desktop().OpenFile(directory + item.name);
    } else if (IsDriveKind(item.kind)) {
        OpenDrive(item, mask);
    }
}

void TMainForm::OpenDrive(const BrowserItem& drive, const std::string& mask) {
    const std::string& mountPoint = drive.name;
    if (!ReachableFreeSpace(mountPoint, kDriveAnswerBound)) {
        MessageBoxes().ShowMessage("System Error", "Drive " + mountPoint + " is not accessible!", MsgIcon::Error);
        return;
    }
    (void)ListPath(mountPoint == "/" ? "/" + mask : mountPoint + "/" + mask);
}

// The previous path is listed again when the new one cannot be entered; no message.
void TMainForm::FVP_SetNewPathClick() {
    std::string path = browser_->BrowserPath();
    if (!InputBoxes().InputQuery("Set new path", "Enter a new drive/path/wildcard:", path)) {
        return;
    }
    const std::string previous = browser_->BrowserPath();
    const QString trimmed = FromBytes(path).trimmed();
    if (!ListPath(trimmed.toStdString())) {
        (void)ListPath(previous);
    }
}

void TMainForm::FVP_TextEditClick() { RefreshListing(); }

// ---- BrowserHost ----

void TMainForm::ProcessMessages() { QCoreApplication::processEvents(); }

void TMainForm::BeginListing(const ListFont& font, const std::string& text) {
    QFont shown;
    if (ToQFont(font, shown)) {
        ui_->IdleInfo->setFont(shown);
    }
    ui_->IdleInfo->setText(FromBytes(text));
    for (QToolButton* button : {ui_->EncryptButton, ui_->DecryptButton, ui_->WipeButton}) {
        button->setEnabled(false);
    }
    // The listing lets messages run; a second listing must not start inside it.
    ui_->FVP_TextEdit->setEnabled(false);
    ui_->FVP_SetNewPath->setEnabled(false);
    if (!busyCursor_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        busyCursor_ = true;
    }
    ui_->FileView->hide();
}

void TMainForm::ShowIdleInfo(const std::string& text) {
    ui_->IdleInfo->setText(FromBytes(text));
    ui_->IdleInfo->repaint();
}

void TMainForm::SetListFont(const ListFont& font) {
    QFont shown;
    if (ToQFont(font, shown)) {
        ui_->FileView->SetListFont(shown, ToQColor(font.color, ui_->FileView->palette()));
    }
}

bool TMainForm::IsReportStyle() const { return ui_->FileView->IsReportStyle(); }

ColumnWidths TMainForm::ShownColumnWidths() const { return ui_->FileView->ColumnWidths(); }

void TMainForm::SetViewStyle(bool details, const ColumnWidths& widths) {
    if (details) {
        ui_->FileView->SetColumnWidths(widths);
    }
    ui_->FileView->SetReportStyle(details);
}

void TMainForm::EndListing() {
    ui_->FVP_TextEdit->setEnabled(true);
    ui_->FVP_SetNewPath->setEnabled(true);
    ui_->FileView->show();
    ui_->FileView->setFocus();
    if (busyCursor_) {
        QApplication::restoreOverrideCursor();
        busyCursor_ = false;
    }
}

void TMainForm::SetStatusPanels(const std::string& first, const std::string& second) {
    statusPanel1_->setText(FromBytes(first));
    statusPanel2_->setText(FromBytes(second));
    statusPanel2_->setToolTip(statusPanel2_->text()); // the whole text where the panel cuts it
}

// Scanner thread: the results are applied on the user-interface thread.
void TMainForm::ScanUpdatesPending() {
    QMetaObject::invokeMethod(this, [this] { browser_->DrainScanUpdates(); }, Qt::QueuedConnection);
}

} // namespace vlt::ui
