// Whole runs from the window as a user makes them: select files, press a batch button,
// answer the passphrase, destination and confirmation, read the log and the done
// dialog, save the messages; and a run stopped with the Stop button.
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <deque>
#include <functional>

#include "main_form_fixture.h"
#include "scripted_file_dialogs.h"
#include "scripted_message_boxes.h"
#include "ui/dest_dialog.h"
#include "ui/done_dialog.h"
#include "ui/password_dialog.h"
#include "ui/qt_job_host.h"
#include "ui/status_bar_x.h"
#include "ui/terminal_output.h"

using namespace vlt;
using namespace vlt::testing;

namespace {

// Steps a user takes while the window runs a batch (inside its modal dialogs and the
// run's message pump): each waits until its window is there, then acts.
class UserScript : public QObject {
public:
    UserScript() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
        timer_.start();
    }
    void Then(std::function<bool()> ready, std::function<void()> act) { steps_.push_back({std::move(ready), std::move(act)}); }
    [[nodiscard]] bool Done() const { return steps_.empty(); }
    [[nodiscard]] std::size_t Left() const { return steps_.size(); }

private:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    void Tick() {
        if (!steps_.empty() && !acting_ && steps_.front().ready()) {
            acting_ = true;
            Step step = std::move(steps_.front());
            steps_.pop_front();
            step.act();
            acting_ = false;
        }
    }
    std::deque<Step> steps_;
    QTimer timer_;
    bool acting_ = false;
};

template <typename T> T* Find(QWidget& in, const char* name) {
    T* widget = in.findChild<T*>(QLatin1String(name));
    if (widget == nullptr) {
        qFatal("no control %s", name);
    }
    return widget;
}

std::string ReadFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<unreadable>");
}

// The lines of a saved log, each of which must end in CR LF.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start != text.size()) {
        lines.push_back("<not ended by CR LF: " + text.substr(start) + ">");
    }
    return lines;
}

std::time_t ModificationTime(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mtime : -1;
}

} // namespace

class WindowRunsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainFormFixture> fixture;
    std::unique_ptr<ScriptedMessageBoxes> boxes;
    std::unique_ptr<ScriptedFileDialogs> files;
    std::string data;

    ui::QtJobHost& Host() { return fixture->Form().JobHostOf(); }
    void SelectFiles(const std::vector<std::string>& names) {
        QTreeView& view = fixture->Report();
        for (std::size_t i = 0; i < names.size(); ++i) {
            const int row = fixture->RowOf(names[i]);
            QVERIFY2(row >= 0, names[i].c_str());
            const QRect rect = view.visualRect(view.model()->index(row, 0));
            QTest::mouseClick(view.viewport(), Qt::LeftButton, i == 0 ? Qt::NoModifier : Qt::ControlModifier,
                              rect.center());
        }
    }
    // The passphrase dialog is up: type into the visible fields and press OK.
    void AnswerPassphrase(UserScript& user, const QString& passphrase) {
        user.Then([this] { return Host().PasswordDialog().isVisible(); },
                  [this, passphrase] {
                      ui::TPasswordDialog& dialog = Host().PasswordDialog();
                      for (const char* name : {"Passw1Box1", "Passw1Box2"}) {
                          auto* field = Find<QLineEdit>(dialog, name);
                          if (field->isVisible()) {
                              field->setFocus();
                              field->insert(passphrase); // as typed, whatever the keyboard layout
                          }
                      }
                      QTest::mouseClick(Find<QPushButton>(dialog, "OKButton"), Qt::LeftButton);
                  });
    }
    void LeaveFilesWhereTheyAre(UserScript& user) {
        user.Then([this] { return Host().DestDialog().isVisible(); },
                  [this] {
                      auto* cancel = Find<QPushButton>(Host().DestDialog(), "CancelButton");
                      QCOMPARE(cancel->text(), QStringLiteral("&Let the files where they are"));
                      QTest::mouseClick(cancel, Qt::LeftButton);
                  });
    }
    QString Count(const char* name) { return Find<QLabel>(Host().DoneDialog(), name)->text(); }
    void PressDoneOk() { QTest::mouseClick(Find<QPushButton>(Host().DoneDialog(), "OKButton"), Qt::LeftButton); }
    bool DoneShown() { return Host().DoneDialog().isVisible(); }

