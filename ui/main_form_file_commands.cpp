// The main window's options, free-space clearing and file manager commands: the FVPop
// items, the options dialog after which the list takes a new font or is rebuilt, the
// clearing window, and the browser as the core's file commands see it.
#include <QAction>
#include <QApplication>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QTreeView>
#include <memory>

#include "batch/browser_texts.h"
#include "batch/file_commands.h"
#include "platform/paths.h"
#include "ui/dest_dialog.h"
#include "ui/disk_clearer.h"
#include "ui/file_list_view.h"
#include "ui/input_box_service.h"
#include "ui/main_form.h"
#include "ui/message_box_service.h"
#include "ui/options_dialog.h"
#include "ui/qt_job_host.h"
#include "ui_main_form.h"

namespace vlt::ui {

// The windows of these commands, and the browser as the core's file commands use it.
class TMainForm::FileCommandWindow final : public QObject, public FileCommandHost {
public:
    explicit FileCommandWindow(TMainForm& form)
        : QObject(&form), form_(form), optionsDialog_(new TOptionsDialog(form.settings_, &form)),
          destDialog_(&form.JobHostOf().DestDialog()), diskClearer_(std::make_unique<TDiskClearer>(&form)),
          commands_(form.settings_, *this) {
        optionsDialog_->setObjectName(QStringLiteral("OptionsDialog"));
        diskClearer_->setObjectName(QStringLiteral("DiskClearer"));
    }

    FileCommands& Commands() { return commands_; }
    TDiskClearer& DiskClearer() { return *diskClearer_; }

    // OptionsClick: a font change reaches the list as it is; a change of what the list
    // shows rebuilds it.
    void ShowOptions() {
        optionsDialog_->exec();
        const SettingsRecord& settings = form_.settings_;
        if (settings.FontChanged) {
            form_.SetListFont({settings.GetFontName(), settings.FontSize, settings.FontStyle, settings.FontColor});
        }
        if (settings.ViewChanged) {
            form_.RefreshListing();
        }
    }
    void ShowOptionsOnBrowserPage() {
        optionsDialog_->TurnToBrowserPage();
        ShowOptions();
    }

