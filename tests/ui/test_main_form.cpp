// The main window's start-up, browser and close duties, driven as a user would.
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

#include <algorithm>

#include "main_form_fixture.h"
#include "scripted_desktop.h"
#include "scripted_input_boxes.h"
#include "scripted_message_boxes.h"
#include "batch/browser_texts.h"
#include "ui/item_icons.h"

using vlt::testing::MainFormFixture;
using vlt::testing::ScriptedDesktop;
using vlt::testing::ScriptedInputBoxes;
using vlt::testing::ScriptedMessageBoxes;
using vlt::testing::WriteText;

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void ToolBarHasItsButtonsInThreeGroups();
    void FirstStartIsCentredOnTheHomeDirectory();
    void RemovedStoredPathIsReportedOnceThenHome();
    void HiddenFilesAreLeftOutWhenExcluded();
    void DirectoryWithoutMaskIsCompleted();
    void FailedNewPathListsThePreviousOneAgain();
    void ThreeClicksOnAColumnGivePlusMinusPlus();
    void ParentStaysFirstAfterASort();
    void SizeSortPutsNineHundredNinetyNineBeforeOneThousand();
    void MaskIsKeptAcrossDirectoryParentAndDrive();
    void EnterOnAFileOpensItAndStartsNoBatch();
    void UnreachableDriveIsReportedAndTheListStays();
    void NamesThatAreNotUtf8AreOpenedByTheirBytes();
    void SelectingParentLeavesTheActionButtonsOff();
    void ClosingWhileMaximisedKeepsTheLastNormalPlacement();
    void ClosingIsRefusedWhileTheLogIsShown();
    void ScannerResultsArriveAsRowChanges();
    void LongPathDoesNotWidenTheWindow();
};

