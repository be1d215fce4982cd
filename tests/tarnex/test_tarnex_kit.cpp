// Known answers of the primitives inside the cipher libraries: the FIPS 180-2 SHA-256 examples,
// RFC 4231 case 2, the usual PBKDF2-HMAC-SHA-256 vectors for "password"/"salt" (cross-checked with
// Python's hashlib) and the RFC 8439 section 2.3.2 ChaCha20 block (cross-checked with openssl enc).

#include "tarnex/libs/kit/chacha20.h"
#include "tarnex/libs/kit/sha256.h"

#include <QtTest>

using namespace tarnex::kit;

namespace {

std::span<const std::uint8_t> Bytes(const QByteArray& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.constData()), std::size_t(text.size())};
}

template <std::size_t N> QByteArray Hex(const std::array<std::uint8_t, N>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(N)).toHex();
}

} // namespace

class TestTarnexKit : public QObject {
    Q_OBJECT
private slots:
    void sha256KnownAnswers_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("digest");
        QTest::newRow("empty") << QByteArray()
                               << QByteArray("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
        QTest::newRow("abc") << QByteArray("abc")
                             << QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
        QTest::newRow("two blocks") << QByteArray("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")
                                    << QByteArray("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    }
    void sha256KnownAnswers() {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, digest);
        Sha256 whole;
        whole.Update(Bytes(message));
        QCOMPARE(Hex(whole.Final()), digest);
        // Fed byte by byte it must give the same.
        Sha256 pieces;
        for (qsizetype i = 0; i < message.size(); ++i) {
            pieces.Update(Bytes(message).subspan(std::size_t(i), 1));
        }
        QCOMPARE(Hex(pieces.Final()), digest);
    }

    void hmacAndPbkdf2KnownAnswers() {
        QCOMPARE(Hex(HmacOf(Bytes("Jefe"), Bytes("what do ya want for nothing?"))),
                 QByteArray("5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"));
        const std::pair<std::uint32_t, const char*> vectors[] = {
            {1, "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"},
            {2, "ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43"},
            {4096, "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a"}};
        for (const auto& [rounds, expected] : vectors) {
            std::array<std::uint8_t, 32> out{};
            Pbkdf2Sha256(Bytes("password"), Bytes("salt"), rounds, out);
            QCOMPARE(Hex(out), QByteArray(expected));
        }
    }

    void chacha20KnownBlockAndSplitStream() {
        std::array<std::uint8_t, 32> key;
        for (std::size_t i = 0; i < key.size(); ++i) {
            key[i] = std::uint8_t(i);
        }
        const std::array<std::uint8_t, 12> nonce = {0, 0, 0, 9, 0, 0, 0, 0x4a, 0, 0, 0, 0};
        const ChaCha20 cipher(key, nonce, 1);
        QCOMPARE(Hex(cipher.Block()), QByteArray("10f1e7e4d13b5915500fdd1fa32071c4c7d1f4c733c068030422aa9ac3d46c4e"
                                                 "d2826446079faa0914c2d705d98b02a2b5129cd1de164eb9cbd083e8a2503c4e"));
        // One stream over 200 bytes equals the same stream applied in uneven pieces.
        std::array<std::uint8_t, 200> whole{};
        std::array<std::uint8_t, 200> pieces{};
        ChaCha20(key, nonce, 1).Apply(whole);
        ChaCha20 split(key, nonce, 1);
        split.Apply(std::span(pieces).first(1));
        split.Apply(std::span(pieces).subspan(1, 70));
        split.Apply(std::span(pieces).subspan(71));
        QCOMPARE(Hex(pieces), Hex(whole));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(whole.data()), 64).toHex(), Hex(cipher.Block()));
    }
};

QTEST_APPLESS_MAIN(TestTarnexKit)
#include "test_tarnex_kit.moc"