    // FileCommandHost
    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgIcon icon,
                         MsgButtons buttons) override {
        // A question waits for the user: the arrow, not the hourglass.
        if (waiting_) {
            QApplication::restoreOverrideCursor();
        }
        const MsgAnswer answer = MessageBoxes().MessageBox(caption, text, icon, buttons);
        if (waiting_) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        return answer;
    }
    std::size_t EntryCount() override { return Model().Count(); }
    std::string EntryName(std::size_t index) override { return Model().Item(index).name; }
    ItemKind EntryKind(std::size_t index) override { return Model().Item(index).kind; }
    bool EntrySelected(std::size_t index) override { return Model().Item(index).selected; }
    void SetSelection(const std::vector<bool>& selected) override {
        QItemSelectionModel& selection = *form_.FileView().ReportView()->selectionModel();
        const QAbstractItemModel& rows = *selection.model();
        QItemSelection wanted;
        for (std::size_t first = 0; first < selected.size(); ++first) {
            if (!selected[first]) {
                continue;
            }
            std::size_t last = first;
            while (last + 1 < selected.size() && selected[last + 1]) {
                ++last;
            }
            wanted.select(rows.index(static_cast<int>(first), 0),
                          rows.index(static_cast<int>(last), rows.columnCount() - 1));
            first = last;
        }
        selection.select(wanted, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        form_.FileViewChange(); // also when the selection was already this one
    }
    // The entry keeps its place: the items are put back in their order with the one
    // name changed. The scanner, which reads the items, is stopped first.
    void SetEntryName(std::size_t index, const std::string& name) override {
        (void)form_.BrowserItems().StopScanner();
        std::vector<BrowserItem> items;
        std::vector<bool> selected;
        for (std::size_t i = 0; i < Model().Count(); ++i) {
            items.push_back(Model().Item(i));
            selected.push_back(items.back().selected);
        }
        items[index].name = name;
        items[index].caption = DisplayName(name);
        Model().ReplaceItems(std::move(items));
        SetSelection(selected);
    }
    void SetActionButtonsEnabled(bool enabled) override {
        for (QToolButton* button : {form_.ui_->EncryptButton, form_.ui_->DecryptButton, form_.ui_->WipeButton}) {
            button->setEnabled(enabled);
        }
    }
    bool InputQuery(const std::string& title, const std::string& prompt, std::string& text) override {
        return InputBoxes().InputQuery(title, prompt, text);
    }
    std::string AskCopyDestination(const std::string& caption, const std::string& path) override {
        destDialog_->setWindowTitle(QString::fromStdString(caption));
        destDialog_->SetDestination(QString::fromStdString(path));
        destDialog_->SimpleRequest(true);
        destDialog_->exec();
        destDialog_->SimpleRequest(false);
        return destDialog_->Destination().toStdString();
    }
    void ShowStatus(const std::string& text) override {
        form_.statusPanel2_->setText(QString::fromStdString(text));
        form_.statusPanel2_->repaint();
    }
    void SetWaitCursor(bool waiting) override {
        if (waiting && !waiting_) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else if (!waiting && waiting_) {
            QApplication::restoreOverrideCursor();
        }
        waiting_ = waiting;
    }
    std::string ListedPath() override { return form_.BrowserItems().BrowserPath(); }
    bool ListDirectory(const std::string& path) override { return form_.ListPath(path); }

private:
    BrowserModel& Model() { return form_.BrowserItems().Model(); }

    TMainForm& form_;
    TOptionsDialog* optionsDialog_;
    TDestDialog* destDialog_; // the runs' one destination dialog, in its other layout
    std::unique_ptr<TDiskClearer> diskClearer_; // a window of its own, not a child
    FileCommands commands_;
    bool waiting_ = false;
};

namespace {

struct MenuItem {
    const char* name;
    const char* caption;
    QKeySequence shortcut;
    int help; // 0: none
};

} // namespace

void TMainForm::CreateFileCommandWindows() {
    fileCommandWindow_ = new FileCommandWindow(*this);
    FileCommandWindow& window = *fileCommandWindow_;
    FileCommands& commands = window.Commands();
    QMenu& menu = FVPop();
    // Each item works by its shortcut wherever the focus is in the window, as in the menu.
    const auto add = [this](QMenu& to, const MenuItem& item, auto handler) {
        auto* action = new QAction(QString::fromUtf8(item.caption), this);
        action->setObjectName(QString::fromLatin1(item.name));
        action->setShortcut(item.shortcut);
        if (item.help != 0) {
            action->setProperty("helpContext", item.help);
        }
        to.addAction(action);
        addAction(action);
        connect(action, &QAction::triggered, this, handler);
    };
    menu.addSeparator();
    add(menu, {"FVP_Options", "&Options...", QKeySequence(Qt::CTRL | Qt::Key_O), 301},
        [&window] { window.ShowOptionsOnBrowserPage(); });
    menu.addSeparator();
    QMenu* select = menu.addMenu(QStringLiteral("&Select..."));
    select->setObjectName(QStringLiteral("Select1"));
    select->menuAction()->setObjectName(QStringLiteral("Select1"));
    select->menuAction()->setProperty("helpContext", 301);
    add(*select, {"FVP_SelectAll", "&All files", QKeySequence(Qt::CTRL | Qt::Key_S), 301},
        [&commands] { commands.SelectAllFiles(); });
    add(*select, {"FVP_SelectAllDir", "A&ll directories", QKeySequence(Qt::CTRL | Qt::Key_F), 0},
        [&commands] { commands.SelectAllDirectories(); });
    add(*select, {"FVP_SelectAllFilesAndDir", "All files a&nd directories", QKeySequence(Qt::CTRL | Qt::Key_G), 0},
        [&commands] { commands.SelectAllFilesAndDirectories(); });
    select->addSeparator();
    add(*select, {"FVP_SelectAllDec", "All &decrypted files", QKeySequence(Qt::CTRL | Qt::Key_T), 301},
        [&commands] { commands.SelectAllDecrypted(); });
    add(*select, {"FVP_SelectAllEnc", "All &encrypted files", QKeySequence(Qt::CTRL | Qt::Key_U), 301},
        [&commands] { commands.SelectAllEncrypted(); });
    select->addSeparator();
    add(*select, {"FVP_SelectContStr", "Filenames &containing string...", QKeySequence(Qt::CTRL | Qt::Key_I), 301},
        [&commands] { commands.SelectContainingString(); });
    menu.addSeparator();
    add(menu, {"FVP_Copy", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C), 301}, [&commands] { commands.CopySelected(); });
    add(menu, {"FVP_Move", "&Move", QKeySequence(Qt::CTRL | Qt::Key_M), 301}, [&commands] { commands.MoveSelected(); });
    add(menu, {"FVP_Delete", "Dele&te", QKeySequence(Qt::Key_Delete), 301}, [&commands] { commands.DeleteSelected(); });
    add(menu, {"FVP_Rename", "Re&name", QKeySequence(Qt::CTRL | Qt::Key_R), 0},
        [&commands] { commands.RenameSelected(); });
    add(menu, {"FVP_CreateDirectory", "C&reate Directory", QKeySequence(Qt::CTRL | Qt::Key_D), 301},
        [&commands] { commands.CreateDirectory(); });
    menu.addSeparator();
    add(menu, {"FVP_CEDS", "Clear empty dis&k space", QKeySequence(Qt::CTRL | Qt::Key_Z), 301}, [this, &window] {
        window.DiskClearer().ClearFreeSpace(PathDirPart(BrowserItems().BrowserPath()));
    });
}

void TMainForm::OptionsClick() { fileCommandWindow_->ShowOptions(); }

} // namespace vlt::ui
