// Start values, string table, registry store and registration of tarnex95.

#include "tarnex/desktop_services.h"
#include "tarnex/registry.h"
#include "tarnex/start_values.h"
#include "tarnex/string_table.h"
#include "tarnex/tarnex95_app.h"
#include "tarnex_doubles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnex;
using namespace tarnex::testing;

class TestTarnexProgram : public QObject {
    Q_OBJECT
private slots:
    void commandLineFillsStartValues_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("unregister");
        QTest::newRow("none") << QStringList() << ""
                              << "" << 0 << false;
        QTest::newRow("file only") << QStringList{"a.txt"} << "a.txt"
                                   << "" << 0 << false;
        QTest::newRow("file and key") << QStringList{"a.txt", "k"} << "a.txt"
                                      << "k" << 0 << false;
        QTest::newRow("all three") << QStringList{"a.txt", "k", "1"} << "a.txt"
                                   << "k" << 1 << false;
        QTest::newRow("flag read as C reads it") << QStringList{"a", "k", " \t+1x9"} << "a"
                                                 << "k" << 1 << false;
        QTest::newRow("negative flag") << QStringList{"a", "k", "-1"} << "a"
                                       << "k" << -1 << false;
        QTest::newRow("no digits") << QStringList{"a", "k", "x1"} << "a"
                                   << "k" << 0 << false;
        QTest::newRow("huge flag clamps") << QStringList{"a", "k", "99999999999"} << "a"
                                          << "k" << 2147483647 << false;
        QTest::newRow("extra arguments ignored") << QStringList{"a", "k", "0", "more"} << "a"
                                                 << "k" << 0 << false;
        QTest::newRow("unregister is no start value") << QStringList{"-unregister", "a", "k", "1"} << "a"
                                                      << "k" << 1 << true;
        QTest::newRow("unregister with slash, any case") << QStringList{"/UnRegister"} << ""
                                                         << "" << 0 << true;
        QTest::newRow("other option stays a value") << QStringList{"-unregistered"} << "-unregistered"
                                                    << "" << 0 << false;
    }
    void commandLineFillsStartValues() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, fileName);
        QFETCH(QString, key);
        QFETCH(int, direction);
        QFETCH(bool, unregister);
        const TStartValues start = ReadStartValues(arguments);
        QCOMPARE(start.fileName, fileName);
        QCOMPARE(start.key, key);
        QCOMPARE(start.direction, direction);
        QCOMPARE(HasUnregisterOption(arguments), unregister);
    }

    void stringTableHoldsBothLanguages() {
        QCOMPARE(LoadTableString(sNoFileName, 1), QStringLiteral("No filename inserted!"));
        QCOMPARE(LoadTableString(sNoFileName, 0), QStringLiteral("Keine Datei angegeben!"));
        QCOMPARE(LoadTableString(sKeyFileTooShort, 1), QStringLiteral("Keyfilesize < filesize!"));
        QCOMPARE(LoadTableString(sKeyFileTooShort, 0), QStringLiteral("Schlüsseldatei < zu verschl. Datei!"));
        QCOMPARE(TableString(229), QStringLiteral("LocalAlloc-Buffer2-Tarnex.dll"));
        QCOMPARE(TableString(205), QStringLiteral("MELDUNG"));
        QCOMPARE(TableString(199), QString());
        QCOMPARE(TableString(230), QString());
        // Every entry fits the 40-character buffer it is loaded into, terminator included.
        for (int id = 200; id < 230; ++id) {
            QVERIFY2(!TableString(id).isEmpty() && TableString(id).size() < 40, qPrintable(QString::number(id)));
        }
        QCOMPARE(ToQtNameFilters(LoadTableString(sFileFilter, 1)), QStringList{"All files (*.*) (*)"});
        QCOMPARE(ToQtNameFilters(QStringLiteral("Text (*.txt)|*.txt;*.asc|All (*.*)|*.*|")),
                 QStringList({"Text (*.txt) (*.txt *.asc)", "All (*.*) (*)"}));
    }

    void registryStoresKeysAtomicallyAndSurvivesDamage() {
        QTemporaryDir dir;
        const QString storeDir = dir.filePath(QStringLiteral("tarnex95"));
        TRegistry registry(storeDir);
        QVERIFY(!registry.KeyExists(QStringLiteral("A")));
        QVERIFY(registry.SetValue(QStringLiteral("A\\B\\C"), QStringLiteral("value \"quoted\" \\ and\nnewline")));
        QVERIFY(registry.SetValue(QStringLiteral("A"), QStringLiteral("top")));
        QVERIFY(registry.SetValue(QStringLiteral("AB"), QStringLiteral("neighbour")));

        TRegistry reopened(storeDir);
        QCOMPARE(reopened.Value(QStringLiteral("A\\B\\C")), std::optional<QString>("value \"quoted\" \\ and\nnewline"));
        QCOMPARE(reopened.Value(QStringLiteral("A")), std::optional<QString>("top"));
        QVERIFY(reopened.KeyExists(QStringLiteral("A\\B")));
        QCOMPARE(reopened.Value(QStringLiteral("A\\B")), std::nullopt);

        QVERIFY(reopened.DeleteKey(QStringLiteral("A")));
        QVERIFY(!reopened.DeleteKey(QStringLiteral("A")));
        QVERIFY(!reopened.KeyExists(QStringLiteral("A\\B\\C")));
        QCOMPARE(reopened.Value(QStringLiteral("AB")), std::optional<QString>("neighbour"));

        for (const QByteArray& damage : {QByteArray("{\"A\": "), QByteArray("[1,2]"), QByteArray("\xff\xfe\x00", 3)}) {
            QFile store(registry.StorePath());
            QVERIFY(store.open(QIODevice::WriteOnly | QIODevice::Truncate));
            store.write(damage);
            store.close();
            QVERIFY(!registry.KeyExists(QStringLiteral("AB")));
            QVERIFY(registry.SetValue(QStringLiteral("X"), QStringLiteral("repaired")));
            QCOMPARE(TRegistry(storeDir).Value(QStringLiteral("X")), std::optional<QString>("repaired"));
        }
    }

    void registrationSetsAndRemovesTheIconKeys() {
        QTemporaryDir dir;
        TRegistry registry(dir.path());
        TProgramState state;
        ScriptedMessageBoxes messages;
        RecordingCiphers ciphers;
        ScriptedFileChooser files;
        RecordingProgramStarter programs;
        TTarnex95App app(state, {messages, ciphers, files, programs}, registry);

        app.RegisterProgram({QStringLiteral("file.txt")}, QStringLiteral("/opt/tarnex/bin/tarnex95"));
        QCOMPARE(registry.Value(QStringLiteral("Tarnex95.Application\\DefaultIcon")),
                 std::optional<QString>("/opt/tarnex/bin/tarnex95,1"));

        QVERIFY(registry.SetValue(QStringLiteral("Tarnex95.Document.1\\DefaultIcon"), QStringLiteral("doc,2")));
        app.RegisterProgram({QStringLiteral("/unregister")}, QStringLiteral("/opt/tarnex/bin/tarnex95"));
        QVERIFY(!registry.KeyExists(QStringLiteral("Tarnex95.Application")));
        QVERIFY(!registry.KeyExists(QStringLiteral("Tarnex95.Application\\DefaultIcon")));
        QVERIFY(!registry.KeyExists(QStringLiteral("Tarnex95.Document.1\\DefaultIcon")));
        // Only the subkey of the document key is named for removal.
        QVERIFY(registry.KeyExists(QStringLiteral("Tarnex95.Document.1")));
        QVERIFY(app.MainWindow() == nullptr);
    }
};

QTEST_MAIN(TestTarnexProgram)
#include "test_tarnex_program.moc"
