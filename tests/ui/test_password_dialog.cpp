// The passphrase dialog driven through its controls: layout by mode, labels and
// lengths, masking and mirroring, numerical input, OK's checks with their messages and
// focus, the repeated-parts question, Cancel, the stores, and TEMPEST mode.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "scripted_message_boxes.h"
#include "settings/settings_file.h"
#include "ui/password_dialog.h"

using namespace vlt;
using namespace vlt::ui;
using vlt::testing::ScriptedMessageBoxes;

namespace {

std::string Bytes(const SecureBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());
}

} // namespace

class PasswordDialogTest : public QObject {
    Q_OBJECT

private:
    SettingsRecord settings{};
    std::unique_ptr<KeyboardLayer> keyboard;
    std::unique_ptr<TPasswordDialog> dialog;
    std::unique_ptr<ScriptedMessageBoxes> boxes;

    template <typename T = QWidget> T* Find(const char* name) {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            qFatal("no control %s", name);
        }
        return widget;
    }
    QLineEdit* Field(const char* name) { return Find<QLineEdit>(name); }
    void Show(bool encrypt) {
        dialog->EncryptMode = encrypt;
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }
    // Keys for Latin-1 text; other characters arrive as an input method would insert them.
    void Type(const char* field, const QString& text) {
        Field(field)->setFocus();
        for (const QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(Field(field), c.toLatin1());
            } else {
                Field(field)->insert(c);
            }
        }
    }
    // A check box takes clicks on its mark and caption only, not on the whole row.
    void Tick(const char* name) {
        auto* box = Find<QCheckBox>(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    void PressOk() { QTest::mouseClick(Find<QPushButton>("OKButton"), Qt::LeftButton); }
    // The one box shown since the last call: its caption and text.
    QString LastMessage() {
        if (boxes->shown.empty()) {
            return QStringLiteral("(none)");
        }
        const auto& box = boxes->shown.back();
        const QString message = QString::fromStdString(box.caption + "|" + box.text);
        boxes->shown.clear();
        return message;
    }

private slots:
    void init() {
        DefaultSettings(settings, 1024, 768);
        settings.Algo1Box = 1;
        settings.Algo2Box = 3;
        settings.MixedEncryptionSwitch = 0;
        settings.VLT7CompSwitch = 0;
        settings.ShowPassSwitch = 0;
        settings.SecColSwitch = 0;
        settings.NumSwitch = 0;
        keyboard = MakeInProcessKeyboard();
        dialog = std::make_unique<TPasswordDialog>(settings, *keyboard);
        boxes = std::make_unique<ScriptedMessageBoxes>();
    }
    void cleanup() {
        dialog.reset();
        boxes.reset();
    }

    void layoutFollowsModeAndMixedEncryption() {
        settings.MixedEncryptionSwitch = 1;
        Show(true);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Encryption Passphrases"));
        QCOMPARE(Find<QLabel>("Info11")->text(), QStringLiteral("&Enter Passphrase for Blowfish:"));
        QCOMPARE(Find<QLabel>("Info21")->text(), QStringLiteral("Enter Passp&hrase for Gost:"));
        QCOMPARE(Find<QLabel>("Info12")->text(), QStringLiteral("Confir&m:"));
        QVERIFY(Field("Passw2Box2")->isVisible());
        QCOMPARE(dialog->focusWidget(), Field("Passw1Box1"));
        const int mixedHeight = dialog->height();
        QVERIFY(mixedHeight >= 290);
        dialog->reject();

        settings.MixedEncryptionSwitch = 0;
        Show(false);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Decryption Passphrase"));
        QCOMPARE(dialog->height(), mixedHeight - 110);
        QVERIFY(!Field("Passw1Box2")->isVisible());
        QVERIFY(!Find<QLabel>("Info12")->isVisible());
        QVERIFY(!Field("Passw2Box1")->isVisible());
        QVERIFY(!Find<QWidget>("Divider")->isVisible());
    }

    void vlt7LimitsAreLabelsAndLengths() {
        settings.VLT7CompSwitch = 1;
        settings.Algo1Box = 4;
        Show(true);
        QCOMPARE(Find<QLabel>("Info11")->text(), QStringLiteral("&Enter Passphrase for TDES (21 char. max.) :"));
        QCOMPARE(Field("Passw1Box1")->maxLength(), 21);
        Type("Passw1Box1", QString(30, 'x'));
        QCOMPARE(Field("Passw1Box1")->text().size(), 21);
        // Numerical input takes the longer decimal form; switching it off restores the limit.
        Tick("NumSwitch");
        QCOMPARE(Field("Passw1Box1")->maxLength(), 255);
        Tick("NumSwitch");
        QCOMPARE(Field("Passw1Box1")->maxLength(), 21);
        QCOMPARE(Field("Passw1Box1")->text(), QString());
    }

    void okChecksInOrderWithMessagesAndFocus() {
        settings.MixedEncryptionSwitch = 1;
        Show(true);
        Type("Passw1Box1", "ab");
        Type("Passw1Box2", "ab");
        Type("Passw2Box1", "xyz");
        Type("Passw2Box2", "xyw");
        PressOk();
        QCOMPARE(LastMessage(), QStringLiteral("Passphrases Input Error|There are differences between passphrases and "
                                               "confirmations!\r\nPlease check your input."));
        QCOMPARE(dialog->focusWidget(), Field("Passw2Box2"));
        QVERIFY(dialog->isVisible());
        QCOMPARE(Field("Passw2Box2")->text(), QStringLiteral("xyw")); // the typed text stays

        Field("Passw2Box2")->setText("xyz");
        PressOk();
        QCOMPARE(LastMessage(),
                 QStringLiteral("Passphrases Input Error|The passphrase is too short (min. 3 char.) !\r\nPlease check "
                                "your input!"));
        QCOMPARE(dialog->focusWidget(), Field("Passw1Box1"));

        Field("Passw1Box1")->setText("abc");
        Field("Passw1Box2")->setText("abc");
        PressOk();
        QCOMPARE(LastMessage(), QStringLiteral("(none)"));
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(Field("Passw1Box1")->text(), QString()); // emptied on close
        SecureBuffer first, second;
        QVERIFY(dialog->GetPassphrases(first, second));
        QCOMPARE(Bytes(first), std::string("abc"));
        QCOMPARE(Bytes(second), std::string("xyz"));
    }

    void decryptingMeasuresButDoesNotCompare() {
        Show(false);
        Type("Passw1Box1", "ab");
        PressOk();
        QVERIFY(LastMessage().contains("too short"));
        QTest::keyClicks(Field("Passw1Box1"), "cd");
        PressOk();
        QCOMPARE(LastMessage(), QStringLiteral("(none)"));
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    void typedTextBecomesWindows1252Bytes() {
        Show(true);
        Type("Passw1Box1", QString::fromUtf8("p\xC3\xA4\xE2\x82\xAC" "ss"));
        Type("Passw1Box2", QString::fromUtf8("p\xC3\xA4\xE2\x82\xAC" "ss"));
        PressOk();
        SecureBuffer first, second;
        QVERIFY(dialog->GetPassphrases(first, second));
        QCOMPARE(Bytes(first), std::string("p\xE4\x80ss"));

        Show(true);
        Type("Passw1Box1", QString::fromUtf8("abc\xE2\x88\x9A"));
        Type("Passw1Box2", QString::fromUtf8("abc\xE2\x88\x9A"));
        PressOk();
        QCOMPARE(LastMessage(), QString::fromUtf8("Passphrase Input Error|The character \"\xE2\x88\x9A\" cannot be "
                                                  "used in a passphrase.\r\nPlease check your input!"));
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->GetPassphrases(first, second));
    }

    void showPassphraseUnmasksAndMirrors() {
        Show(true);
        QCOMPARE(Field("Passw1Box1")->echoMode(), QLineEdit::Password);
        Tick("ShowPassSwitch");
        QCOMPARE(settings.ShowPassSwitch, std::uint8_t{1}); // written at once
        QCOMPARE(Field("Passw2Box2")->echoMode(), QLineEdit::Normal);
        Type("Passw1Box1", "visible");
        QCOMPARE(Field("Passw1Box2")->text(), QStringLiteral("visible"));
        dialog->reject();
        QCOMPARE(settings.ShowPassSwitch, std::uint8_t{1}); // whatever closed the dialog
    }

    void numericalInputConvertsAndDecodes() {
        Show(true);
        Type("Passw1Box1", "ab");
        Tick("NumSwitch");
        QCOMPARE(settings.NumSwitch, std::uint8_t{1});
        QCOMPARE(Field("Passw1Box1")->text(), QStringLiteral("97,98"));
        Field("Passw1Box1")->setText(" 0, 0,0 ");
        Field("Passw1Box2")->setText("0,00,0");
        PressOk();
        QCOMPARE(LastMessage(),
                 QStringLiteral("Passphrase Input Error|Numerical input contains errors.\r\nPlease check your input!"));
        Field("Passw1Box2")->setText("0,0,0");
        PressOk();
        SecureBuffer first, second;
        QVERIFY(dialog->GetPassphrases(first, second));
        QCOMPARE(Bytes(first), std::string(3, '\0'));

        settings.VLT7CompSwitch = 1;
        settings.Algo1Box = 4;
        Show(true);
        QString decimal = "1";
        for (int i = 2; i <= 22; ++i) {
            decimal += "," + QString::number(i);
        }
        Field("Passw1Box1")->setText(decimal);
        Field("Passw1Box2")->setText(decimal);
        PressOk();
        QCOMPARE(LastMessage(),
                 QStringLiteral("Passphrase Input Error|Numerical password too long.\r\nPlease check your input!"));
        dialog->reject();
    }

    void repeatedPartsQuestionOnlyWithVlt7WhenEncrypting() {
        settings.VLT7CompSwitch = 1;
        Show(true);
        Type("Passw1Box1", "abcabc");
        Type("Passw1Box2", "abcabc");
        boxes->Answer(MsgAnswer::No);
        PressOk();
        QCOMPARE(boxes->shown.back().caption, std::string("Passphrase Input Warning"));
        QCOMPARE(boxes->shown.back().buttons, MsgButtons::YesNo);
        boxes->shown.clear();
        QVERIFY(dialog->isVisible());
        boxes->Answer(MsgAnswer::Yes);
        PressOk();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));

        settings.VLT7CompSwitch = 0;
        Show(true);
        Type("Passw1Box1", "abcabc");
        Type("Passw1Box2", "abcabc");
        PressOk(); // no question: ScriptedMessageBoxes would fail the test
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    void cancelAndEscapeAndFrameClose() {
        Show(true);
        Type("Passw1Box1", "first");
        Type("Passw1Box2", "second");
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        SecureBuffer first, second;
        QVERIFY(!dialog->GetPassphrases(first, second));

        // An accepted entry, then a showing closed by its frame: nothing handed out.
        Show(true);
        Type("Passw1Box1", "secret");
        Type("Passw1Box2", "secret");
        PressOk();
        QVERIFY(dialog->GetPassphrases(first, second));
        Show(true);
        dialog->close();
        QVERIFY(!dialog->isVisible());
        QVERIFY(!dialog->GetPassphrases(first, second));
    }

    void tempestFlickersAndRestoresScrollLock() {
        settings.SecColSwitch = 1;
        keyboard->ScrollLockEvent(true); // Scroll Lock on when TEMPEST starts
        keyboard->ScrollLockEvent(false);
        Show(true);
        QVERIFY(Find<QTimer>("Flimmer")->isActive());
        QCOMPARE(Find<QTimer>("Flimmer")->interval(), 40);
        QVERIFY(Find<QTimer>("KBNoiser")->isActive());
        const auto base = [&](const char* name) { return Field(name)->palette().color(QPalette::Base); };
        const auto text = [&](const char* name) { return Field(name)->palette().color(QPalette::Text); };
        QVERIFY(QMetaObject::invokeMethod(dialog.get(), "FlimmerTimer"));
        QCOMPARE(base("Passw1Box1"), QColor(255, 0, 0)); // phase 0: tone colour behind blue text
        QCOMPARE(text("Passw1Box1"), QColor(0, 0, 255));
        QCOMPARE(base("Passw1Box2"), QColor(0, 0, 255));
        QVERIFY(QMetaObject::invokeMethod(dialog.get(), "FlimmerTimer"));
        QCOMPARE(base("Passw1Box1"), QColor(0, 0, 255));
        QCOMPARE(text("Passw1Box1"), QColor(255, 0, 0));
        QTest::qWait(30); // the noise runs from the event loop
        QVERIFY(QMetaObject::invokeMethod(dialog.get(), "KBNoiserTimer")); // leave Scroll Lock pressed and flipped
        dialog->reject();
        QVERIFY(!Find<QTimer>("KBNoiser")->isActive());
        QVERIFY(!Find<QTimer>("Flimmer")->isActive());
        QCOMPARE(keyboard->GetKeyboardState()[kVkScroll] & kKeyToggled, int(kKeyToggled));

        // Decrypting flickers green; unticking stops and gives the system colours back.
        Show(false);
        QVERIFY(QMetaObject::invokeMethod(dialog.get(), "FlimmerTimer"));
        QCOMPARE(base("Passw1Box1"), QColor(0, 255, 0));
        Tick("SecColSwitch");
        QCOMPARE(settings.SecColSwitch, std::uint8_t{0});
        QVERIFY(!Find<QTimer>("Flimmer")->isActive());
        QCOMPARE(base("Passw1Box1"), QGuiApplication::palette().color(QPalette::Base));
        dialog->reject();
    }
};

QTEST_MAIN(PasswordDialogTest)
#include "test_password_dialog.moc"