private slots:
    void init() {
        fixture = std::make_unique<MainFormFixture>();
        boxes = std::make_unique<ScriptedMessageBoxes>();
        files = std::make_unique<ScriptedFileDialogs>();
        data = fixture->Home() + "/data";
        QVERIFY(QDir().mkpath(QString::fromStdString(data)));
        SettingsRecord settings = MainFormFixture::Defaults();
        settings.FileViewSetting = 1; // the scanner examines every file
        QVERIFY(settings.SetCurrentPath(data + "/*.*"));
        fixture->Store(settings);
    }
    void cleanup() {
        fixture->Close();
        fixture.reset();
        files.reset();
        boxes.reset();
    }

    void encryptThreeFilesAndDecryptThemBack() {
        const std::vector<std::string> names = {"alpha.txt", "beta.doc", "gamma.bin"};
        std::map<std::string, std::string> contents;
        const std::time_t date = 981173106; // an even second in 2001
        for (const std::string& name : names) {
            contents[name] = "contents of " + name + std::string(1000, name[0]);
            WriteText(data + "/" + name, contents[name]);
            const utimbuf times{date, date};
            QCOMPARE(::utime((data + "/" + name).c_str(), &times), 0);
        }
        ui::TMainForm& form = fixture->Start();
        QStringList titles;
        connect(&form, &QWidget::windowTitleChanged, this, [&](const QString& title) { titles << title; });
        SelectFiles(names);
        QVERIFY(fixture->Button("EncryptButton").isEnabled());

        UserScript user;
        AnswerPassphrase(user, "secret");
        LeaveFilesWhereTheyAre(user);
        boxes->Answer(MsgAnswer::Yes); // "Should the 3 single selected file(s) be encrypted now?"
        const std::string saved = fixture->Home() + "/messages.txt";
        user.Then([this] { return DoneShown(); },
                  [&] {
                      // A failed comparison ends the lambda; the run must end all the same.
                      const auto closeDone = qScopeGuard([this] { PressDoneOk(); });
                      QCOMPARE(boxes->shown.back().caption, std::string("Confirmation required"));
                      QCOMPARE(boxes->shown.back().text,
                               std::string("Should the 3 single selected file(s) be encrypted now?"));
                      QCOMPARE(Count("InfoTried"), QStringLiteral("3"));
                      QCOMPARE(Count("InfoSuccess"), QStringLiteral("3"));
                      QCOMPARE(Count("InfoErrors"), QStringLiteral("0"));
                      QCOMPARE(Count("Info2"), QStringLiteral("Files encrypted successfully:"));
                      // The log stands in the browser's place, the bar in the status bar's.
                      QVERIFY(Find<ui::TerminalOutput>(form, "TerminalOutput")->isVisible());
                      QVERIFY(!fixture->Form().FileView().isVisible());
                      QVERIFY(Find<ui::StatusBarX>(form, "StatusBarX")->isVisible());
                      QCOMPARE(Find<ui::StatusBarX>(form, "StatusBarX")->Percent(), 100);
                      QVERIFY(!fixture->Button("OptionsButton").isEnabled());
                      files->nextName = QString::fromStdString(saved);
                      QTest::mouseClick(Find<QPushButton>(Host().DoneDialog(), "SaveMessButton"), Qt::LeftButton);
                  });
        QTest::mouseClick(&fixture->Button("EncryptButton"), Qt::LeftButton);
        QVERIFY2(user.Done(), "the run did not take every step");

        const std::vector<std::string> lines = Lines(ReadFile(saved));
        QCOMPARE(lines.size(), std::size_t{5});
        QCOMPARE(lines[0], std::string("Searching for single selected files..."));
        QVERIFY(lines[1].find(" file(s) found, ") != std::string::npos);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string prefix = "  encrypting " + data + "/";
            QVERIFY2(lines[2 + i].rfind(prefix, 0) == 0, lines[2 + i].c_str());
            QVERIFY2(lines[2 + i].size() > 6 && lines[2 + i].substr(lines[2 + i].size() - 6) == " done.",
                     lines[2 + i].c_str());
        }

        // Back to idle: browser relisted, title and buttons restored.
        QCOMPARE(titles.first(), QStringLiteral("Vaultane 95 - 0%"));
        QVERIFY(titles.contains(QStringLiteral("Vaultane 95 - 100%")));
        QCOMPARE(form.windowTitle(), QStringLiteral("Vaultane 95"));
        QVERIFY(fixture->Form().FileView().isVisible());
        QCOMPARE(fixture->Button("EncryptButton").text(), QStringLiteral("&Encrypt"));
        QVERIFY(!fixture->Button("EncryptButton").isEnabled());
        QVERIFY(fixture->Button("OptionsButton").isEnabled());
        QCOMPARE(fixture->Button("EncryptButton").toolTip(), QStringLiteral("Encrypt selected files"));
        const auto state = [&](const std::string& name) {
            const int row = fixture->RowOf(name);
            return row < 0 ? std::string("<missing>") : fixture->Form().BrowserItems().Model().Item(row).SubItem(colState);
        };
        for (const std::string& name : names) {
            QVERIFY(QTest::qWaitFor([&] { return state(name) == "Encrypted with VLT95"; }, 5000));
            QVERIFY(ReadFile(data + "/" + name) != contents[name]);
        }

        // Decrypt them back.
        SelectFiles(names);
        AnswerPassphrase(user, "secret");
        LeaveFilesWhereTheyAre(user);
        boxes->Answer(MsgAnswer::Yes);
        user.Then([this] { return DoneShown(); },
                  [this] {
                      const auto closeDone = qScopeGuard([this] { PressDoneOk(); });
                      QCOMPARE(Count("InfoSuccess"), QStringLiteral("3"));
                      QCOMPARE(Count("InfoErrors"), QStringLiteral("0"));
                  });
        QTest::mouseClick(&fixture->Button("DecryptButton"), Qt::LeftButton);
        QVERIFY2(user.Done(), "the decryption did not take every step");
        for (const std::string& name : names) {
            QCOMPARE(ReadFile(data + "/" + name), contents[name]);
            QCOMPARE(ModificationTime(data + "/" + name), date);
        }
        QCOMPARE(ListNames(data), (std::vector<std::string>{"alpha.txt", "beta.doc", "gamma.bin"}));
    }

    // One typed passphrase with characters beyond ASCII opens the same files in the
    // window and in vlt95-cli, both ways.
    void passphraseTextIsTheSameInBothPrograms() {
        const QString typed = QString::fromUtf8("p\xC3\xA4\xE2\x82\xAC" "ss"); // "pä€ss"
        WriteText(data + "/from-cli.txt", "written by the terminal");
        WriteText(data + "/from-window.txt", "written by the window");
        const auto cli = [&](const char* command, const std::string& file) {
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("VLT95_PASSPHRASE", typed);
            process.setProcessEnvironment(environment);
            process.start(VLT_CLI_PATH, {command, "--config", QString::fromStdString(fixture->Home() + "/none.cfg"),
                                         "--yes", "--quiet", QString::fromStdString(data + "/" + file)});
            return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
                       ? process.exitCode()
                       : -1;
        };
        QCOMPARE(cli("encrypt", "from-cli.txt"), 0);
        fixture->Start();

        UserScript user;
        const auto runOn = [&](const std::string& name, const char* button) {
            SelectFiles({name});
            AnswerPassphrase(user, typed);
            LeaveFilesWhereTheyAre(user);
            boxes->Answer(MsgAnswer::Yes);
            user.Then([this] { return DoneShown(); },
                      [this] {
                          const auto closeDone = qScopeGuard([this] { PressDoneOk(); });
                          QCOMPARE(Count("InfoSuccess"), QStringLiteral("1"));
                      });
            QTest::mouseClick(&fixture->Button(button), Qt::LeftButton);
            QVERIFY(user.Done());
        };
        runOn("from-cli.txt", "DecryptButton");
        QCOMPARE(ReadFile(data + "/from-cli.txt"), std::string("written by the terminal"));
        runOn("from-window.txt", "EncryptButton");
        QVERIFY(ReadFile(data + "/from-window.txt") != "written by the window");
        QCOMPARE(cli("decrypt", "from-window.txt"), 0);
        QCOMPARE(ReadFile(data + "/from-window.txt"), std::string("written by the window"));
    }

    void stopAsksAndYesEndsTheRun() {
        const std::string big = data + "/big.bin";
        const std::vector<std::uint8_t> bytes = PatternBytes(48u << 20, 7);
        WriteBytes(big, bytes);
        fixture->Start();
        SelectFiles({"big.bin"});

        UserScript user;
        AnswerPassphrase(user, "secret");
        LeaveFilesWhereTheyAre(user);
        boxes->Answer(MsgAnswer::Yes); // the confirmation
        const auto stopShown = [this] {
            return fixture->Button("EncryptButton").text() == QStringLiteral("&Stop...") &&
                   fixture->Form().State().FileProgress > 0;
        };
        user.Then(stopShown, [this] {
            boxes->Answer(MsgAnswer::No);
            QTest::mouseClick(&fixture->Button("EncryptButton"), Qt::LeftButton);
            QCOMPARE(boxes->shown.back().caption, std::string("User break detected"));
            QCOMPARE(boxes->shown.back().text, std::string("Do you really want to break?"));
            QCOMPARE(boxes->shown.back().icon, MsgIcon::Question);
            QCOMPARE(boxes->shown.back().buttons, MsgButtons::YesNo);
            QVERIFY(!fixture->Form().State().UserBreak);
        });
        std::int64_t progressAfterNo = 0;
        user.Then([&] { return fixture->Form().State().JobActive; },
                  [&] { progressAfterNo = fixture->Form().State().FileProgress; });
        user.Then([&] { return fixture->Form().State().FileProgress > progressAfterNo; }, // No left it running
                  [this] {
                      boxes->Answer(MsgAnswer::Yes);
                      QTest::mouseClick(&fixture->Button("EncryptButton"), Qt::LeftButton);
                      QVERIFY(fixture->Form().State().UserBreak);
                  });
        const std::string saved = fixture->Home() + "/stopped.txt";
        user.Then([this] { return DoneShown(); },
                  [&] {
                      const auto closeDone = qScopeGuard([this] { PressDoneOk(); });
                      QCOMPARE(Count("InfoTried"), QStringLiteral("1"));
                      QCOMPARE(Count("InfoSuccess"), QStringLiteral("0"));
                      QCOMPARE(Count("InfoErrors"), QStringLiteral("0"));
                      files->nextName = QString::fromStdString(saved);
                      QTest::mouseClick(Find<QPushButton>(Host().DoneDialog(), "SaveMessButton"), Qt::LeftButton);
                  });
        QTest::mouseClick(&fixture->Button("EncryptButton"), Qt::LeftButton);
        QVERIFY2(user.Done(), "the stopped run did not take every step");
        const std::vector<std::string> lines = Lines(ReadFile(saved));
        QCOMPARE(lines.size(), std::size_t{3});
        QCOMPARE(lines[2], "  encrypting " + big + " (50,331,648 bytes),  USER BREAK");
        QCOMPARE(ReadBytes(big), bytes); // the original is untouched
        QCOMPARE(ListNames(data), (std::vector<std::string>{"big.bin"}));
        QVERIFY(!fixture->Form().State().JobActive);
    }
};

QTEST_MAIN(WindowRunsTest)
#include "test_window_runs.moc"
