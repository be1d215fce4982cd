#pragma once
// TMainForm: the workbench window. A tool bar of seven buttons, the file browser
// (FileView over the core's browser model, with its context menu FVPop), the message
// log area that replaces the browser while a batch runs, and the status bars. The
// window draws what the core's listing asks of it (BrowserHost); listing, sorting,
// the scanner and the start-up/shutdown rules are the core's.
#include <QMainWindow>
#include <memory>
#include <string>

#include "batch/browser.h"
#include "batch/browser_host.h"
#include "batch/job_mode.h"
#include "batch/run_state.h"
#include "settings/settings_record.h"

class QLabel;
class QMenu;
class QStatusBar;

namespace Ui {
class TMainForm;
}

namespace vlt::ui {

class BrowserItemModel;
class QtJobHost;
class FileListView;
class TAboutBox;

class TMainForm final : public QMainWindow, private BrowserHost {
    Q_OBJECT
public:
    // FormCreate: settings loaded from `settingsPath` (SettingsFilePath() by default),
    // placement restored, GoodPix loaded, first listing pending; then the program's
    // other windows are created.
    explicit TMainForm(const std::string& settingsPath = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    // For the handlers of the batches and the file commands.
    [[nodiscard]] Browser& BrowserItems() { return *browser_; }
    [[nodiscard]] SettingsRecord& Settings() { return settings_; }
    [[nodiscard]] RunState& State() { return state_; }
    [[nodiscard]] const std::string& SettingsPath() const { return settingsPath_; }
    [[nodiscard]] Ui::TMainForm& Form() { return *ui_; }
    [[nodiscard]] FileListView& FileView();
    [[nodiscard]] QMenu& FVPop() { return *fvPop_; }
    [[nodiscard]] QStatusBar& StatusBar();
    [[nodiscard]] QStatusBar& StatusBarX();
    // Lists `path` (every navigation goes through here); false when its directory cannot be entered.
    bool ListPath(const std::string& path);
    // Lists the browser path again (Refresh, and after runs and commands that touched files).
    void RefreshListing();

    // ---- Batches: EncryptClick, DecryptClick and WipeClick live in the batch runner's
    // ---- source file (the action buttons are connected to them here).
public slots:
    void EncryptClick();
    void DecryptClick();
    void WipeClick();

public:
    // The run's host and its dialogs (the destination dialog serves the file commands too).
    [[nodiscard]] QtJobHost& JobHostOf();

private:
    void CreateRunWindows();
    void RunClick(JobMode mode);
    std::unique_ptr<QtJobHost> jobHost_;
    // ---- end of the batches' block

    // ---- Options, free-space clearing and the file manager commands of FVPop: their
    // ---- handlers live in main_form_file_commands.cpp (the Options button is connected
    // ---- to OptionsClick here; CreateWindows calls CreateFileCommandWindows).
public slots:
    void OptionsClick();

private:
    class FileCommandWindow;
    void CreateFileCommandWindows();
    FileCommandWindow* fileCommandWindow_ = nullptr; // a child of the window
    // ---- end of the options' and file commands' block

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void CreateWindows();
    void SetUpStatusBar();
    void SetUpFVPop();
    void ApplyPlacement();
    void FormPaint();

    void ExitClick();
    void AboutClick();
    void HelpClick();
    void FileViewDblClick();
    void FileViewChange();
    void FileViewColumnClick(int column);
    void FVP_SetNewPathClick();
    void FVP_TextEditClick();
    void OpenDrive(const BrowserItem& drive, const std::string& mask);

    // BrowserHost
    void ProcessMessages() override;
    void BeginListing(const ListFont& font, const std::string& text) override;
    void ShowIdleInfo(const std::string& text) override;
    void SetListFont(const ListFont& font) override;
    [[nodiscard]] bool IsReportStyle() const override;
    [[nodiscard]] ColumnWidths ShownColumnWidths() const override;
    void SetViewStyle(bool details, const ColumnWidths& widths) override;
    void EndListing() override;
    void SetStatusPanels(const std::string& first, const std::string& second) override;
    void ScanUpdatesPending() override;

    std::unique_ptr<Ui::TMainForm> ui_;
    std::string settingsPath_;
    SettingsRecord settings_{};
    RunState state_;
    std::unique_ptr<Browser> browser_;
    // After browser_: the adapter lets go of the core model before the model goes.
    std::unique_ptr<BrowserItemModel> itemModel_;
    QMenu* fvPop_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
    QLabel* statusPanel2_ = nullptr;
    TAboutBox* aboutBox_ = nullptr;
    bool busyCursor_ = false;
    bool firstListingPosted_ = false;
};

} // namespace vlt::ui
