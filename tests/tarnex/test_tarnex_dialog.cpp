// The tarnex95 dialog driven through its controls, with every outside service replaced by a double.

#include "tarnex/key_length_view.h"
#include "tarnex/tarnex95_app.h"
#include "tarnex_doubles.h"

#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

using namespace tarnex;
using namespace tarnex::testing;

namespace {

// One dialog in its frame with recording services.
struct DialogRig {
    explicit DialogRig(TStartValues start = {}) {
        state.start = std::move(start);
        frame = std::make_unique<TTarnex95Frame>(state, TDialogServices{messages, ciphers, files, programs});
        frame->show();
    }

    template <typename Control = QWidget> Control* Find(const char* name) const {
        auto* control = frame->findChild<Control*>(QString::fromLatin1(name));
        if (control == nullptr) {
            qFatal("no control %s", name);
        }
        return control;
    }
    // Radio buttons take clicks on their mark and caption only, not on the whole row.
    void Click(const char* name) const {
        auto* button = Find<QAbstractButton>(name);
        const QPoint at =
            qobject_cast<QRadioButton*>(button) ? QPoint(4, button->height() / 2) : button->rect().center();
        QTest::mouseClick(button, Qt::LeftButton, {}, at);
    }
    void Type(const char* name, const QString& text) const {
        Find<QLineEdit>(name)->clear();
        QTest::keyClicks(Find<QLineEdit>(name), text);
    }
    [[nodiscard]] QString Text(const char* name) const { return Find(name)->property("text").toString(); }

    // The names of the checked radio buttons, in dialog order.
    [[nodiscard]] QStringList Checked() const {
        QStringList names;
        for (const char* name :
             {"CryptRadio", "DeCryptRadio", "TarnexRadio", "FileRadio", "ChaosRadio", "Chaos2Radio"}) {
            if (Find<QRadioButton>(name)->isChecked()) {
                names.append(QString::fromLatin1(name));
            }
        }
        return names;
    }

    TProgramState state;
    ScriptedMessageBoxes messages;
    RecordingCiphers ciphers;
    ScriptedFileChooser files;
    RecordingProgramStarter programs;
    std::unique_ptr<TTarnex95Frame> frame;
};

const QStringList kLanguageControls = {"FileNameButton", "KeyFileButton",  "ViewButton",
                                       "CancelButton",   "ProcedureLabel", "FileRadio"};
const QStringList kEnglishCaptions = {"Filename", "Key/keyfile", "View", "Cancel", "Procedure", "File"};
const QStringList kGermanCaptions = {"Dateiname", "Schlüssel", "Ansicht", "Abbrechen", "Verfahren", "Datei"};

QStringList Captions(const DialogRig& rig) {
    QStringList captions;
    for (const QString& name : kLanguageControls) {
        captions.append(rig.Text(name.toLatin1().constData()));
    }
    return captions;
}

// Runs `inspect` on the modal dialog that `open` shows, then closes it.
void WithModalDialog(const std::function<void()>& open, const std::function<void(QWidget*)>& inspect) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        inspect(modal);
        seen = true;
        modal->close();
    });
    open();
    QVERIFY(seen);
}

} // namespace

class TestTarnexDialog : public QObject {
    Q_OBJECT
private slots:
    void opensEmptyInEnglishWithoutArguments() {
        DialogRig rig;
        QCOMPARE(rig.Find<QLineEdit>("FileNameEdit")->text(), QString());
        QCOMPARE(rig.Find<QLineEdit>("KeyEdit")->text(), QString());
        QCOMPARE(rig.Checked(), QStringList({"CryptRadio", "TarnexRadio"}));
        QCOMPARE(Captions(rig), kEnglishCaptions);
        QCOMPARE(rig.Find<QPushButton>("OkButton")->isDefault(), true);
        QCOMPARE(rig.Find<QLineEdit>("FileNameEdit")->maxLength(), 259);
        QCOMPARE(rig.Find<QLineEdit>("KeyEdit")->maxLength(), 99);
        QCOMPARE(rig.frame->windowTitle(), QStringLiteral("Tarnex95"));
    }