void TestMainForm::ToolBarHasItsButtonsInThreeGroups() {
    MainFormFixture fixture;
    vlt::ui::TMainForm& form = fixture.Start();
    QCOMPARE(form.windowTitle(), QStringLiteral("Vaultane 95"));
    const struct {
        const char* name;
        const char* caption;
        const char* tip;
    } buttons[] = {
        {"EncryptButton", "&Encrypt", "Encrypt selected files"},   {"DecryptButton", "&Decrypt", "Decrypt selected files"},
        {"WipeButton", "&Wipe", "Wipe selected files"},            {"OptionsButton", "&Options", "Change program settings"},
        {"ExitButton", "E&xit", "Terminate application"},          {"AboutButton", "&About", "About this program"},
        {"HelpButton", "&Help", "Show help file"},
    };
    std::vector<int> lefts;
    for (const auto& entry : buttons) {
        QToolButton& button = fixture.Button(entry.name);
        QCOMPARE(button.text(), QString::fromLatin1(entry.caption));
        QCOMPARE(button.toolTip(), QString::fromLatin1(entry.tip));
        QCOMPARE(button.size(), QSize(70, 56));
        QCOMPARE(button.toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QVERIFY(!button.icon().isNull());
        lefts.push_back(button.x());
    }
    // Three groups: Encrypt Decrypt Wipe | Options Exit About | Help.
    const int step = lefts[1] - lefts[0];
    for (const std::size_t i : {1u, 2u, 4u, 5u}) {
        QCOMPARE(lefts[i] - lefts[i - 1], step);
    }
    QVERIFY(lefts[3] - lefts[2] > step);
    QVERIFY(lefts[6] - lefts[5] > step);

    const QAbstractItemModel& shown = *fixture.Report().model();
    QCOMPARE(shown.columnCount(), 6);
    const char* columns[] = {"Name", "Size", "Date", "Time", "Attr.", "State"};
    for (int column = 0; column < 6; ++column) {
        QCOMPARE(fixture.HeaderCaption(column), std::string(columns[column]));
    }
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("StatusPanel1"))->width(), 150);
    const QList<QAction*> items = form.FVPop().actions();
    QVERIFY(items.size() >= 2); // the file commands' items follow (test_file_commands)
    QCOMPARE(items[0]->objectName(), QStringLiteral("FVP_TextEdit"));
    QCOMPARE(items[0]->text(), QStringLiteral("&Refresh"));
    QCOMPARE(items[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+A")));
    QCOMPARE(items[1]->objectName(), QStringLiteral("FVP_SetNewPath"));
    QCOMPARE(items[1]->text(), QStringLiteral("Set new &path..."));
    QCOMPARE(items[1]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Y")));
    // Tab runs from the list through the enabled buttons in their order.
    QApplication::setActiveWindow(&form);
    QVERIFY(form.FileView().ReportView()->hasFocus());
    for (const char* name : {"OptionsButton", "ExitButton", "AboutButton", "HelpButton"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(name));
    }
    for (const char* name : {"FileView", "IdleInfo", "TerminalOutput", "TerminalScroller", "StatusBar", "StatusBarX"}) {
        QVERIFY2(form.findChild<QWidget*>(QLatin1String(name)) != nullptr, name);
    }
}

void TestMainForm::FirstStartIsCentredOnTheHomeDirectory() {
    MainFormFixture fixture;
    WriteText(fixture.Home() + "/letter.txt", "x");
    ScriptedMessageBoxes boxes;
    vlt::ui::TMainForm& form = fixture.Start();

    QCOMPARE(form.size(), QSize(620, 460));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(form.geometry().topLeft(), QPoint((screen.width() - 620) / 2, (screen.height() - 460) / 2));
    QCOMPARE(fixture.BrowserPath(), fixture.Home() + "/*.*");
    QVERIFY(fixture.RowOf("letter.txt") >= 0);
    QVERIFY(boxes.shown.empty());
    QVERIFY(form.FileView().isVisible());
    QVERIFY(fixture.StatusPanel(2).rfind(fixture.Home() + "/*.*", 0) == 0);
    QCOMPARE(fixture.StatusPanel(1), std::string("1 files (1 bytes)"));
}

void TestMainForm::RemovedStoredPathIsReportedOnceThenHome() {
    MainFormFixture fixture;
    vlt::SettingsRecord settings = MainFormFixture::Defaults();
    const std::string removed = fixture.Home() + "/gone/*.*";
    QVERIFY(settings.SetCurrentPath(removed));
    fixture.Store(settings);
    ScriptedMessageBoxes boxes;
    fixture.Start();

    QCOMPARE(boxes.shown.size(), std::size_t(1));
    QCOMPARE(boxes.shown[0].caption, std::string("VLT95 start error"));
    QCOMPARE(boxes.shown[0].text, "Can't change to " + removed + " !");
    QCOMPARE(boxes.shown[0].icon, vlt::MsgIcon::Exclamation);
    QCOMPARE(fixture.BrowserPath(), fixture.Home() + "/*.*");
}

void TestMainForm::HiddenFilesAreLeftOutWhenExcluded() {
    for (const std::uint32_t mask : {0x00u, 0x02u}) {
        MainFormFixture fixture;
        WriteText(fixture.Home() + "/.secret", "x");
        WriteText(fixture.Home() + "/plain", "x");
        vlt::SettingsRecord settings = MainFormFixture::Defaults();
        settings.ExcludeMask = mask;
        fixture.Store(settings);
        fixture.Start();
        QVERIFY(fixture.RowOf("plain") >= 0);
        QCOMPARE(fixture.RowOf(".secret") >= 0, mask == 0);
    }
}

void TestMainForm::DirectoryWithoutMaskIsCompleted() {
    MainFormFixture fixture;
    QVERIFY(::mkdir((fixture.Home() + "/data").c_str(), 0700) == 0);
    ScriptedInputBoxes input;
    fixture.Start();
    input.Type("  " + fixture.Home() + "/data  ");
    QTest::keyClick(&fixture.Form(), Qt::Key_Y, Qt::ControlModifier);

    QCOMPARE(input.asked.size(), std::size_t(1));
    QCOMPARE(input.asked[0].caption, std::string("Set new path"));
    QCOMPARE(input.asked[0].prompt, std::string("Enter a new drive/path/wildcard:"));
    QCOMPARE(input.asked[0].initial, fixture.Home() + "/*.*");
    QCOMPARE(fixture.BrowserPath(), fixture.Home() + "/data/*.*");
    QVERIFY(fixture.StatusPanel(2).rfind(fixture.Home() + "/data/*.*", 0) == 0);
}

void TestMainForm::FailedNewPathListsThePreviousOneAgain() {
    MainFormFixture fixture;
    ScriptedInputBoxes input;
    ScriptedMessageBoxes boxes;
    fixture.Start();
    input.Type(fixture.Home() + "/nowhere/*.txt");
    QTest::keyClick(&fixture.Form(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(fixture.BrowserPath(), fixture.Home() + "/*.*");
    QVERIFY(boxes.shown.empty());

    input.Cancel();
    QTest::keyClick(&fixture.Form(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(fixture.BrowserPath(), fixture.Home() + "/*.*");
}

void TestMainForm::ThreeClicksOnAColumnGivePlusMinusPlus() {
    MainFormFixture fixture;
    fixture.Start();
    QCOMPARE(fixture.HeaderCaption(0), std::string("Name"));
    for (const char* expected : {"Name+", "Name-", "Name+"}) {
        fixture.ClickColumn(0);
        QCOMPARE(fixture.HeaderCaption(0), std::string(expected));
    }
    fixture.ClickColumn(1);
    QCOMPARE(fixture.HeaderCaption(0), std::string("Name"));
    QCOMPARE(fixture.HeaderCaption(1), std::string("Size+"));
}

void TestMainForm::ParentStaysFirstAfterASort() {
    MainFormFixture fixture;
    for (const char* name : {"aaa", "zzz"}) {
        QVERIFY(::mkdir((fixture.Home() + "/" + name).c_str(), 0700) == 0);
    }
    fixture.Start();
    for (const int column : {0, 0, 2, 5}) {
        fixture.ClickColumn(column);
        QCOMPARE(fixture.Captions().front(), std::string(".."));
    }
}

void TestMainForm::SizeSortPutsNineHundredNinetyNineBeforeOneThousand() {
    MainFormFixture fixture;
    WriteText(fixture.Home() + "/a-thousand", std::string(1000, 'x'));
    WriteText(fixture.Home() + "/b-nine-nine-nine", std::string(999, 'x'));
    WriteText(fixture.Home() + "/c-two", "xx");
    fixture.Start();
    fixture.ClickColumn(1);
    const std::vector<std::string> sorted = fixture.Captions();
    const auto at = [&sorted](const char* name) { return std::find(sorted.begin(), sorted.end(), name) - sorted.begin(); };
    QVERIFY(at("c-two") < at("b-nine-nine-nine"));
    QVERIFY(at("b-nine-nine-nine") < at("a-thousand"));
    const QModelIndex size = fixture.Report().model()->index(static_cast<int>(at("a-thousand")), 1);
    QCOMPARE(size.data().toString(), QStringLiteral("1,000"));
    QCOMPARE(size.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, int(Qt::AlignRight));
}

void TestMainForm::MaskIsKeptAcrossDirectoryParentAndDrive() {
    MainFormFixture fixture;
    QVERIFY(::mkdir((fixture.Home() + "/data").c_str(), 0700) == 0);
    QVERIFY(::mkdir((fixture.Home() + "/data/old").c_str(), 0700) == 0);
    vlt::SettingsRecord settings = MainFormFixture::Defaults();
    QVERIFY(settings.SetCurrentPath(fixture.Home() + "/data/*.txt"));
    fixture.Store(settings);
    fixture.Start();

    fixture.Open("old");
    QCOMPARE(fixture.BrowserPath(), fixture.Home() + "/data/old/*.txt");
    fixture.Open("..");
    QCOMPARE(fixture.BrowserPath(), fixture.Home() + "/data/*.txt");
    fixture.OpenRow(fixture.RowOfDrive("/"), "the root drive");
    QCOMPARE(fixture.BrowserPath(), std::string("/*.txt"));
}

void TestMainForm::EnterOnAFileOpensItAndStartsNoBatch() {
    MainFormFixture fixture;
    WriteText(fixture.Home() + "/letter.txt", "x");
    ScriptedDesktop desktop;
    ScriptedMessageBoxes boxes;
    vlt::ui::TMainForm& form = fixture.Start();
    fixture.Open("letter.txt");

    QCOMPARE(desktop.opened, std::vector<std::string>{fixture.Home() + "/letter.txt"});
    QVERIFY(boxes.shown.empty());
    QVERIFY(!form.State().JobActive);
    QVERIFY(!form.State().TerminalActive);
    QVERIFY(form.FileView().isVisible());
    QCOMPARE(fixture.BrowserPath(), fixture.Home() + "/*.*");
}

void TestMainForm::NamesThatAreNotUtf8AreOpenedByTheirBytes() {
    MainFormFixture fixture;
    const std::string file = "caf\xe9.txt";
    const std::string directory = "r\xe9sum\xe9s";
    WriteText(fixture.Home() + "/" + file, "x");
    QVERIFY(::mkdir((fixture.Home() + "/" + directory).c_str(), 0700) == 0);
    ScriptedDesktop desktop;
    fixture.Start();

    fixture.Open(vlt::DisplayName(file));
    QCOMPARE(desktop.opened, std::vector<std::string>{fixture.Home() + "/" + file});
    fixture.Open(vlt::DisplayName(directory));
    QCOMPARE(fixture.BrowserPath(), fixture.Home() + "/" + directory + "/*.*");
}

void TestMainForm::UnreachableDriveIsReportedAndTheListStays() {
    MainFormFixture fixture;
    ScriptedMessageBoxes boxes;
    vlt::ui::TMainForm& form = fixture.Start();
    // A drive whose mount point has gone since the listing.
    vlt::BrowserItem gone;
    gone.name = "/media/gone";
    gone.caption = "(/media/gone) Floppy";
    gone.kind = vlt::ikFloppyDrive;
    form.BrowserItems().Model().ReplaceItems({gone});
    fixture.OpenRow(0, gone.caption);

    QCOMPARE(boxes.shown.size(), std::size_t(1));
    QCOMPARE(boxes.shown[0].caption, std::string("System Error"));
    QCOMPARE(boxes.shown[0].text, std::string("Drive /media/gone is not accessible!"));
    QCOMPARE(boxes.shown[0].icon, vlt::MsgIcon::Error);
    QCOMPARE(fixture.BrowserPath(), fixture.Home() + "/*.*");
    QCOMPARE(fixture.Captions(), std::vector<std::string>{gone.caption});
}

void TestMainForm::SelectingParentLeavesTheActionButtonsOff() {
    MainFormFixture fixture;
    WriteText(fixture.Home() + "/letter.txt", "x");
    fixture.Start();
    const char* buttons[] = {"EncryptButton", "DecryptButton", "WipeButton"};
    fixture.Select(fixture.RowOf(".."));
    for (const char* name : buttons) {
        QVERIFY(!fixture.Button(name).isEnabled());
    }
    fixture.Select(fixture.RowOf("letter.txt"));
    for (const char* name : buttons) {
        QVERIFY(fixture.Button(name).isEnabled());
    }
    // A new listing starts with them off again.
    QTest::keyClick(&fixture.Form(), Qt::Key_A, Qt::ControlModifier);
    for (const char* name : buttons) {
        QVERIFY(!fixture.Button(name).isEnabled());
    }
}

void TestMainForm::ClosingWhileMaximisedKeepsTheLastNormalPlacement() {
    MainFormFixture fixture;
    vlt::SettingsRecord settings = MainFormFixture::Defaults();
    settings.WindowLeft = 40;
    settings.WindowTop = 30;
    settings.WindowWidth = 600;
    settings.WindowHeight = 400;
    settings.WindowState = vlt::wsNormal;
    fixture.Store(settings);
    vlt::ui::TMainForm& form = fixture.Start();
    QCOMPARE(form.geometry(), QRect(40, 30, 600, 400));
    form.showMaximized();
    QTRY_VERIFY(form.isMaximized());
    fixture.Close();

    const vlt::SettingsRecord stored = fixture.Stored();
    QCOMPARE(int(stored.WindowState), int(vlt::wsMaximised));
    QCOMPARE(int(stored.WindowLeft), 40);
    QCOMPARE(int(stored.WindowTop), 30);
    QCOMPARE(int(stored.WindowWidth), 600);
    QCOMPARE(int(stored.WindowHeight), 400);

    // The next start is maximised again, over the same normal placement.
    vlt::ui::TMainForm& again = fixture.Start();
    QTRY_VERIFY(again.isMaximized());
    QCOMPARE(again.normalGeometry(), QRect(40, 30, 600, 400));
}

void TestMainForm::ClosingIsRefusedWhileTheLogIsShown() {
    MainFormFixture fixture;
    vlt::ui::TMainForm& form = fixture.Start();
    form.State().TerminalActive = true;
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QVERIFY(!vlt::testing::Exists(fixture.ConfigFile()));
    form.State().TerminalActive = false;
    QVERIFY(form.close());
    QVERIFY(vlt::testing::Exists(fixture.ConfigFile()));
}

void TestMainForm::ScannerResultsArriveAsRowChanges() {
    MainFormFixture fixture;
    for (const char* name : {"locked.dat", "plain.txt"}) {
        WriteText(fixture.Home() + "/" + name, "x");
    }
    vlt::SettingsRecord settings = MainFormFixture::Defaults();
    settings.FileViewSetting = 1; // always examine
    fixture.Store(settings);
    vlt::ui::TMainForm& form = fixture.Create();
    form.BrowserItems().SetFileExaminer([](const vlt::OpenDirectory&, const std::string& name) {
        const bool locked = name.find("locked") != std::string::npos;
        return vlt::CheckResult{locked ? vlt::ceEncrypted : vlt::ceNotEncrypted, 0x0800};
    });
    QSignalSpy changes(form.FileView().ReportView()->model(), &QAbstractItemModel::dataChanged);
    fixture.Start();
    QSignalSpy resets(form.FileView().ReportView()->model(), &QAbstractItemModel::modelReset);

    const QAbstractItemModel& shown = *form.FileView().ReportView()->model();
    const int locked = fixture.RowOf("locked.dat");
    const int plain = fixture.RowOf("plain.txt");
    QTRY_COMPARE(shown.index(locked, vlt::colState).data().toString(), QStringLiteral("Encrypted with VLT95"));
    QTRY_COMPARE(shown.index(plain, vlt::colState).data().toString(), QStringLiteral("Not encrypted"));
    const QIcon icon = shown.index(locked, vlt::colName).data(Qt::DecorationRole).value<QIcon>();
    QCOMPARE(icon.cacheKey(), vlt::ui::GoodPix()[vlt::ikEncrypted].cacheKey());
    QVERIFY(!changes.isEmpty());
    QCOMPARE(resets.count(), 0);
}

void TestMainForm::LongPathDoesNotWidenTheWindow() {
    MainFormFixture fixture;
    const std::string deep = fixture.Home() + "/" + std::string(200, 'd');
    QVERIFY(::mkdir(deep.c_str(), 0700) == 0);
    vlt::SettingsRecord settings = MainFormFixture::Defaults();
    QVERIFY(settings.SetCurrentPath(deep + "/*.*"));
    fixture.Store(settings);
    vlt::ui::TMainForm& form = fixture.Start();
    QCOMPARE(fixture.BrowserPath(), deep + "/*.*");
    QTest::qWait(100); // lets a resize the status text would cause reach the window
    QCOMPARE(form.width(), 620);
}

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
