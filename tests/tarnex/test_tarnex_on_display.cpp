// tarnex95's window on a real X display (run under Xvfb): in both languages every caption has
// the room its font needs and every control lies inside the window. With VLT_SCREENSHOT_DIR set,
// the window is saved there as tarnex95.png (English) and tarnex95-de.png (German).

#include "tarnex/tarnex95_app.h"
#include "tarnex_doubles.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QtTest>

using namespace tarnex;
using namespace tarnex::testing;

class TestTarnexOnDisplay : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
            QSKIP("needs an X display (run under xvfb-run)");
        }
    }

    void captionsFitInBothLanguages() {
        TProgramState state;
        ScriptedMessageBoxes messages;
        RecordingCiphers ciphers;
        ScriptedFileChooser files;
        RecordingProgramStarter programs;
        TTarnex95Frame frame(state, TDialogServices{messages, ciphers, files, programs});
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        struct Language {
            const char* name;
            const char* fileSuffix;
        };
        for (const Language& language : {Language{"English", ""}, Language{"German", "-de"}}) {
            QTest::qWait(50); // let the language switch's layout settle on the display
            const QRect window = frame.rect();
            for (QWidget* control : frame.findChildren<QWidget*>()) {
                if (!control->isVisible() ||
                    (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QLabel*>(control))) {
                    continue;
                }
                const QString where = control->objectName() + QStringLiteral(" (") +
                                      QString::fromLatin1(language.name) + QStringLiteral(")");
                const QRect placed(control->mapTo(&frame, QPoint(0, 0)), control->size());
                QVERIFY2(window.contains(placed), qPrintable(where + QStringLiteral(" lies outside the window")));
                QVERIFY2(control->width() >= control->minimumSizeHint().width(),
                         qPrintable(where + QStringLiteral(" is narrower than its caption")));
            }
            const QString directory = qEnvironmentVariable("VLT_SCREENSHOT_DIR");
            if (!directory.isEmpty()) {
                const QString file = directory + QStringLiteral("/tarnex95") +
                                     QString::fromLatin1(language.fileSuffix) + QStringLiteral(".png");
                QVERIFY2(frame.grab().save(file), qPrintable(file));
            }
            auto* languageButton = frame.findChild<QAbstractButton*>(QStringLiteral("LanguageButton"));
            QVERIFY(languageButton != nullptr);
            QTest::mouseClick(languageButton, Qt::LeftButton);
        }
    }
};

QTEST_MAIN(TestTarnexOnDisplay)
#include "test_tarnex_on_display.moc"