    void commandLineValuesSurviveTwoLanguageSwitches() {
        DialogRig rig({QStringLiteral("/data/report.txt"), QStringLiteral("secret"), 1});
        const auto expectStartValues = [&] {
            QCOMPARE(rig.Find<QLineEdit>("FileNameEdit")->text(), QStringLiteral("/data/report.txt"));
            QCOMPARE(rig.Find<QLineEdit>("KeyEdit")->text(), QStringLiteral("secret"));
            QCOMPARE(rig.Checked(), QStringList({"DeCryptRadio", "TarnexRadio"}));
        };
        expectStartValues();
        // What the user changes in between is replaced by the command line's values.
        rig.Click("CryptRadio");
        rig.Click("ChaosRadio");
        rig.Type("KeyEdit", QStringLiteral("other"));
        rig.Click("LanguageButton");
        expectStartValues();
        QCOMPARE(Captions(rig), kGermanCaptions);
        QCOMPARE(rig.ciphers.language, 0);
        rig.Click("LanguageButton");
        expectStartValues();
        QCOMPARE(Captions(rig), kEnglishCaptions);
        QCOMPARE(rig.ciphers.language, 1);
    }

    void languageSwitchLeavesExactlyOneMethodAndDirection() {
        DialogRig rig;
        rig.Type("FileNameEdit", QStringLiteral("typed.txt"));
        rig.Type("KeyEdit", QStringLiteral("typed key"));
        for (const char* method : {"FileRadio", "ChaosRadio", "Chaos2Radio"}) {
            rig.Click(method);
            rig.Click("DeCryptRadio");
            QCOMPARE(rig.Checked(), QStringList({"DeCryptRadio", QString::fromLatin1(method)}));
            rig.Click("LanguageButton");
            QCOMPARE(rig.Checked(), QStringList({"CryptRadio", "TarnexRadio"}));
        }
        // Without command-line values the typed text stays.
        QCOMPARE(rig.Find<QLineEdit>("FileNameEdit")->text(), QStringLiteral("typed.txt"));
        QCOMPARE(rig.Find<QLineEdit>("KeyEdit")->text(), QStringLiteral("typed key"));
    }

    void runChecksInOrder_data() {
        QTest::addColumn<bool>("german");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("message");

        const QString key40(40, u'k');
        const QString key41(41, u'k');
        const QString key60(60, u'c');
        const QString done = QStringLiteral("MESSAGE / Operation completed!");
        QTest::newRow("no file name") << false << ""
                                      << "key"
                                      << "TarnexRadio"
                                      << "CryptRadio" << QStringList() << "Error / No filename inserted!";
        QTest::newRow("no file name and no key") << false << ""
                                                 << ""
                                                 << "TarnexRadio"
                                                 << "CryptRadio" << QStringList() << "Error / No filename inserted!";
        QTest::newRow("no key") << false << "f.txt"
                                << ""
                                << "TarnexRadio"
                                << "CryptRadio" << QStringList() << "Error / No key inserted!";
        QTest::newRow("41 characters for Tarnex") << false << "f.txt" << key41 << "TarnexRadio"
                                                  << "CryptRadio" << QStringList() << "Error / Key > 40 characters!";
        QTest::newRow("40 characters for Tarnex")
            << false << "f.txt" << key40 << "TarnexRadio"
            << "CryptRadio" << QStringList{"Tarnex(f.txt," + key40 + ",0)"} << done;
        QTest::newRow("60 characters for Chaos")
            << false << "f.txt" << key60 << "ChaosRadio"
            << "DeCryptRadio" << QStringList{"Chaos(f.txt," + key60 + ",1)"} << done;
        QTest::newRow("60 characters for Chaos2")
            << false << "f.txt" << key60 << "Chaos2Radio"
            << "CryptRadio" << QStringList{"Chaos2(f.txt," + key60 + ",0)"} << done;
        QTest::newRow("key file takes no direction")
            << false << "f.txt"
            << "/keys/" + key41 << "FileRadio"
            << "DeCryptRadio" << QStringList{"KeyFile(f.txt,/keys/" + key41 + ")"} << done;
        QTest::newRow("German: no file name") << true << ""
                                              << "key"
                                              << "TarnexRadio"
                                              << "CryptRadio" << QStringList() << "Fehler / Keine Datei angegeben!";
        QTest::newRow("German: no key") << true << "f.txt"
                                        << ""
                                        << "TarnexRadio"
                                        << "CryptRadio" << QStringList() << "Fehler / Kein Schlüssel angegeben!";
        QTest::newRow("German: 41 characters") << true << "f.txt" << key41 << "TarnexRadio"
                                               << "CryptRadio" << QStringList() << "Fehler / Schlüssel > 40 Zeichen!";
        QTest::newRow("German: completed")
            << true << "f.txt"
            << "k"
            << "TarnexRadio"
            << "DeCryptRadio" << QStringList{"Tarnex(f.txt,k,1)"} << "MELDUNG / Operation abgeschlossen!";
    }
    void runChecksInOrder() {
        QFETCH(bool, german);
        QFETCH(QString, fileName);
        QFETCH(QString, key);
        QFETCH(QString, method);
        QFETCH(QString, direction);
        QFETCH(QStringList, calls);
        QFETCH(QString, message);
        DialogRig rig;
        if (german) {
            rig.Click("LanguageButton");
        }
        rig.Type("FileNameEdit", fileName);
        rig.Type("KeyEdit", key);
        rig.Click(method.toLatin1().constData());
        rig.Click(direction.toLatin1().constData());
        rig.Click("OkButton");
        QCOMPARE(rig.ciphers.calls, calls);
        QCOMPARE(rig.messages.Texts(), QStringList{message});
        QCOMPARE(rig.messages.shown.first().icon, MessageIcon::Stop);
        // The dialog stays open for the next operation.
        QVERIFY(rig.frame->isVisible());
    }

