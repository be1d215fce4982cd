// The options dialog driven by its controls' object names: the algorithm lists, the
// overwrite count, dependent boxes, OK versus Cancel, the redraw flags and the font.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstring>
#include <functional>
#include <optional>

#include "settings/settings_file.h"
#include "ui/font_dialog_service.h"
#include "ui/help_window.h"
#include "ui/options_dialog.h"

namespace vlt::ui {
namespace {

class ScriptedFontDialog final : public FontDialogService {
public:
    ScriptedFontDialog() { SetFontDialogs(this); }
    ~ScriptedFontDialog() override { SetFontDialogs(nullptr); }
    bool accept = true;
    QFont answerFont;
    std::optional<QColor> answerColour; // the preset colour stays when empty
    QFont shownFont;
    QColor shownColour;
    int shown = 0;
    bool ChooseFont(QWidget*, QFont& font, QColor& colour) override {
        ++shown;
        shownFont = font;
        shownColour = colour;
        if (!accept) {
            return false;
        }
        font = answerFont;
        if (answerColour) {
            colour = *answerColour;
        }
        return true;
    }
};

} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

private:
    SettingsRecord live{};
    std::unique_ptr<TOptionsDialog> dialog;

    template <typename T> T* Find(const char* name) {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            qFatal("no control %s", name);
        }
        return widget;
    }
    QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }
    // A check box takes clicks on its indicator and caption only: it is clicked there.
    void Click(const char* name) {
        QAbstractButton* button = Find<QAbstractButton>(name);
        const bool box = qobject_cast<QCheckBox*>(button) != nullptr;
        QTest::mouseClick(button, Qt::LeftButton, {}, box ? QPoint(6, button->height() / 2) : QPoint());
    }
    // A pick from a closed drop-down list with the keyboard, as a user makes it.
    void Choose(const char* list, int position) {
        QComboBox* box = Find<QComboBox>(list);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < position; ++i) {
            QTest::keyClick(box, Qt::Key_Down);
        }
    }
    QStringList Entries(const char* list) {
        QStringList entries;
        const QComboBox* box = Find<QComboBox>(list);
        for (int i = 0; i < box->count(); ++i) {
            entries << box->itemText(i);
        }
        return entries;
    }
    // Shows the dialog modally and runs `steps` inside it; the steps end it (OK,
    // Cancel, ...), else it is cancelled so that a failed check never hangs the test.
    int Run(const std::function<void()>& steps) {
        QTimer::singleShot(0, dialog.get(), [&] {
            steps();
            if (dialog->isVisible()) {
                dialog->reject();
            }
        });
        return dialog->exec();
    }

