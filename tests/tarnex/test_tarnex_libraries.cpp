// The three cipher libraries loaded as the program loads them, driven through their entry points.

#include "tarnex/library_binding.h"
#include "tarnex/tarnex95_app.h"
#include "tarnex_doubles.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace tarnex;
using namespace tarnex::testing;

namespace {

// Header and tag that every method adds.
constexpr qint64 kSealOverhead = 96;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray RandomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes) {
        byte = char(QRandomGenerator::global()->bounded(256));
    }
    return bytes;
}

// The method under test called the way the dialog calls it. For File the key is the key file's path
// and the direction is found from the file.
using MethodCall = bool (*)(CipherLibraries&, const QString&, const QString&, char);

bool CallTarnex(CipherLibraries& c, const QString& f, const QString& k, char d) {
    return c.Tarnex(f, k, d);
}
bool CallKeyFile(CipherLibraries& c, const QString& f, const QString& k, char) {
    return c.KeyFile(f, k);
}
bool CallChaos(CipherLibraries& c, const QString& f, const QString& k, char d) {
    return c.Chaos(f, k, d);
}
bool CallChaos2(CipherLibraries& c, const QString& f, const QString& k, char d) {
    return c.Chaos2(f, k, d);
}

} // namespace

Q_DECLARE_METATYPE(MethodCall)

class TestTarnexLibraries : public QObject {
    Q_OBJECT

    ScriptedMessageBoxes messages_;
    std::unique_ptr<TLibraryBinding> libraries_;
    std::unique_ptr<QTemporaryDir> dir_;

    QString Path(const QString& name) const { return dir_->filePath(name); }