    void failureReportedByLibraryIsNotFollowedByCompletion() {
        DialogRig rig;
        rig.ciphers.succeed = false;
        rig.Type("FileNameEdit", QStringLiteral("f.txt"));
        rig.Type("KeyEdit", QStringLiteral("key"));
        rig.Click("OkButton");
        QCOMPARE(rig.ciphers.calls, QStringList{"Tarnex(f.txt,key,0)"});
        QCOMPARE(rig.messages.shown.size(), 0);
    }

    void keyLengthIsDrawnInRedOnGreyOnEveryChange() {
        DialogRig rig;
        QCOMPARE(rig.frame->Client()->KeyLengthText(), QStringLiteral("00"));
        QTest::keyClicks(rig.Find<QLineEdit>("KeyEdit"), QStringLiteral("abcde"));
        QCOMPARE(rig.frame->Client()->KeyLengthText(), QStringLiteral("05"));
        QTest::keyClick(rig.Find<QLineEdit>("KeyEdit"), Qt::Key_Backspace);
        QCOMPARE(rig.frame->Client()->KeyLengthText(), QStringLiteral("04"));
        rig.Type("KeyEdit", QString(120, u'x'));
        QCOMPARE(rig.frame->Client()->KeyLengthText(), QStringLiteral("99"));

        const QImage image = rig.Find<TKeyLengthView>("KeyLengthView")->grab().toImage();
        QCOMPARE(image.pixel(0, 0) & RGB_MASK, TKeyLengthView::kBackgroundColour & RGB_MASK);
        bool red = false;
        for (int y = 0; y < image.height() && !red; ++y) {
            for (int x = 0; x < image.width() && !red; ++x) {
                red = (image.pixel(x, y) & RGB_MASK) == (TKeyLengthView::kTextColour & RGB_MASK);
            }
        }
        QVERIFY(red);
    }

    void browsingFillsFieldsAndKeyFileSelectsFileAlone() {
        DialogRig rig;
        rig.Click("ChaosRadio");
        rig.files.result = {OpenFileResult::Outcome::Chosen, QStringLiteral("/home/ann/plain.txt"), 0};
        rig.Click("FileNameButton");
        QCOMPARE(rig.Find<QLineEdit>("FileNameEdit")->text(), QStringLiteral("/home/ann/plain.txt"));
        QCOMPARE(rig.Checked(), QStringList({"CryptRadio", "ChaosRadio"}));

        rig.files.result = {OpenFileResult::Outcome::Chosen, QStringLiteral("/home/ann/pad.bin"), 0};
        rig.Click("KeyFileButton");
        QCOMPARE(rig.Find<QLineEdit>("KeyEdit")->text(), QStringLiteral("/home/ann/pad.bin"));
        QCOMPARE(rig.Checked(), QStringList({"CryptRadio", "FileRadio"}));
        QCOMPARE(rig.files.filters, QStringList(2, QStringLiteral("All files (*.*)|*.*|")));
        QCOMPARE(rig.messages.shown.size(), 0);
    }

