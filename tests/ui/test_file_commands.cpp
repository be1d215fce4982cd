// The browser's file manager commands, the options item and free-space clearing,
// driven through the main window's menu items as a user would.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <sys/stat.h>

#include <deque>
#include <filesystem>

#include "common/scratch_mount.h"
#include "container/format.h"
#include "platform/file_peek.h"
#include "main_form_fixture.h"
#include "scripted_input_boxes.h"
#include "scripted_message_boxes.h"
#include "ui/dest_dialog.h"
#include "ui/disk_clearer.h"
#include "ui/font_dialog_service.h"
#include "ui/options_dialog.h"

using vlt::MsgAnswer;
using vlt::testing::ListNames;
using vlt::testing::MainFormFixture;
using vlt::testing::ScriptedInputBoxes;
using vlt::testing::ScriptedMessageBoxes;
using vlt::testing::WriteText;

namespace {

std::string Text(const std::string& path) {
    const auto bytes = vlt::testing::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Answers the copy and move commands' destination dialog: each time it is shown, the
// next text is typed and OK pressed; with no text left it is cancelled.
class DestinationAnswers : public QObject {
public:
    explicit DestinationAnswers(std::deque<std::string> texts) : texts_(std::move(texts)) {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] { AnswerShownDialog(); });
        timer_.start();
    }
    std::vector<QString> captions;

private:
    void AnswerShownDialog() {
        auto* dialog = qobject_cast<vlt::ui::TDestDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        captions.push_back(dialog->windowTitle());
        const auto button = [dialog](const char* name) { return dialog->findChild<QPushButton*>(name); };
        QCOMPARE(button("OKButton")->text(), QString("&OK"));
        QCOMPARE(button("CancelButton")->text(), QString("&Cancel"));
        if (texts_.empty()) {
            QTest::mouseClick(button("CancelButton"), Qt::LeftButton);
            return;
        }
        auto* input = dialog->findChild<QLineEdit*>("InputBox");
        input->setText(QString::fromStdString(texts_.front()));
        texts_.pop_front();
        QTest::mouseClick(button("OKButton"), Qt::LeftButton);
    }

    std::deque<std::string> texts_;
    QTimer timer_;
};

} // namespace

class TestFileCommands : public QObject {
    Q_OBJECT

private:
    MainFormFixture* fixture = nullptr;

    void Trigger(const char* item) {
        auto* action = fixture->Form().findChild<QAction*>(QLatin1String(item));
        QVERIFY2(action != nullptr, item);
        action->trigger();
    }
    // Selects exactly these entries, as Ctrl+clicks do.
    void SelectOnly(const std::vector<std::string>& captions) {
        QTreeView& view = fixture->Report();
        view.clearSelection();
        for (const std::string& caption : captions) {
            const int row = fixture->RowOf(caption);
            QVERIFY2(row >= 0, caption.c_str());
            const QRect rect = view.visualRect(view.model()->index(row, 0));
            QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, rect.center());
        }
    }
    std::vector<std::string> Selected() {
        std::vector<std::string> names;
        const vlt::BrowserModel& model = fixture->Form().BrowserItems().Model();
        for (std::size_t i = 0; i < model.Count(); ++i) {
            if (model.Item(i).selected) {
                names.push_back(model.Item(i).caption);
            }
        }
        return names;
    }
    std::string Dir(const std::string& name) { return fixture->Home() + "/" + name; }
    void ListHome() { QVERIFY(fixture->Form().ListPath(fixture->Home() + "/*.*")); }

