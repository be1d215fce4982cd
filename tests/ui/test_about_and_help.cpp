// The about box and the help: every context number has its section, F1 finds the
// focused control's, the Help buttons open the right page.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include "main_form_fixture.h"
#include "ui/about_box.h"
#include "ui/help_pages.h"
#include "ui/help_window.h"
#include "ui/help_window_form.h"
#include "ui/resources.h"

using vlt::testing::MainFormFixture;

namespace {

std::vector<int> AllContexts() {
    std::vector<int> contexts = {100, 200, 201, 202, 300, 301, 350, 428, 600, 601, 602, 603, 800, 801, 802};
    for (int context = 400; context <= 426; ++context) {
        contexts.push_back(context);
    }
    return contexts;
}

vlt::ui::THelpWindow* OpenHelpWindow() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* help = qobject_cast<vlt::ui::THelpWindow*>(window); help != nullptr && help->isVisible()) {
            return help;
        }
    }
    return nullptr;
}

} // namespace

class TestAboutAndHelp : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { vlt::ui::CloseHelp(); }

    void AboutBoxShowsVersionEveryTime();
    void AboutButtonOpensTheBoxModally();
    void EveryContextHasItsSection();
    void UnknownContextOpensTheContents();
    void F1OpensTheFocusedControlsContext();
    void HelpButtonOpensTheContents();
    void F1InTheListMenuOpensItsItemsContext();
};

void TestAboutAndHelp::AboutBoxShowsVersionEveryTime() {
    vlt::ui::TAboutBox box;
    QCOMPARE(box.windowTitle(), QStringLiteral("About"));
    auto* version = box.findChild<QLabel*>(QStringLiteral("InfoVersion"));
    QVERIFY(version != nullptr);
    for (int showing = 0; showing < 2; ++showing) {
        box.show();
        QCOMPARE(version->text(), QStringLiteral("Version 8.1h"));
        version->setText(QStringLiteral("something else"));
        box.hide();
    }
    QCOMPARE(box.findChild<QLabel*>(QStringLiteral("InfoTitle"))->text(), QStringLiteral("Vaultane 95"));
    QCOMPARE(box.findChild<QLabel*>(QStringLiteral("InfoTheBest"))->text(),
             QStringLiteral("High Security File Encryption Utility for Windows 95 and NT"));
    QVERIFY(box.findChild<QLabel*>(QStringLiteral("ProgramIcon")) != nullptr);
    QCOMPARE(box.findChild<QPushButton*>(QStringLiteral("OKButton"))->text(), QStringLiteral("&OK"));
}

void TestAboutAndHelp::AboutButtonOpensTheBoxModally() {
    MainFormFixture fixture;
    fixture.Start();
    QString shownVersion;
    QTimer::singleShot(0, [&shownVersion] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box != nullptr);
        shownVersion = box->findChild<QLabel*>(QStringLiteral("InfoVersion"))->text();
        QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    });
    QTest::mouseClick(&fixture.Button("AboutButton"), Qt::LeftButton);
    QCOMPARE(shownVersion, QStringLiteral("Version 8.1h"));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void TestAboutAndHelp::EveryContextHasItsSection() {
    vlt::ui::LoadResources();
    for (const int context : AllContexts()) {
        const QUrl url = vlt::ui::HelpUrlOf(context);
        QVERIFY2(!url.isEmpty(), qPrintable(QString::number(context)));
        QFile page(QLatin1Char(':') + url.path());
        QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(url.toString()));
        const QByteArray anchor = "name=\"" + url.fragment().toLatin1() + "\"";
        QVERIFY2(page.readAll().contains(anchor), qPrintable(url.toString()));
    }
    QFile contents(QLatin1Char(':') + vlt::ui::HelpContentsUrl().path());
    QVERIFY(contents.open(QIODevice::ReadOnly));
}

void TestAboutAndHelp::UnknownContextOpensTheContents() {
    QVERIFY(vlt::ui::HelpUrlOf(427).isEmpty());
    QVERIFY(vlt::ui::HelpUrlOf(0).isEmpty());
    QWidget owner;
    vlt::ui::ShowHelpContext(&owner, 427);
    vlt::ui::THelpWindow* help = OpenHelpWindow();
    QVERIFY(help != nullptr);
    QCOMPARE(help->CurrentPage(), vlt::ui::HelpContentsUrl());
}

void TestAboutAndHelp::F1OpensTheFocusedControlsContext() {
    MainFormFixture fixture;
    vlt::ui::TMainForm& form = fixture.Start();
    const struct {
        const char* control;
        int context;
    } cases[] = {{"OptionsButton", 400}, {"AboutButton", 800}, {"ExitButton", 801}, {"FileViewReport", 300}};
    for (const auto& entry : cases) {
        auto* control = form.findChild<QWidget*>(QLatin1String(entry.control));
        QVERIFY2(control != nullptr, entry.control);
        control->setFocus();
        QTest::keyClick(control, Qt::Key_F1);
        vlt::ui::THelpWindow* help = OpenHelpWindow();
        QVERIFY2(help != nullptr, entry.control);
        QCOMPARE(help->CurrentPage(), vlt::ui::HelpUrlOf(entry.context));
        vlt::ui::CloseHelp();
    }
}

void TestAboutAndHelp::HelpButtonOpensTheContents() {
    MainFormFixture fixture;
    fixture.Start();
    QTest::mouseClick(&fixture.Button("HelpButton"), Qt::LeftButton);
    vlt::ui::THelpWindow* help = OpenHelpWindow();
    QVERIFY(help != nullptr);
    QCOMPARE(help->CurrentPage(), vlt::ui::HelpContentsUrl());
    QVERIFY(!help->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"))->toPlainText().isEmpty());
}

void TestAboutAndHelp::F1InTheListMenuOpensItsItemsContext() {
    MainFormFixture fixture;
    vlt::ui::TMainForm& form = fixture.Start();
    QMenu& menu = form.FVPop();
    QCOMPARE(menu.objectName(), QStringLiteral("FVPop"));
    menu.popup(form.mapToGlobal(QPoint(50, 100)));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    menu.setActiveAction(menu.actions().at(1));
    QTest::keyClick(&menu, Qt::Key_F1);
    vlt::ui::THelpWindow* help = OpenHelpWindow();
    QVERIFY(help != nullptr);
    QCOMPARE(help->CurrentPage(), vlt::ui::HelpUrlOf(301));
    QVERIFY(!menu.isVisible());
}

QTEST_MAIN(TestAboutAndHelp)
#include "test_about_and_help.moc"