    void cancelledOrFailedBrowsingChangesNothing() {
        DialogRig rig;
        rig.Type("KeyEdit", QStringLiteral("typed"));
        rig.Click("Chaos2Radio");
        rig.files.result = {OpenFileResult::Outcome::Cancelled, QString(), 0};
        rig.Click("KeyFileButton");
        rig.files.result = {OpenFileResult::Outcome::Failed, QStringLiteral("/ignored"), 12291};
        rig.Click("KeyFileButton");
        rig.Click("LanguageButton");
        rig.Click("Chaos2Radio");
        rig.Click("FileNameButton");
        QCOMPARE(rig.Find<QLineEdit>("KeyEdit")->text(), QStringLiteral("typed"));
        QCOMPARE(rig.Find<QLineEdit>("FileNameEdit")->text(), QString());
        QCOMPARE(rig.Checked(), QStringList({"CryptRadio", "Chaos2Radio"}));
        QCOMPARE(rig.messages.Texts(), QStringList({"WARNING / GetOpenFileName Errormessage #12291",
                                                    "WARNUNG / GetOpenFileName Fehlermeldung #12291"}));
    }

    void viewAndDosStartOutsidePrograms() {
        DialogRig rig;
        rig.Click("ViewButton");
        QCOMPARE(rig.programs.started, QStringList());
        rig.Type("FileNameEdit", QStringLiteral("/tmp/notes.txt"));
        rig.Click("ViewButton");
        rig.Click("DosButton");
        QCOMPARE(rig.programs.started, QStringList({"editor /tmp/notes.txt", "prompt"}));
        QCOMPARE(rig.messages.shown.size(), 0);

        rig.programs.succeed = false;
        rig.Click("DosButton");
        QCOMPARE(rig.messages.Texts(), QStringList{"Error / Cannot start terminal!"});
    }

    void infoShowsTheTemplateOfTheLanguage() {
        DialogRig rig;
        const auto expectInfo = [&](const QString& title, int templateId, const QString& someLine) {
            WithModalDialog([&] { rig.Click("InfoButton"); },
                            [&](QWidget* modal) {
                                QCOMPARE(modal->windowTitle(), title);
                                QCOMPARE(modal->property("templateId").toInt(), templateId);
                                QStringList lines;
                                for (QLabel* label : modal->findChildren<QLabel*>()) {
                                    lines.append(label->text());
                                }
                                QVERIFY2(lines.contains(someLine), qPrintable(lines.join(u'\n')));
                                QVERIFY(lines.contains(QStringLiteral("Tarnex/Win95 v3.1")));
                            });
        };
        expectInfo(QStringLiteral("About Tarnex/Win95"), 5000, QStringLiteral("USE ON YOUR OWN RISC !!!"));
        rig.Click("LanguageButton");
        expectInfo(QStringLiteral("Info über Tarnex/Win95"), 4000, QStringLiteral("BENUTZUNG AUF EIGENE GEFAHR !!!"));
    }

    void enterRunsAndCancelOrEscapeCloses() {
        DialogRig rig;
        QTest::keyClick(rig.Find<QLineEdit>("KeyEdit"), Qt::Key_Return);
        QCOMPARE(rig.messages.Texts(), QStringList{"Error / No filename inserted!"});
        rig.Click("CancelButton");
        QVERIFY(!rig.frame->isVisible());

        DialogRig escaped;
        escaped.frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(escaped.frame.get()));
        QTest::keyClick(escaped.Find<QLineEdit>("FileNameEdit"), Qt::Key_Escape);
        QVERIFY(!escaped.frame->isVisible());
    }
};

QTEST_MAIN(TestTarnexDialog)
#include "test_tarnex_dialog.moc"