private slots:
    void init() {
        live = SettingsRecord{};
        DefaultSettings(live, 1024, 768);
        dialog = std::make_unique<TOptionsDialog>(live);
    }
    void cleanup() { dialog.reset(); }

    void Vlt7TurnsBlowfishAndIdeaIntoBlowfishAndCobra() {
        live.Algo1Box = 1;
        live.Algo2Box = 6;
        live.MixedEncryptionSwitch = 1;
        Run([&] {
            Click("VLT7CompSwitch");
            QCOMPARE(Entries("Algo1Box"),
                     (QStringList{"Blowfish", "Blowfish32", "GOST", "TDES", "Cobra"}));
            QCOMPARE(Entries("Algo2Box"), (QStringList{"Blowfish32", "GOST", "TDES", "Cobra"}));
            QCOMPARE(Find<QComboBox>("Algo2Box")->currentText(), QString("Cobra"));
            Click("OKButton");
        });
        QCOMPARE(int(live.VLT7CompSwitch), 1);
        QCOMPARE(int(live.Algo1Box), 1);
        QCOMPARE(int(live.Algo2Box), 5);
        QCOMPARE(int(live.ViewChanged), 1);
    }

    void Vlt7TurnsCobraAndIdeaIntoTdesAndCobra() {
        live.Algo1Box = 5;
        live.Algo2Box = 6;
        live.MixedEncryptionSwitch = 1;
        Run([&] {
            Click("VLT7CompSwitch");
            QCOMPARE(Find<QComboBox>("Algo1Box")->currentText(), QString("TDES"));
            QCOMPARE(Find<QComboBox>("Algo2Box")->currentText(), QString("Cobra"));
            Click("VLT7CompSwitch"); // off again: six entries, the numbers stay
            QCOMPARE(Find<QComboBox>("Algo1Box")->count(), 6);
            QCOMPARE(Find<QComboBox>("Algo1Box")->currentText(), QString("TDES"));
            Click("OKButton");
        });
        QCOMPARE(int(live.Algo1Box), 4);
        QCOMPARE(int(live.Algo2Box), 5);
        QCOMPARE(int(live.ViewChanged), 0); // VLT7 is as it was
    }

    void ChoosingTheSecondAsFirstMovesTheSecond() {
        live.MixedEncryptionSwitch = 1;
        live.Algo1Box = 1;
        live.Algo2Box = 5;
        Run([&] {
            Choose("Algo1Box", 4); // Cobra
            QCOMPARE(Find<QComboBox>("Algo2Box")->currentText(), QString("TDES"));
            Choose("Algo1Box", 0); // Blowfish, while the second is TDES: no clash
            QCOMPARE(Find<QComboBox>("Algo2Box")->currentText(), QString("TDES"));
            Choose("Algo2Box", 0); // Blowfish32
            Choose("Algo1Box", 1); // Blowfish32 as first: the second goes to Blowfish
            QCOMPARE(Find<QComboBox>("Algo2Box")->currentText(), QString("Blowfish"));
            Choose("Algo1Box", 0);
            QCOMPARE(Find<QComboBox>("Algo2Box")->currentText(), QString("Blowfish32"));
            Click("OKButton");
        });
        QCOMPARE(int(live.Algo1Box), 1);
        QCOMPARE(int(live.Algo2Box), 2);
    }

    void TheFourthEntryAfterTdesIsCobra() {
        live.MixedEncryptionSwitch = 1;
        live.Algo1Box = 4;
        Run([&] {
            QCOMPARE(Entries("Algo2Box"), (QStringList{"Blowfish", "Blowfish32", "GOST", "Cobra", "IDEA"}));
            Choose("Algo2Box", 3);
            Click("OKButton");
        });
        QCOMPARE(int(live.Algo2Box), 5);
    }

    void MixedEncryptionShowsTheSecondList() {
        Run([&] {
            QCOMPARE(Find<QLabel>("Info11")->text(), QString("&Algorithm:"));
            QVERIFY(Find<QComboBox>("Algo2Box")->isHidden());
            Click("MixedEncryptionSwitch");
            QCOMPARE(Find<QLabel>("Info11")->text(), QString("First &Algorithm:"));
            QVERIFY(!Find<QComboBox>("Algo2Box")->isHidden());
            QVERIFY(!Find<QLabel>("Info12")->isHidden());
            Click("OKButton");
        });
        QCOMPARE(int(live.MixedEncryptionSwitch), 1);
        QCOMPARE(int(live.Algo1Box), 1);
        QCOMPARE(int(live.Algo2Box), 6);
    }

    void OverwriteCountIsReadClampedAndStepped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("stored");
        QTest::newRow("abc") << "abc" << "" << "abc" << 1;
        QTest::newRow("150") << "150" << "" << "150" << 99;
        QTest::newRow("down at 1") << "1" << "NumOfDODControllerDown" << "1" << 1;
        QTest::newRow("up at 99") << "99" << "NumOfDODControllerUp" << "99" << 99;
        QTest::newRow("up from 7") << "7" << "NumOfDODControllerUp" << "8" << 8;
        QTest::newRow("down from abc") << "abc" << "NumOfDODControllerDown" << "1" << 1;
    }
    void OverwriteCountIsReadClampedAndStepped() {
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(QString, shown);
        QFETCH(int, stored);
        live.WipeSwitch = 1;
        Run([&] {
            QLineEdit* count = Find<QLineEdit>("NumOfDODBox");
            count->setFocus();
            count->selectAll();
            QTest::keyClicks(count, typed);
            if (!button.isEmpty()) {
                Click(button.toLatin1().constData());
            }
            QCOMPARE(count->text(), shown);
            Click("OKButton");
        });
        QCOMPARE(int(live.NumOfDODBox), stored);
    }

    // Byte 17: any non-zero value (older programs wrote 1) shows ticked; unticked stores 0.
    void VerifySwitchReadsAnyNonZeroByteAsOn() {
        live.VerifySwitch = 7;
        Run([&] {
            QVERIFY(Box("VerifySwitch")->isChecked());
            Click("VerifySwitch");
            Click("OKButton");
        });
        QCOMPARE(int(live.VerifySwitch), 0);
        Run([&] {
            QVERIFY(!Box("VerifySwitch")->isChecked());
            Click("VerifySwitch");
            Click("OKButton");
        });
        QCOMPARE(int(live.VerifySwitch), 1);
    }

    void UntickingWipeGreysItsDependentsWithoutChangingThem() {
        live.WipeSwitch = 1;
        live.ParaWipeSwitch = 1;
        live.NumOfDODBox = 5;
        live.RenameSwitch = 1;
        live.KeepExtSwitch = 1;
        Run([&] {
            QVERIFY(Box("ParaWipeSwitch")->isEnabled());
            QVERIFY(!Find<QLineEdit>("NumOfDODBox")->isEnabled()); // SFS wiping counts no cycles
            Click("ParaWipeSwitch");
            QVERIFY(Find<QLineEdit>("NumOfDODBox")->isEnabled());
            QVERIFY(Find<QWidget>("NumOfDODController")->isEnabled());
            Click("ParaWipeSwitch");
            Click("WipeSwitch");
            QVERIFY(!Box("ParaWipeSwitch")->isEnabled());
            QVERIFY(Box("ParaWipeSwitch")->isChecked());
            QVERIFY(!Find<QLineEdit>("NumOfDODBox")->isEnabled());
            QVERIFY(!Find<QWidget>("NumOfDODController")->isEnabled());
            QCOMPARE(Find<QLineEdit>("NumOfDODBox")->text(), QString("5"));
            Click("RenameSwitch");
            QVERIFY(!Box("KeepExtSwitch")->isEnabled());
            QVERIFY(Box("KeepExtSwitch")->isChecked());
            Click("OKButton");
        });
        QCOMPARE(int(live.WipeSwitch), 0);
        QCOMPARE(int(live.ParaWipeSwitch), 1);
        QCOMPARE(int(live.NumOfDODBox), 5);
        QCOMPARE(int(live.RenameSwitch), 0);
        QCOMPARE(int(live.KeepExtSwitch), 1);
    }

    void DependentBoxesFollowTheirMasterAtShowing() {
        live.CompressSwitch = 0;
        live.ForceCompSwitch = 1;
        live.ExtDestDialogSwitch = 0;
        live.IgnoreAlreadyEncSwitch = 1; // stored inverted: the box is not ticked
        Run([&] {
            QVERIFY(!Box("ForceCompSwitch")->isEnabled());
            QVERIFY(Box("ForceCompSwitch")->isChecked());
            QVERIFY(!Box("RemoveOrigSwitch")->isEnabled());
            QVERIFY(!Box("IgnoreAlreadyEncSwitch")->isChecked());
            Click("CompressSwitch");
            QVERIFY(Box("ForceCompSwitch")->isEnabled());
            Click("IgnoreAlreadyEncSwitch");
            Click("OKButton");
        });
        QCOMPARE(int(live.IgnoreAlreadyEncSwitch), 0);
        QCOMPARE(int(live.CompressSwitch), 1);
    }

    void CancelEscapeAndTheFrameChangeNothingButThePosition_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("frame") << 2;
    }
    void CancelEscapeAndTheFrameChangeNothingButThePosition() {
        QFETCH(int, way);
        SettingsRecord before = live;
        int result = Run([&] {
            Click("ConfirmSwitch");
            Click("VLT7CompSwitch");
            Click("ExclHiddenSwitch");
            Find<QLineEdit>("NumOfDODBox")->setText("42");
            dialog->move(123, 45);
            if (way == 0) {
                Click("CancelButton");
            } else if (way == 1) {
                QTest::keyClick(dialog.get(), Qt::Key_Escape);
            } else {
                dialog->close();
            }
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(int(live.OptionsLeft), 123);
        QCOMPARE(int(live.OptionsTop), 45);
        before.OptionsLeft = live.OptionsLeft;
        before.OptionsTop = live.OptionsTop;
        QVERIFY(std::memcmp(&before, &live, sizeof live) == 0);
        // The next showing starts where this one closed.
        Run([&] {
            QCOMPARE(dialog->pos(), QPoint(123, 45));
            QCOMPARE(Box("ConfirmSwitch")->isChecked(), live.ConfirmSwitch != 0);
        });
    }

    void OkAfterOnlyConfirmationsSetsNeitherFlag() {
        SettingsRecord before = live;
        Run([&] {
            Click("ConfirmSwitch");
            Click("OKButton");
        });
        QCOMPARE(int(live.ViewChanged), 0);
        QCOMPARE(int(live.FontChanged), 0);
        QCOMPARE(int(live.ConfirmSwitch), 0);
        before.ConfirmSwitch = 0;
        before.OptionsLeft = live.OptionsLeft;
        before.OptionsTop = live.OptionsTop;
        QVERIFY(std::memcmp(&before, &live, sizeof live) == 0);
    }

    void BrowserPageChangesSetViewChanged() {
        Run([&] {
            Click("ExclArchiveSwitch");
            Choose("FileViewSetting", 2);
            Click("OKButton");
        });
        QCOMPARE(live.ExcludeMask, 0x27U);
        QCOMPARE(int(live.FileViewSetting), 2);
        QCOMPARE(int(live.ViewChanged), 1);
        QCOMPARE(int(live.FontChanged), 0);
    }

    void FontFromTheFontDialogSetsFontChanged() {
        ScriptedFontDialog fonts;
        fonts.answerFont = QFont(QStringLiteral("An Unusually Long Font Family Name For The Field"), 11);
        fonts.answerFont.setItalic(true);
        fonts.answerFont.setUnderline(true);
        Run([&] {
            Click("FontButton");
            Click("OKButton");
        });
        QCOMPARE(fonts.shown, 1);
        QCOMPARE(fonts.shownFont.family(), QString("MS Sans Serif"));
        QCOMPARE(fonts.shownFont.pointSize(), 8);
        QCOMPARE(live.GetFontName(), std::string("An Unusually Long Font Family Na"));
        QCOMPARE(int(live.FontSize), 11);
        QCOMPARE(int(live.FontStyle), 0x06);
        QCOMPARE(live.FontColor, 0x80000008U); // the colour was left alone: still the system's
        QCOMPARE(int(live.FontChanged), 1);
        QCOMPARE(int(live.ViewChanged), 0);

        fonts.answerColour = QColor(0x12, 0x34, 0x56);
        Run([&] {
            Click("FontButton");
            Click("OKButton");
        });
        QCOMPARE(live.FontColor, 0x00563412U);
        QCOMPARE(fonts.shownFont.italic(), true);

        fonts.accept = false;
        Run([&] {
            Click("FontButton");
            Click("OKButton");
        });
        QCOMPARE(int(live.FontChanged), 0);
        QCOMPARE(live.FontColor, 0x00563412U);
    }

    void ReopensOnThePageLastUsedAndTheBrowserPageOnRequest() {
        QTabWidget* pages = Find<QTabWidget>("OptsSheets");
        QCOMPARE(pages->currentWidget()->objectName(), QString("AlgoSheet"));
        Run([&] { pages->setCurrentWidget(Find<QWidget>("WipeSheet")); });
        Run([&] { QCOMPARE(pages->currentWidget()->objectName(), QString("WipeSheet")); });
        dialog->TurnToBrowserPage();
        Run([&] {
            QCOMPARE(pages->currentWidget()->objectName(), QString("BrowserSheet"));
            QVERIFY(Find<QPushButton>("OKButton")->hasFocus() || !dialog->isActiveWindow());
        });
    }

    void EveryControlHasItsCaptionAndHelpContext_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("help");
        const std::tuple<const char*, const char*, int> rows[] = {
            {"MixedEncryptionSwitch", "&Mixed Encryption", 402},
            {"ZeroCBCSwitch", "&Zero CBC and  random number generation", 403},
            {"SaveSensSwitch", "Sa&ve sensitive settings to VLT95.CFG", 404},
            {"IncFNameSwitch", "&Store original filenames", 405},
            {"RestFNameSwitch", "&Restore original filenames", 406},
            {"RestAttrSwitch", "Res&tore original attributes", 407},
            {"KeepDTSwitch", "Keep date+time sta&mps", 408},
            {"IgnoreCRC32Switch", "Ig&nore CRC32 errors", 409},
            {"ExtDestDialogSwitch", "&Query for destination", 410},
            {"RemoveOrigSwitch", "Remo&ve original files", 411},
            {"RenameSwitch", "Rename &encrypted files", 412},
            {"KeepExtSwitch", "&Keep file extensions", 413},
            {"CompressSwitch", "Co&mpress files", 414},
            {"ForceCompSwitch", "&Force compression", 415},
            {"OverWSwitch", "&Warn before overwriting existing files", 416},
            {"IgnoreAlreadyEncSwitch", "Ignore &already encrypted files", 417},
            {"VerifySwitch", "Ver&ify results before originals are removed", 429},
            {"WipeConfSwitch", "&File Wiping requires confirmation", 418},
            {"WipeSwitch", "&Wipe original files after encryption", 419},
            {"ParaWipeSwitch", "&SFS\u00A9 Wiping", 420},
            {"Info31", "N&umber of overwrites:", 421},
            {"ExclArchiveSwitch", "&Archive files", 422},
            {"ExclReadonlySwitch", "&Readonly files", 422},
            {"ExclHiddenSwitch", "Hi&dden files", 422},
            {"ExclSystemSwitch", "&System files", 422},
            {"Info41", "E&xamine file states:", 423},
            {"ShowDetailsSwitch", "Sho&w details", 424},
            {"ConfirmSwitch", "C&onfirmations", 425},
            {"FontButton", "&Font...", 426},
            {"VLT7CompSwitch", "VLT&7 compatibility", 428},
            {"OKButton", "&OK", 400},
            {"CancelButton", "&Cancel", 400},
            {"HelpButton", "&Help", 400},
        };
        for (const auto& [name, caption, help] : rows) {
            QTest::newRow(name) << QString(name) << QString::fromUtf8(caption) << help;
        }
    }
    void EveryControlHasItsCaptionAndHelpContext() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, help);
        QWidget* control = dialog->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        const QString text = control->property("text").toString();
        QCOMPARE(text, caption);
        QCOMPARE(HelpContextOf(control), help);
        for (const char* list : {"Algo1Box", "Algo2Box", "NumOfDODBox", "FileViewSetting"}) {
            QVERIFY(HelpContextOf(Find<QWidget>(list)) > 400);
        }
        QCOMPARE(dialog->windowTitle(), QString("Options"));
        QCOMPARE(Entries("FileViewSetting"), (QStringList{"Never", "Always", "Only on fixed disks"}));
    }
};

} // namespace vlt::ui

QTEST_MAIN(vlt::ui::TestOptionsDialog)
#include "test_options_dialog.moc"