    // A key for the method: the typed key, or for File a key file of `size` random bytes.
    QString MakeKey(MethodCall call, const QString& name, qsizetype size) {
        if (call != &CallKeyFile) {
            return name;
        }
        WriteAll(Path(name), RandomBytes(size));
        return Path(name);
    }

private slots:
    void initTestCase() {
        QString error;
        libraries_ = TLibraryBinding::Load({QStringLiteral(TARNEX_LIBRARY_DIR)}, messages_, error);
        QVERIFY2(libraries_ != nullptr, qPrintable(error));
    }
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        messages_.shown.clear();
        libraries_->SetLanguage(1);
    }

    void roundTripRestoresEveryByte_data() {
        QTest::addColumn<MethodCall>("call");
        QTest::addColumn<qsizetype>("size");
        const std::pair<const char*, MethodCall> methods[] = {
            {"Tarnex", &CallTarnex}, {"File", &CallKeyFile}, {"Chaos", &CallChaos}, {"Chaos2", &CallChaos2}};
        // Empty, one byte, and more than one 64 KiB piece.
        for (const auto& [name, call] : methods) {
            for (const qsizetype size : {qsizetype(0), qsizetype(1), qsizetype(200000)}) {
                QTest::addRow("%s, %lld bytes", name, qlonglong(size)) << call << size;
            }
        }
    }
    void roundTripRestoresEveryByte() {
        QFETCH(MethodCall, call);
        QFETCH(qsizetype, size);
        const QString file = Path(QStringLiteral("data.bin"));
        const QByteArray original = RandomBytes(size);
        WriteAll(file, original);
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QString key = MakeKey(call, QStringLiteral("key ä with umlaut"), size);

        QVERIFY(call(*libraries_, file, key, 0));
        const QByteArray sealed = ReadAll(file);
        QCOMPARE(sealed.size(), size + kSealOverhead);
        QVERIFY(size < 16 || !sealed.contains(original));
        QVERIFY(call(*libraries_, file, key, 1));
        QCOMPARE(ReadAll(file), original);
        QCOMPARE(messages_.shown.size(), 0);
        // Permissions survive and no work file is left beside the file.
        QCOMPARE(QFile::permissions(file),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
        QStringList expected{QStringLiteral("data.bin")};
        if (call == &CallKeyFile) {
            expected.append(QFileInfo(key).fileName());
            expected.sort();
        }
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    }

    void encryptingTwiceNeedsTwoDecryptions() {
        const QString file = Path(QStringLiteral("twice.txt"));
        WriteAll(file, "twice");
        QVERIFY(libraries_->Tarnex(file, QStringLiteral("k"), 0));
        QVERIFY(libraries_->Tarnex(file, QStringLiteral("k"), 0));
        QVERIFY(libraries_->Tarnex(file, QStringLiteral("k"), 1));
        QVERIFY(libraries_->Tarnex(file, QStringLiteral("k"), 1));
        QCOMPARE(ReadAll(file), QByteArray("twice"));
    }

    void refusalsLeaveTheFileAsItWas_data() {
        QTest::addColumn<MethodCall>("call");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        const std::pair<const char*, MethodCall> methods[] = {
            {"Tarnex", &CallTarnex}, {"File", &CallKeyFile}, {"Chaos", &CallChaos}, {"Chaos2", &CallChaos2}};
        for (const auto& [name, call] : methods) {
            QTest::addRow("%s: wrong key", name) << call << "wrong key"
                                                 << "Errormessage / Wrong key, file unchanged!";
            QTest::addRow("%s: damaged", name) << call << "damaged"
                                               << "Errormessage / File damaged, unchanged!";
            QTest::addRow("%s: cut short", name) << call << "cut short"
                                                 << "Errormessage / File damaged, unchanged!";
            QTest::addRow("%s: missing file", name) << call << "missing"
                                                    << "Errormessage / Cannot read file!";
        }
        for (const auto& [name, call] : {methods[0], methods[2], methods[3]}) {
            QTest::addRow("%s: plain file", name) << call << "plain"
                                                  << "Errormessage / Not encrypted by this method!";
        }
        QTest::addRow("Chaos file opened by Chaos2") << MethodCall(&CallChaos2) << "sealed by Chaos"
                                                     << "Errormessage / Not encrypted by this method!";
        QTest::addRow("Tarnex file opened by Chaos") << MethodCall(&CallChaos) << "sealed by Tarnex"
                                                     << "Errormessage / Not encrypted by this method!";
        QTest::addRow("German: wrong key") << MethodCall(&CallChaos) << "wrong key, German"
                                           << "Fehlermeldung / Falscher Schlüssel, Datei unverändert!";
    }
    void refusalsLeaveTheFileAsItWas() {
        QFETCH(MethodCall, call);
        QFETCH(QString, fault);
        QFETCH(QString, message);
        const QString file = Path(QStringLiteral("victim.txt"));
        const QByteArray original = RandomBytes(70000);
        WriteAll(file, original);
        const QString key = MakeKey(call, QStringLiteral("right key"), original.size());
        if (fault.startsWith(QStringLiteral("sealed by Chaos"))) {
            QVERIFY(libraries_->Chaos(file, key, 0));
        } else if (fault.startsWith(QStringLiteral("sealed by Tarnex"))) {
            QVERIFY(libraries_->Tarnex(file, key, 0));
        } else if (fault != QStringLiteral("plain")) {
            QVERIFY(call(*libraries_, file, key, 0));
        }
        QByteArray before = ReadAll(file);
        QString decryptKey = key;
        if (fault.startsWith(QStringLiteral("wrong key"))) {
            decryptKey = MakeKey(call, QStringLiteral("wrong key"), original.size());
        } else if (fault == QStringLiteral("damaged")) {
            before[before.size() / 2] = char(before[before.size() / 2] ^ 1);
            WriteAll(file, before);
        } else if (fault == QStringLiteral("cut short")) {
            before.chop(1);
            WriteAll(file, before);
        } else if (fault == QStringLiteral("missing")) {
            QVERIFY(QFile::remove(file));
            before.clear();
        }
        if (fault.endsWith(QStringLiteral("German"))) {
            libraries_->SetLanguage(0);
        }

        QVERIFY(!call(*libraries_, file, decryptKey, 1));
        QCOMPARE(messages_.Texts(), QStringList{message});
        QCOMPARE(messages_.shown.first().icon, MessageIcon::Stop);
        QCOMPARE(ReadAll(file), before);
        QCOMPARE(QFile::exists(file), fault != QStringLiteral("missing"));
    }

    void keyFileShorterThanFileIsRefusedInBothLanguages() {
        const QString file = Path(QStringLiteral("long.txt"));
        WriteAll(file, RandomBytes(1000));
        const QString keyFile = Path(QStringLiteral("short.key"));
        WriteAll(keyFile, RandomBytes(999));
        const QByteArray before = ReadAll(file);
        QVERIFY(!libraries_->KeyFile(file, keyFile));
        libraries_->SetLanguage(0);
        QVERIFY(!libraries_->KeyFile(file, keyFile));
        QCOMPARE(messages_.Texts(), QStringList({"Errormessage / Keyfilesize < filesize!",
                                                 "Fehlermeldung / Schlüsseldatei < zu verschl. Datei!"}));
        QCOMPARE(ReadAll(file), before);
    }

    void keyFileMayNotBeTheFileItself() {
        const QString file = Path(QStringLiteral("self.txt"));
        WriteAll(file, "content that would be lost");
        QVERIFY(QFile::link(file, Path(QStringLiteral("alias.key"))));
        QVERIFY(!libraries_->KeyFile(file, Path(QStringLiteral("alias.key"))));
        QCOMPARE(messages_.Texts(), QStringList{"Errormessage / Keyfile = file!"});
        QCOMPARE(ReadAll(file), QByteArray("content that would be lost"));
    }

    void unwritableDirectoryLeavesTheFile() {
        if (::geteuid() == 0) {
            QSKIP("permissions do not bind the superuser");
        }
        const QString file = Path(QStringLiteral("locked/plain.txt"));
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("locked")));
        WriteAll(file, "stays");
        QVERIFY(QFile::setPermissions(Path(QStringLiteral("locked")), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!libraries_->Chaos(file, QStringLiteral("k"), 0));
        QVERIFY(QFile::setPermissions(Path(QStringLiteral("locked")),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(messages_.Texts(), QStringList{"Errormessage / Cannot write, file unchanged!"});
        QCOMPARE(ReadAll(file), QByteArray("stays"));
    }

    // A file-size limit makes every write past it fail as a full disk would.
    void fullDiskLeavesTheFileAndNoWorkFile() {
        const QString file = Path(QStringLiteral("big.txt"));
        const QByteArray original = RandomBytes(200000);
        WriteAll(file, original);
        struct rlimit saved {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = saved;
        limited.rlim_cur = 100000;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        const bool succeeded = libraries_->Tarnex(file, QStringLiteral("k"), 0);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &saved), 0);
        std::signal(SIGXFSZ, savedSignal);
        QVERIFY(!succeeded);
        QCOMPARE(messages_.Texts(), QStringList{"Errormessage / Cannot write, file unchanged!"});
        QCOMPARE(ReadAll(file), original);
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"big.txt"});
    }

    void missingLibraryIsNamedInLoadingOrder() {
        QTemporaryDir partial;
        QString error;
        QVERIFY(TLibraryBinding::Load({partial.path()}, messages_, error) == nullptr);
        QVERIFY2(error.contains(QStringLiteral("libtarnexkf.so")), qPrintable(error));
        QVERIFY(QFile::copy(QStringLiteral(TARNEX_LIBRARY_DIR "/libtarnexkf.so"), partial.filePath("libtarnexkf.so")));
        QVERIFY(TLibraryBinding::Load({partial.path()}, messages_, error) == nullptr);
        QVERIFY2(error.contains(QStringLiteral("libtarnexch.so")), qPrintable(error));
        // A later directory supplies what the first lacks.
        QVERIFY(TLibraryBinding::Load({partial.path(), QStringLiteral(TARNEX_LIBRARY_DIR)}, messages_, error));
    }

    void dialogRoundTripThroughTheLibraries() {
        const QString file = Path(QStringLiteral("dialog.txt"));
        WriteAll(file, "handed over by the dialog");
        TProgramState state;
        state.start = {file, QString(60, u'c'), 0};
        ScriptedFileChooser files;
        RecordingProgramStarter programs;
        TTarnex95Frame frame(state, {messages_, *libraries_, files, programs});
        frame.show();
        frame.findChild<QRadioButton*>("ChaosRadio")->click();
        frame.findChild<QPushButton*>("OkButton")->click();
        QVERIFY(ReadAll(file) != QByteArray("handed over by the dialog"));
        frame.findChild<QRadioButton*>("ChaosRadio")->click();
        frame.findChild<QRadioButton*>("DeCryptRadio")->click();
        frame.findChild<QPushButton*>("OkButton")->click();
        QCOMPARE(ReadAll(file), QByteArray("handed over by the dialog"));
        QCOMPARE(messages_.Texts(), QStringList(2, QStringLiteral("MESSAGE / Operation completed!")));

        // A wrong key: the library's message only, the file untouched.
        QVERIFY(libraries_->Chaos(file, QStringLiteral("k"), 0));
        const QByteArray sealed = ReadAll(file);
        messages_.shown.clear();
        frame.findChild<QRadioButton*>("ChaosRadio")->click();
        frame.findChild<QRadioButton*>("DeCryptRadio")->click();
        frame.findChild<QPushButton*>("OkButton")->click();
        QCOMPARE(messages_.Texts(), QStringList{"Errormessage / Wrong key, file unchanged!"});
        QCOMPARE(ReadAll(file), sealed);
    }
};

QTEST_MAIN(TestTarnexLibraries)
#include "test_tarnex_libraries.moc"
