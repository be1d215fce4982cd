// The done dialog: counts with thousands separators, only OK (and Enter, Escape)
// closes it, and "&Save messages" with its file dialog and its two failure messages.
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "batch/message_log.h"
#include "scripted_file_dialogs.h"
#include "scripted_message_boxes.h"
#include "ui/done_dialog.h"

using namespace vlt;
using namespace vlt::ui;
using vlt::testing::ScriptedFileDialogs;
using vlt::testing::ScriptedMessageBoxes;

namespace {

class HiddenView : public LogView {
public:
    std::int32_t LogRows() const override { return 0; }
    void LogShow(bool) override {}
    void LogPaint(MessageLog&) override {}
};

} // namespace

class DoneDialogTest : public QObject {
    Q_OBJECT

private:
    RunState state;
    HiddenView view;
    std::unique_ptr<MessageLog> log;
    std::unique_ptr<TDoneDialog> dialog;
    std::unique_ptr<ScriptedMessageBoxes> boxes;
    std::unique_ptr<ScriptedFileDialogs> files;
    QTemporaryDir temp;

    template <typename T = QWidget> T* Find(const char* name) {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            qFatal("no control %s", name);
        }
        return widget;
    }
    QString Text(const char* label) { return Find<QLabel>(label)->text(); }
    void Show(std::int64_t tried = 3, std::int64_t success = 3, std::int64_t errors = 0) {
        dialog->SetSummary(jmEncrypt, tried, success, errors, log.get());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QVERIFY(dialog->Shown());
    }
    void Save() { QTest::mouseClick(Find<QPushButton>("SaveMessButton"), Qt::LeftButton); }

private slots:
    void init() {
        boxes = std::make_unique<ScriptedMessageBoxes>();
        files = std::make_unique<ScriptedFileDialogs>();
        log = std::make_unique<MessageLog>(state, view);
        log->LogStart();
        dialog = std::make_unique<TDoneDialog>();
    }
    void cleanup() {
        dialog.reset();
        log->LogEnd();
        files.reset();
        boxes.reset();
    }

    void countsAndCaptions() {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Done"));
        QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        dialog->SetSummary(jmWipe, 1234, 1000000, 0, log.get());
        QCOMPARE(Text("Info1"), QStringLiteral("Files tried:"));
        QCOMPARE(Text("Info2"), QStringLiteral("Files wiped successfully:"));
        QCOMPARE(Text("Info3"), QStringLiteral("Errors:"));
        QCOMPARE(Text("InfoTried"), QStringLiteral("1,234"));
        QCOMPARE(Text("InfoSuccess"), QStringLiteral("1,000,000"));
        QCOMPARE(Text("InfoErrors"), QStringLiteral("0"));
        QVERIFY(Find<QLabel>("InfoTried")->alignment() & Qt::AlignRight);
    }

    void onlyOkEnterAndEscapeClose() {
        Show();
        dialog->close(); // the frame's close box
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->Shown());
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!dialog->Shown());

        Show();
        QTest::keyClick(Find<QPushButton>("OKButton"), Qt::Key_Return);
        QVERIFY(!dialog->Shown());

        Show();
        QTest::mouseClick(Find<QPushButton>("OKButton"), Qt::LeftButton);
        QVERIFY(!dialog->Shown());
    }

    void savesTheLogWithCrLf() {
        log->LogLine("Searching for single selected files...");
        log->LogLine("No files found.");
        log->LogLine("  third");
        log->LogAppend("being built");
        Show();
        files->nextName = temp.filePath("log.txt");
        Save();
        QCOMPARE(files->askedCaption, QStringLiteral("Save messages"));
        QCOMPARE(files->askedFilters, (QStringList{"Text files (*.txt)", "All files (*.*)"}));
        QFile saved(temp.filePath("log.txt"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("Searching for single selected files...\r\nNo files found.\r\n  third\r\n"));
        QVERIFY(dialog->isVisible()); // save again or press OK

        files->nextName.clear(); // cancelled: nothing happens
        Save();
        QVERIFY(boxes->shown.empty());
        QTest::mouseClick(Find<QPushButton>("OKButton"), Qt::LeftButton);
    }

    void theTwoSavingFailedMessages() {
        log->LogLine("line");
        Show();
        const std::string missing = temp.filePath("no/such/dir/log.txt").toStdString();
        files->nextName = QString::fromStdString(missing);
        Save();
        QCOMPARE(boxes->shown.size(), std::size_t{1});
        QCOMPARE(boxes->shown[0].caption, std::string("Saving failed"));
        QCOMPARE(boxes->shown[0].text, "Can't open " + missing + " !");
        QCOMPARE(boxes->shown[0].icon, MsgIcon::Exclamation);

        files->nextName = "/dev/full";
        Save();
        QCOMPARE(boxes->shown.back().text, std::string("I/O error while writing to /dev/full !"));
        QVERIFY(dialog->isVisible());
        QTest::mouseClick(Find<QPushButton>("OKButton"), Qt::LeftButton);
    }
};

QTEST_MAIN(DoneDialogTest)
#include "test_done_dialog.moc"
