// The destination dialog and its directory browser: validation with its message, the
// close permission, the two button layouts, and browsing.
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include "scripted_message_boxes.h"
#include "ui/dest_dialog.h"
#include "ui/dir_browser.h"

using namespace vlt;
using namespace vlt::ui;
using vlt::testing::ScriptedMessageBoxes;

class DestDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TDestDialog> dialog;
    std::unique_ptr<ScriptedMessageBoxes> boxes;
    QTemporaryDir temp;

    template <typename T = QWidget> T* Find(QWidget* in, const char* name) {
        T* widget = in->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            qFatal("no control %s", name);
        }
        return widget;
    }
    QPushButton* Button(const char* name) { return Find<QPushButton>(dialog.get(), name); }
    QLineEdit* Input() { return Find<QLineEdit>(dialog.get(), "InputBox"); }
    void Show(const QString& preset) {
        dialog->SetDestination(preset);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }
    // Runs `inBrowser` once the browser's modal loop has started, then presses "&Browse...".
    void Browse(std::function<void(TDirBrowser*)> inBrowser) {
        QTimer::singleShot(0, this, [this, inBrowser] {
            auto* browser = dialog->findChild<TDirBrowser*>();
            QVERIFY(browser != nullptr && browser->isVisible());
            inBrowser(browser);
        });
        QTest::mouseClick(Button("BrowseButton"), Qt::LeftButton);
    }

private slots:
    void init() {
        boxes = std::make_unique<ScriptedMessageBoxes>();
        dialog = std::make_unique<TDestDialog>();
    }
    void cleanup() {
        dialog.reset();
        boxes.reset();
    }

    void acceptValidatesTheTypedText() {
        Show(QString());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Destination"));
        QCOMPARE(dialog->focusWidget(), Input());
        QTest::mouseClick(Button("OKButton"), Qt::LeftButton);
        QCOMPARE(boxes->shown.size(), std::size_t{1});
        QCOMPARE(boxes->shown[0].caption, std::string("Input Error"));
        QCOMPARE(boxes->shown[0].text, std::string("\"\" is not a valid directory!"));
        QCOMPARE(boxes->shown[0].icon, MsgIcon::Error);
        QVERIFY(dialog->isVisible());
        // A refused Accept forbids closing by the frame.
        dialog->close();
        QVERIFY(dialog->isVisible());

        Input()->setText(temp.path() + "/missing");
        QTest::mouseClick(Button("OKButton"), Qt::LeftButton);
        QCOMPARE(boxes->shown.back().text, "\"" + temp.path().toStdString() + "/missing\" is not a valid directory!");
        QCOMPARE(Input()->text(), temp.path() + "/missing"); // unchanged

        Input()->setText(temp.path()); // no trailing "/": the caller adds it
        QTest::keyClick(Input(), Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->Destination(), temp.path());
    }

    void leaveTheFilesWhereTheyAre() {
        Show(temp.path());
        QCOMPARE(Input()->text(), temp.path());
        QCOMPARE(Button("CancelButton")->text(), QStringLiteral("&Let the files where they are"));
        QTest::mouseClick(Button("CancelButton"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->Destination(), QString());

        Show(temp.path());
        QTest::keyClick(Input(), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->Destination(), QString());
        QVERIFY(boxes->shown.empty());
    }

    void simpleRequestLayout() {
        const QRect ok = Button("OKButton")->geometry();
        const QRect cancel = Button("CancelButton")->geometry();
        const QRect browse = Button("BrowseButton")->geometry();
        dialog->SimpleRequest(true);
        QCOMPARE(Button("OKButton")->text(), QStringLiteral("&OK"));
        QCOMPARE(Button("CancelButton")->text(), QStringLiteral("&Cancel"));
        QCOMPARE(Button("CancelButton")->width(), browse.width());
        QCOMPARE(Button("OKButton")->width(), browse.width());
        QCOMPARE(Button("CancelButton")->x(), browse.left() - browse.width() - 8);
        QCOMPARE(Button("OKButton")->x(), Button("CancelButton")->x() - browse.width() - 8);
        dialog->SimpleRequest(false);
        QCOMPARE(Button("OKButton")->text(), QStringLiteral("&Accept"));
        QCOMPARE(Button("OKButton")->geometry(), ok);
        QCOMPARE(Button("CancelButton")->geometry(), cancel);
    }

    void browseCancelKeepsTheTextAndOkTakesTheDirectory() {
        QVERIFY(QDir(temp.path()).mkpath("chosen"));
        Show("typed text");
        Browse([](TDirBrowser* browser) { QTest::keyClick(browser, Qt::Key_Escape); });
        QCOMPARE(Input()->text(), QStringLiteral("typed text"));

        Input()->setText(temp.path() + "/chosen");
        Browse([this](TDirBrowser* browser) {
            QCOMPARE(browser->windowTitle(), QStringLiteral("Browse Directory"));
            QTest::mouseClick(Find<QPushButton>(browser, "OKButton"), Qt::LeftButton);
        });
        QCOMPARE(Input()->text(), temp.path() + "/chosen");
    }

    void browserFallsBackAndRefusesAnInaccessibleDrive() {
        TDirBrowser browser;
        browser.SetDirectory("  " + temp.path() + "  ");
        browser.show();
        QTest::mouseClick(Find<QPushButton>(&browser, "OKButton"), Qt::LeftButton);
        QCOMPARE(browser.Directory(), temp.path());

        browser.SetDirectory(temp.path() + "/no such directory");
        browser.show();
        auto* drives = Find<QComboBox>(&browser, "DriveList");
        const QString shown = drives->currentText();
        drives->addItem("/no-such-mount", "/no-such-mount");
        drives->setCurrentIndex(drives->count() - 1);
        emit drives->activated(drives->count() - 1);
        QCOMPARE(boxes->shown.size(), std::size_t{1});
        QCOMPARE(boxes->shown[0].caption, std::string("System Error"));
        QCOMPARE(boxes->shown[0].text, std::string("Drive /no-such-mount: is not accessible!"));
        QCOMPARE(drives->currentText(), shown);
        QTest::mouseClick(Find<QPushButton>(&browser, "OKButton"), Qt::LeftButton);
        QCOMPARE(browser.Directory(), QDir::currentPath()); // the invalid start: the current directory
        browser.show();
        QTest::mouseClick(Find<QPushButton>(&browser, "CancelButton"), Qt::LeftButton);
        QCOMPARE(browser.Directory(), QString());
    }
};

QTEST_MAIN(DestDialogTest)
#include "test_dest_dialog.moc"