private slots:
    void init() { fixture = new MainFormFixture; }
    void cleanup() {
        delete fixture;
        fixture = nullptr;
    }

    void MenuHoldsTheItemsInTheirOrder() {
        fixture->Start();
        QStringList shown;
        for (const QAction* item : fixture->Form().FVPop().actions()) {
            shown << (item->isSeparator() ? QString("-") : item->text());
        }
        QCOMPARE(shown, (QStringList{"&Refresh", "Set new &path...", "-", "&Options...", "-", "&Select...", "-",
                                     "&Copy", "&Move", "Dele&te", "Re&name", "C&reate Directory", "-",
                                     "Clear empty dis&k space"}));
        auto* del = fixture->Form().findChild<QAction*>("FVP_Delete");
        QCOMPARE(del->shortcut(), QKeySequence(Qt::Key_Delete));
    }

    void CopyRefusesTheListedDirectoryTypedInAnotherCaseThenCopies() {
        std::filesystem::create_directories(Dir("data"));
        // On a file system that tells case apart, the dialog accepts only a directory
        // that exists: here a twin differing in case.
        std::filesystem::create_directories(Dir("DATA"));
        std::filesystem::create_directories(Dir("target"));
        WriteText(Dir("data/one.txt"), "one");
        WriteText(Dir("data/two.txt"), "two");
        fixture->Start();
        QVERIFY(fixture->Form().ListPath(Dir("data") + "/*.*"));
        SelectOnly({"one.txt", "two.txt"});
        ScriptedMessageBoxes boxes;
        DestinationAnswers answers({Dir("DATA"), Dir("data/../data"), Dir("target")});
        Trigger("FVP_Copy");
        QCOMPARE(boxes.shown.size(), std::size_t(2));
        for (const auto& shown : boxes.shown) {
            QCOMPARE(shown.caption, std::string("Illegal Input"));
            QCOMPARE(shown.text, std::string("Source and destination path are equal!"));
        }
        QCOMPARE(answers.captions.size(), std::size_t(3));
        QCOMPARE(answers.captions[0], QString("Copy request for 2 file(s)"));
        QCOMPARE(Text(Dir("target/one.txt")), std::string("one"));
        QCOMPARE(Text(Dir("target/two.txt")), std::string("two"));
        QVERIFY(ListNames(Dir("DATA")).empty());
        QCOMPARE(fixture->Form().Settings().GetLastDestination(), Dir("target") + "/");
        QVERIFY(fixture->StatusPanel(2).rfind(Dir("data") + "/*.*  (Free Disk Space: ", 0) == 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void OverwriteAnsweredNoSkipsAndCancelEnds() {
        std::filesystem::create_directories(Dir("target"));
        for (const char* name : {"a", "b", "c"}) {
            WriteText(Dir(name), std::string("new ") + name);
        }
        WriteText(Dir("target/a"), "old a");
        WriteText(Dir("target/b"), "old b");
        fixture->Start();
        SelectOnly({"a", "b", "c"});
        ScriptedMessageBoxes boxes;
        boxes.Answer(MsgAnswer::No);
        boxes.Answer(MsgAnswer::Cancel);
        DestinationAnswers answers({Dir("target")});
        Trigger("FVP_Copy");
        QCOMPARE(boxes.shown.size(), std::size_t(2));
        QCOMPARE(boxes.shown[0].caption, std::string("Warning..."));
        QCOMPARE(boxes.shown[0].text, Dir("target") + "/a already exists!\r\nOverwrite it?");
        QVERIFY(boxes.shown[0].buttons == vlt::MsgButtons::YesNoCancel);
        QCOMPARE(Text(Dir("target/a")), std::string("old a"));
        QCOMPARE(Text(Dir("target/b")), std::string("old b"));
        QCOMPARE(ListNames(Dir("target")), (std::vector<std::string>{"a", "b"}));
    }

    void MoveReplacesAnExistingTargetOnYes() {
        std::filesystem::create_directories(Dir("target"));
        WriteText(Dir("a"), "new a");
        WriteText(Dir("target/a"), "old a");
        fixture->Start();
        SelectOnly({"a"});
        ScriptedMessageBoxes boxes;
        boxes.Answer(MsgAnswer::Yes);
        DestinationAnswers answers({Dir("target")});
        Trigger("FVP_Move");
        QCOMPARE(answers.captions.at(0), QString("Move request for 1 file(s)"));
        QCOMPARE(Text(Dir("target/a")), std::string("new a"));
        QVERIFY(!vlt::testing::Exists(Dir("a")));
        QCOMPARE(fixture->RowOf("a"), -1); // the list was rebuilt
    }

    void DeleteCountsTheParentOutAndReportsANonEmptyDirectory() {
        std::filesystem::create_directories(Dir("sub/full"));
        WriteText(Dir("sub/full/inside"), "x");
        WriteText(Dir("sub/readonly"), "x");
        chmod(Dir("sub/readonly").c_str(), 0444);
        fixture->Start();
        QVERIFY(fixture->Form().ListPath(Dir("sub") + "/*.*"));
        // Read-only files are listed when the mask lets them in.
        fixture->Form().Settings().ExcludeMask = 0;
        QVERIFY(fixture->Form().ListPath(Dir("sub") + "/*.*"));
        SelectOnly({"..", "readonly"});
        ScriptedMessageBoxes boxes;
        boxes.Answer(MsgAnswer::Yes);
        Trigger("FVP_Delete");
        QCOMPARE(boxes.shown.size(), std::size_t(1)); // no question for the read-only file
        QCOMPARE(boxes.shown[0].caption, std::string("Confirm"));
        QCOMPARE(boxes.shown[0].text, std::string("1 item(s) will be deleted.\r\nDo you want to continue?"));
        QVERIFY(!vlt::testing::Exists(Dir("sub/readonly")));

        SelectOnly({"full"});
        boxes.Answer(MsgAnswer::Yes);
        Trigger("FVP_Delete");
        QCOMPARE(boxes.shown.size(), std::size_t(3));
        QCOMPARE(boxes.shown[2].caption, std::string("Attention"));
        QCOMPARE(boxes.shown[2].text,
                 Dir("sub/full") + " contains still some files and/or\r\nsubdirectories and can't be deleted!");
        QVERIFY(boxes.shown[2].icon == vlt::MsgIcon::Exclamation);
        QVERIFY(vlt::testing::Exists(Dir("sub/full/inside")));
        QVERIFY(fixture->RowOf("full") >= 0);
    }

    void ContainingTxtSelectsFilesOnly() {
        std::filesystem::create_directories(Dir("txt"));
        std::filesystem::create_directories(Dir("old.TXT"));
        WriteText(Dir("a.txt"), "x");
        WriteText(Dir("B.Txt"), "x");
        WriteText(Dir("c.doc"), "x");
        fixture->Start();
        ScriptedInputBoxes inputs;
        inputs.Type("txt");
        Trigger("FVP_SelectContStr");
        QCOMPARE(inputs.asked.at(0).caption, std::string("Select filenames containing string"));
        QCOMPARE(inputs.asked.at(0).prompt, std::string("Enter the search string"));
        std::vector<std::string> selected = Selected();
        std::sort(selected.begin(), selected.end());
        QCOMPARE(selected, (std::vector<std::string>{"B.Txt", "a.txt"}));
        QCOMPARE(fixture->Report().selectionModel()->selectedRows().size(), 2);
        QVERIFY(fixture->Button("EncryptButton").isEnabled());

        inputs.Cancel();
        Trigger("FVP_SelectContStr");
        QCOMPARE(Selected().size(), std::size_t(2)); // the selection stays
        QVERIFY(!fixture->Button("EncryptButton").isEnabled());
    }

    void AllEncryptedSkipsTheOtherGeneration() {
        for (const char* name : {"current", "older", "plain"}) {
            WriteText(Dir(name), name);
        }
        vlt::SettingsRecord settings = MainFormFixture::Defaults();
        settings.FileViewSetting = 1; // examine always
        QVERIFY(settings.SetCurrentPath(fixture->Home() + "/*.*"));
        fixture->Store(settings);
        vlt::ui::TMainForm& form = fixture->Start();
        form.BrowserItems().SetFileExaminer([](const vlt::OpenDirectory&, const std::string& name) {
            if (name == "plain") {
                return vlt::CheckResult{vlt::ceNotEncrypted, 0};
            }
            return vlt::CheckResult{vlt::ceEncrypted,
                                    name == "current" ? vlt::kGenerationWordVlt95 : vlt::kGenerationWordVlt7};
        });
        ListHome();
        QVERIFY(QTest::qWaitFor([&] {
            const auto& model = form.BrowserItems().Model();
            return model.Item(static_cast<std::size_t>(fixture->RowOf("older"))).kind == vlt::ikEncryptedOther;
        }));
        Trigger("FVP_SelectAllEnc");
        QCOMPARE(Selected(), (std::vector<std::string>{"current"}));
        Trigger("FVP_SelectAllDec");
        QCOMPARE(Selected(), (std::vector<std::string>{"plain"}));
        Trigger("FVP_SelectAllFilesAndDir");
        QCOMPARE(Selected().size(), std::size_t(3)); // ".." never
    }

    void RenameWithADirectoryPartMovesTheFileAndKeepsItsPlace() {
        std::filesystem::create_directories(Dir("sub"));
        for (const char* name : {"a", "b", "c"}) {
            WriteText(Dir(name), name);
        }
        fixture->Start();
        const int row = fixture->RowOf("b");
        SelectOnly({"b"});
        ScriptedInputBoxes inputs;
        inputs.Type("sub/zz");
        Trigger("FVP_Rename");
        QCOMPARE(inputs.asked.at(0).caption, std::string("Rename"));
        QCOMPARE(inputs.asked.at(0).initial, std::string("b"));
        QCOMPARE(Text(Dir("sub/zz")), std::string("b"));
        QVERIFY(!vlt::testing::Exists(Dir("b")));
        QCOMPARE(fixture->RowOf("zz"), row);
        QCOMPARE(fixture->RowOf("c"), row + 1);
    }

    void CreateDirectoryListsItOrNamesThePath() {
        fixture->Start();
        ScriptedInputBoxes inputs;
        inputs.Type("fresh");
        Trigger("FVP_CreateDirectory");
        QVERIFY(std::filesystem::is_directory(Dir("fresh")));
        QVERIFY(fixture->RowOf("fresh") >= 0);
        ScriptedMessageBoxes boxes;
        inputs.Type("fresh");
        Trigger("FVP_CreateDirectory");
        QCOMPARE(boxes.shown.at(0).caption, std::string("Invalid Pathname"));
        QCOMPARE(boxes.shown.at(0).text, "\"" + Dir("fresh") + "\" couldn't be created!");
    }

    void OptionsItemOpensOnTheBrowserPageAndRebuildsTheListAfterAViewChange() {
        WriteText(Dir(".hidden"), "x");
        vlt::ui::TMainForm& form = fixture->Start();
        QCOMPARE(fixture->RowOf(".hidden"), -1);
        auto* dialog = form.findChild<vlt::ui::TOptionsDialog*>("OptionsDialog");
        QVERIFY(dialog != nullptr);
        QString page;
        QTimer::singleShot(0, dialog, [&] {
            page = dialog->findChild<QTabWidget*>("OptsSheets")->currentWidget()->objectName();
            auto* hidden = dialog->findChild<QCheckBox*>("ExclHiddenSwitch");
            QTest::mouseClick(hidden, Qt::LeftButton, {}, QPoint(6, hidden->height() / 2));
            QTest::mouseClick(dialog->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        });
        Trigger("FVP_Options");
        QCOMPARE(page, QString("BrowserSheet"));
        QVERIFY(fixture->RowOf(".hidden") >= 0);
    }

    void AFontChangeKeepsTheEntriesAndTakesTheFont() {
        WriteText(Dir("a"), "x");
        vlt::ui::TMainForm& form = fixture->Start();
        struct Fonts : vlt::ui::FontDialogService {
            bool ChooseFont(QWidget*, QFont& font, QColor& colour) override {
                font = QFont(QStringLiteral("Serif"), 15);
                colour = QColor(0, 0, 255);
                return true;
            }
        } fonts;
        vlt::ui::SetFontDialogs(&fonts);
        auto* dialog = form.findChild<vlt::ui::TOptionsDialog*>("OptionsDialog");
        int resets = 0;
        connect(fixture->Report().model(), &QAbstractItemModel::modelReset, this, [&] { ++resets; });
        QTimer::singleShot(0, dialog, [&] {
            QTest::mouseClick(dialog->findChild<QPushButton*>("FontButton"), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        });
        form.OptionsClick();
        vlt::ui::SetFontDialogs(nullptr);
        QCOMPARE(int(form.Settings().FontChanged), 1);
        QCOMPARE(int(form.Settings().ViewChanged), 0);
        QCOMPARE(resets, 0); // not listed again
        QVERIFY(fixture->RowOf("a") >= 0);
        QCOMPARE(fixture->Report().font().pointSize(), 15);
    }

    void ClearEmptyDiskSpaceRunsForTheListedDirectory() {
        vlt::testing::ScratchMount disk(2U << 20);
        if (!disk.Mounted()) {
            QSKIP("no right to mount a small file system");
        }
        vlt::ui::TMainForm& form = fixture->Start();
        QVERIFY(form.ListPath(disk.Path() + "/*.*"));
        Trigger("FVP_CEDS");
        auto* clearer = form.findChild<vlt::ui::TDiskClearer*>("DiskClearer");
        QVERIFY(clearer == nullptr); // a window of its own
        vlt::ui::TDiskClearer* window = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == "DiskClearer") {
                window = qobject_cast<vlt::ui::TDiskClearer*>(top);
            }
        }
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QString("Done - click [Cancel] to finish"));
        QVERIFY(!form.isEnabled());
        QTest::mouseClick(window->findChild<QPushButton*>("StopButton"), Qt::LeftButton);
        QVERIFY(form.isEnabled());
        QVERIFY(ListNames(disk.Path()).empty());
    }
};

QTEST_MAIN(TestFileCommands)
#include "test_file_commands.moc"
