// The main window's start-up, browser and close duties, driven as a user would.
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <sys/stat.h>

#include <algorithm>

#include "main_form_fixture.h"
#include "scripted_desktop.h"
#include "scripted_input_boxes.h"
#include "scripted_message_boxes.h"

using vlt::testing::MainFormFixture;
using vlt::testing::ScriptedDesktop;
using vlt::testing::ScriptedInputBoxes;
using vlt::testing::ScriptedMessageBoxes;
using vlt::testing::WriteText;

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
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
    void SelectingParentLeavesTheActionButtonsOff();
    void ClosingWhileMaximisedKeepsTheLastNormalPlacement();
    void ClosingIsRefusedWhileTheLogIsShown();
};

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
    fixture.Open("(/) Local disk");
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

QTEST_MAIN(TestMainForm)
#include "test_main_form.moc"
