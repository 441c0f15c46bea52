#include "AesTables.h"
#include "QCipher.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtTest>

#include <climits>

namespace {

enum class Op { EncryptBlocks, DecryptBlocks, EncryptPadded, DecryptPadded };

const QByteArray FipsPlain = QByteArray::fromHex("00112233445566778899aabbccddeeff");
const QByteArray NistPlain
    = QByteArray::fromHex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                          "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
const QByteArray NistIv = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
const QByteArray Key128 = QByteArray::fromHex("2b7e151628aed2a6abf7158809cf4f3c");
const QByteArray Key192 = QByteArray::fromHex("8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b");
const QByteArray Key256
    = QByteArray::fromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
constexpr char Guard = char(0xa5);

const quint8* bytes(const QByteArray& data)
{
    return reinterpret_cast<const quint8*>(data.constData());
}

int init(QCipher& cipher, int mode, int direction, const QByteArray& key, const QByteArray& iv = QByteArray())
{
    const int keyLength = key.size() == 16 ? QCipher::Key128
        : key.size() == 24                 ? QCipher::Key192
                                           : QCipher::Key256;
    return cipher.Init(mode, direction, bytes(key), keyLength, iv.isNull() ? nullptr : bytes(iv));
}

// Runs one operation into an output of guard bytes, one block longer than the
// input; `length` is in bits for the whole-block operations, else in bytes.
int run(const QCipher& cipher, Op op, const QByteArray& input, int length, QByteArray& output)
{
    output = QByteArray(input.size() + 16, Guard);
    const quint8* in = input.isNull() ? nullptr : bytes(input);
    auto* out = reinterpret_cast<quint8*>(output.data());
    switch (op) {
    case Op::EncryptBlocks:
        return cipher.EncryptBlocks(in, length, out);
    case Op::DecryptBlocks:
        return cipher.DecryptBlocks(in, length, out);
    case Op::EncryptPadded:
        return cipher.EncryptPadded(in, length, out);
    case Op::DecryptPadded:
        return cipher.DecryptPadded(in, length, out);
    }
    return INT_MIN;
}

QByteArray cipherAll(int mode, int direction, const QByteArray& key, const QByteArray& iv,
    const QByteArray& input, bool padded)
{
    QCipher cipher;
    if (init(cipher, mode, direction, key, iv) != QCipher::CipherOk)
        return "init failed";
    const bool encrypt = direction == QCipher::DirEncrypt;
    const Op op = padded ? (encrypt ? Op::EncryptPadded : Op::DecryptPadded)
                         : (encrypt ? Op::EncryptBlocks : Op::DecryptBlocks);
    QByteArray output;
    const int result = run(cipher, op, input, padded ? input.size() : input.size() * 8, output);
    if (result < 0)
        return "failed " + QByteArray::number(result);
    return output.left(padded ? result : result / 8);
}

// Field arithmetic by long division, independent of the tables' own.
quint8 fieldMultiply(quint8 a, quint8 b)
{
    unsigned product = 0;
    for (int i = 0; i < 8; ++i)
        if (b >> i & 1)
            product ^= unsigned(a) << i;
    for (int bit = 14; bit >= 8; --bit)
        if (product >> bit & 1)
            product ^= 0x11bu << (bit - 8);
    return quint8(product);
}

} // namespace

Q_DECLARE_METATYPE(Op)

class tst_Cipher : public QObject
{
    Q_OBJECT

private slots:
    void constantTables();
    void knownAnswers_data();
    void knownAnswers();
    void matchesOpenssl_data();
    void matchesOpenssl();
    void initResults_data();
    void initResults();
    void operationResults_data();
    void operationResults();
    void badPaddingWritesNothing_data();
    void badPaddingWritesNothing();
    void vectorAndChaining();
    void storedForms_data();
    void storedForms();
    void storedFormLengths();
    void badStoredValues_data();
    void badStoredValues();
};

void tst_Cipher::constantTables()
{
    using namespace AesTables;
    // Spot values printed in FIPS-197.
    QCOMPARE(SBox[0x00], quint8(0x63));
    QCOMPARE(SBox[0x53], quint8(0xed));
    QCOMPARE(SBox[0xff], quint8(0x16));
    QCOMPARE(InverseSBox[0x00], quint8(0x52));
    const std::array<quint8, 10> roundConstants
        = { 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x1b, 0x36 };
    QCOMPARE(RoundConstants, roundConstants);

    for (int x = 0; x < 256; ++x) {
        quint8 inverse = 0;
        for (int y = 1; y < 256 && x != 0; ++y)
            if (fieldMultiply(quint8(x), quint8(y)) == 1)
                inverse = quint8(y);
        quint8 expected = 0;
        for (int i = 0; i < 8; ++i) {
            const int bit = (inverse >> i ^ inverse >> (i + 4) % 8 ^ inverse >> (i + 5) % 8
                                ^ inverse >> (i + 6) % 8 ^ inverse >> (i + 7) % 8 ^ 0x63 >> i)
                & 1;
            expected = quint8(expected | bit << i);
        }
        QCOMPARE(SBox[x], expected);
        QCOMPARE(InverseSBox[SBox[x]], quint8(x));

        // Each round-table entry is one column of the mixing matrix times the byte.
        for (int k = 0; k < 4; ++k) {
            const quint8 s = SBox[x], v = InverseSBox[x];
            const quint8 enc[4] = { 0x02, 0x01, 0x01, 0x03 }, dec[4] = { 0x0e, 0x09, 0x0d, 0x0b };
            for (int row = 0; row < 4; ++row) {
                const int shift = 24 - 8 * row;
                const int m = (row - k + 4) % 4;
                QCOMPARE(quint8(Encryption[k][x] >> shift), fieldMultiply(s, enc[m]));
                QCOMPARE(quint8(Decryption[k][x] >> shift), fieldMultiply(v, dec[m]));
                QCOMPARE(quint8(KeyInversion[k][x] >> shift), fieldMultiply(quint8(x), dec[m]));
            }
        }
    }
}

void tst_Cipher::knownAnswers_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("iv");
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("cipher");

    const auto row = [](const char* name, int mode, const QByteArray& key, const QByteArray& iv,
                         const QByteArray& plain, const char* cipher) {
        QTest::newRow(name) << mode << key << iv << plain << QByteArray::fromHex(cipher);
    };
    const int ecb = QCipher::ModeEcb, cbc = QCipher::ModeCbc, cfb1 = QCipher::ModeCfb1;
    const QByteArray counting
        = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    // FIPS-197 Appendix B and C.
    row("FIPS-197 B", ecb, Key128, {}, QByteArray::fromHex("3243f6a8885a308d313198a2e0370734"),
        "3925841d02dc09fbdc118597196a0b32");
    row("FIPS-197 C.1", ecb, counting.left(16), {}, FipsPlain, "69c4e0d86a7b0430d8cdb78070b4c55a");
    row("FIPS-197 C.2", ecb, counting.left(24), {}, FipsPlain, "dda97ca4864cdfe06eaf70a0ec0d7191");
    row("FIPS-197 C.3", ecb, counting, {}, FipsPlain, "8ea2b7ca516745bfeafc49904b496089");
    // NIST SP 800-38A F.1, F.2 and F.3 (the CFB1 vectors cover the first 16 bits).
    row("ECB-AES128", ecb, Key128, {}, NistPlain,
        "3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"
        "43b1cd7f598ece23881b00e3ed0306887b0c785e27e8ad3f8223207104725dd4");
    row("ECB-AES192", ecb, Key192, {}, NistPlain,
        "bd334f1d6e45f25ff712a214571fa5cc974104846d0ad3ad7734ecb3ecee4eef"
        "ef7afd2270e2e60adce0ba2face6444e9a4b41ba738d6c72fb16691603c18e0e");
    row("ECB-AES256", ecb, Key256, {}, NistPlain,
        "f3eed1bdb5d2a03c064b5a7e3db181f8591ccb10d410ed26dc5ba74a31362870"
        "b6ed21b99ca6f4f9f153e7b1beafed1d23304b7a39f9f3ff067d8d8f9e24ecc7");
    row("CBC-AES128", cbc, Key128, NistIv, NistPlain,
        "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
        "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7");
    row("CBC-AES192", cbc, Key192, NistIv, NistPlain,
        "4f021db243bc633d7178183a9fa071e8b4d9ada9ad7dedf4e5e738763f69145a"
        "571b242012fb7ae07fa9baac3df102e008b0e27988598881d920a9e64f5615cd");
    row("CBC-AES256", cbc, Key256, NistIv, NistPlain,
        "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
        "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b");
    row("CFB1-AES128", cfb1, Key128, NistIv, NistPlain.left(16), "68b3");
    row("CFB1-AES192", cfb1, Key192, NistIv, NistPlain.left(16), "9359");
    row("CFB1-AES256", cfb1, Key256, NistIv, NistPlain.left(16), "9029");
}

void tst_Cipher::knownAnswers()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, iv);
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, cipher);
    // A stream's first bits do not depend on what follows them.
    const QByteArray enciphered = cipherAll(mode, QCipher::DirEncrypt, key, iv, plain, false);
    QCOMPARE(enciphered.left(cipher.size()).toHex(), cipher.toHex());
    QCOMPARE(cipherAll(mode, QCipher::DirDecrypt, key, iv, enciphered, false).toHex(), plain.toHex());
}

void tst_Cipher::matchesOpenssl_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("keyBytes");
    QTest::addColumn<bool>("padded");
    const struct
    {
        const char* name;
        int mode;
    } modes[] = { { "ecb", QCipher::ModeEcb }, { "cbc", QCipher::ModeCbc }, { "cfb1", QCipher::ModeCfb1 } };
    for (const int keyBytes : { 16, 24, 32 }) {
        for (const auto& mode : modes) {
            for (const bool padded : { false, true }) {
                if (padded && mode.mode == QCipher::ModeCfb1)
                    continue;
                const QString name
                    = QStringLiteral("aes-%1-%2").arg(keyBytes * 8).arg(QLatin1String(mode.name));
                QTest::addRow("%s%s", qPrintable(name), padded ? " padded" : "")
                    << name << mode.mode << keyBytes << padded;
            }
        }
    }
}

void tst_Cipher::matchesOpenssl()
{
    QFETCH(QString, name);
    QFETCH(int, mode);
    QFETCH(int, keyBytes);
    QFETCH(bool, padded);
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    QVERIFY2(!openssl.isEmpty(), "the openssl command is needed as a reference");

    QRandomGenerator random(quint32(qHash(QByteArray(QTest::currentDataTag()))));
    const auto randomBytes = [&random](int count) {
        QByteArray data(count, Qt::Uninitialized);
        for (char& byte : data)
            byte = char(random.bounded(256));
        return data;
    };
    for (int trial = 0; trial < 4; ++trial) {
        const QByteArray key = randomBytes(keyBytes);
        const QByteArray iv = randomBytes(16);
        const QByteArray plain = randomBytes(padded ? random.bounded(1, 100) : 16 * random.bounded(1, 6));

        QStringList arguments = { QStringLiteral("enc"), QLatin1Char('-') + name, QStringLiteral("-K"),
            QString::fromLatin1(key.toHex()) };
        if (mode != QCipher::ModeEcb)
            arguments << QStringLiteral("-iv") << QString::fromLatin1(iv.toHex());
        if (!padded)
            arguments << QStringLiteral("-nopad");
        QProcess process;
        process.start(openssl, arguments);
        process.write(plain);
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        const QByteArray reference = process.readAllStandardOutput();

        QCOMPARE(cipherAll(mode, QCipher::DirEncrypt, key, iv, plain, padded).toHex(), reference.toHex());
        QCOMPARE(cipherAll(mode, QCipher::DirDecrypt, key, iv, reference, padded).toHex(), plain.toHex());
    }
}

void tst_Cipher::initResults_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("direction");
    QTest::addColumn<bool>("withKey");
    QTest::addColumn<int>("keyLength");
    QTest::addColumn<int>("expected");
    using C = QCipher;
    QTest::newRow("ECB encrypt 128") << int(C::ModeEcb) << int(C::DirEncrypt) << true << int(C::Key128) << 0;
    QTest::newRow("CBC decrypt 192") << int(C::ModeCbc) << int(C::DirDecrypt) << true << int(C::Key192) << 0;
    QTest::newRow("CFB1 decrypt 256")
        << int(C::ModeCfb1) << int(C::DirDecrypt) << true << int(C::Key256) << 0;
    QTest::newRow("mode 3") << 3 << 0 << true << 0 << -1;
    QTest::newRow("negative mode") << -1 << 0 << true << 0 << -1;
    QTest::newRow("mode checked first") << 3 << 2 << false << 3 << -1;
    QTest::newRow("direction 2") << 0 << 2 << true << 0 << -2;
    QTest::newRow("negative direction") << 0 << -1 << true << 0 << -2;
    QTest::newRow("direction before key") << 0 << 2 << false << 3 << -2;
    QTest::newRow("key length 3") << 0 << 0 << true << 3 << -3;
    QTest::newRow("negative key length") << 0 << 0 << true << -1 << -3;
    QTest::newRow("key length before key") << 0 << 0 << false << 3 << -3;
    QTest::newRow("no key") << 1 << 0 << false << 2 << -4;
}

void tst_Cipher::initResults()
{
    QFETCH(int, mode);
    QFETCH(int, direction);
    QFETCH(bool, withKey);
    QFETCH(int, keyLength);
    QFETCH(int, expected);
    QCipher cipher;
    QCOMPARE(init(cipher, QCipher::ModeCbc, QCipher::DirEncrypt, Key256), 0);
    QCOMPARE(cipher.Init(mode, direction, withKey ? bytes(Key256) : nullptr, keyLength), expected);

    QByteArray output;
    if (expected == 0) {
        const Op op = direction == QCipher::DirEncrypt ? Op::EncryptBlocks : Op::DecryptBlocks;
        QCOMPARE(run(cipher, op, NistPlain, 512, output), 512);
        return;
    }
    // A failed Init leaves no usable object behind, whatever it had before.
    for (const Op op : { Op::EncryptBlocks, Op::DecryptBlocks, Op::EncryptPadded, Op::DecryptPadded }) {
        const bool blocks = op == Op::EncryptBlocks || op == Op::DecryptBlocks;
        QCOMPARE(run(cipher, op, NistPlain, blocks ? 512 : 64, output), int(QCipher::ErrNotReady));
        QCOMPARE(output, QByteArray(output.size(), Guard));
    }
}

void tst_Cipher::operationResults_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("direction");
    QTest::addColumn<Op>("op");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("bytesWritten");
    using C = QCipher;
    const int ecb = C::ModeEcb, cbc = C::ModeCbc, cfb1 = C::ModeCfb1, enc = C::DirEncrypt,
              dec = C::DirDecrypt;
    const QByteArray data = NistPlain;
    const QByteArray none;

    QTest::newRow("blocks: encrypt on decrypting")
        << cbc << dec << Op::EncryptBlocks << data << 128 << -6 << 0;
    QTest::newRow("blocks: decrypt on encrypting")
        << cbc << enc << Op::DecryptBlocks << data << 128 << -6 << 0;
    QTest::newRow("padded: encrypt on decrypting")
        << cbc << dec << Op::EncryptPadded << data << 16 << -5 << 0;
    QTest::newRow("padded: decrypt on encrypting")
        << cbc << enc << Op::DecryptPadded << data << 16 << -6 << 0;
    QTest::newRow("blocks: null input") << cbc << enc << Op::EncryptBlocks << none << 128 << 0 << 0;
    QTest::newRow("blocks: zero length") << cbc << dec << Op::DecryptBlocks << data << 0 << 0 << 0;
    QTest::newRow("blocks: negative length") << ecb << enc << Op::EncryptBlocks << data << -128 << 0 << 0;
    QTest::newRow("blocks: 127 bits") << cbc << enc << Op::EncryptBlocks << data << 127 << 0 << 0;
    QTest::newRow("blocks: 200 bits") << cbc << enc << Op::EncryptBlocks << data << 200 << 128 << 16;
    QTest::newRow("blocks: 200 bits decrypt") << ecb << dec << Op::DecryptBlocks << data << 200 << 128 << 16;
    QTest::newRow("blocks: CFB1 200 bits") << cfb1 << enc << Op::EncryptBlocks << data << 200 << 128 << 16;
    QTest::newRow("blocks: 512 bits") << cbc << enc << Op::EncryptBlocks << data << 512 << 512 << 64;
    QTest::newRow("padded: null input") << cbc << enc << Op::EncryptPadded << none << 16 << 0 << 0;
    QTest::newRow("padded: empty input") << cbc << enc << Op::EncryptPadded << data << 0 << 0 << 0;
    QTest::newRow("padded: decrypt null") << cbc << dec << Op::DecryptPadded << none << 16 << 0 << 0;
    QTest::newRow("padded: 15 bytes") << cbc << enc << Op::EncryptPadded << data << 15 << 16 << 16;
    QTest::newRow("padded: 16 bytes") << ecb << enc << Op::EncryptPadded << data << 16 << 32 << 32;
    QTest::newRow("padded: 33 bytes") << cbc << enc << Op::EncryptPadded << data << 33 << 48 << 48;
    QTest::newRow("padded: CFB1 encrypt") << cfb1 << enc << Op::EncryptPadded << data << 16 << -1 << 0;
    QTest::newRow("padded: CFB1 decrypt") << cfb1 << dec << Op::DecryptPadded << data << 16 << -1 << 0;
    QTest::newRow("padded: CFB1 bad length") << cfb1 << dec << Op::DecryptPadded << data << 20 << -7 << 0;
    QTest::newRow("padded: 20 bytes") << cbc << dec << Op::DecryptPadded << data << 20 << -7 << 0;
    QTest::newRow("padded: result would overflow")
        << cbc << enc << Op::EncryptPadded << data << INT_MAX << -7 << 0;
}

void tst_Cipher::operationResults()
{
    QFETCH(int, mode);
    QFETCH(int, direction);
    QFETCH(Op, op);
    QFETCH(QByteArray, input);
    QFETCH(int, length);
    QFETCH(int, expected);
    QFETCH(int, bytesWritten);
    QCipher cipher;
    QCOMPARE(init(cipher, mode, direction, Key128, NistIv), 0);
    QByteArray output;
    QCOMPARE(run(cipher, op, input, length, output), expected);
    if (bytesWritten > 0)
        QVERIFY(output.left(bytesWritten) != QByteArray(bytesWritten, Guard));
    QCOMPARE(output.mid(bytesWritten), QByteArray(output.size() - bytesWritten, Guard));
}

void tst_Cipher::badPaddingWritesNothing_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("lastBlock");
    QTest::addColumn<int>("expected");
    const QByteArray fifteen = NistPlain.mid(16, 15);
    const QByteArray twelve = NistPlain.mid(16, 12);
    for (const int mode : { int(QCipher::ModeEcb), int(QCipher::ModeCbc) }) {
        const char* name = mode == QCipher::ModeEcb ? "ECB" : "CBC";
        QTest::addRow("%s pad 0", name) << mode << fifteen + '\x00' << -7;
        QTest::addRow("%s pad 17", name) << mode << fifteen + '\x11' << -7;
        QTest::addRow("%s pad 255", name) << mode << fifteen + '\xff' << -7;
        QTest::addRow("%s pad bytes differ", name) << mode << twelve + QByteArray::fromHex("01030203") << -7;
        QTest::addRow("%s pad 1", name) << mode << fifteen + '\x01' << 31;
        QTest::addRow("%s full padding block", name) << mode << QByteArray(16, '\x10') << 16;
    }
}

void tst_Cipher::badPaddingWritesNothing()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, lastBlock);
    QFETCH(int, expected);
    const QByteArray plain = NistPlain.left(16) + lastBlock;
    const QByteArray enciphered = cipherAll(mode, QCipher::DirEncrypt, Key192, NistIv, plain, false);
    QCipher cipher;
    QCOMPARE(init(cipher, mode, QCipher::DirDecrypt, Key192, NistIv), 0);
    QByteArray output;
    QCOMPARE(run(cipher, Op::DecryptPadded, enciphered, enciphered.size(), output), expected);
    if (expected < 0)
        QCOMPARE(output, QByteArray(output.size(), Guard));
    else
        QCOMPARE(output.left(expected), plain.left(expected));
}

void tst_Cipher::vectorAndChaining()
{
    const QByteArray zeros(16, '\0');
    QCipher cipher;
    QCOMPARE(init(cipher, QCipher::ModeCbc, QCipher::DirEncrypt, Key128, NistIv), 0);
    QByteArray first, second;
    QCOMPARE(run(cipher, Op::EncryptBlocks, NistPlain, 512, first), 512);
    QCOMPARE(run(cipher, Op::EncryptBlocks, NistPlain, 512, second), 512);
    QCOMPARE(second, first); // every call chains from the vector again

    // A null vector is sixteen zeros, even after an Init that had another.
    QCOMPARE(init(cipher, QCipher::ModeCbc, QCipher::DirEncrypt, Key128), 0);
    QCOMPARE(run(cipher, Op::EncryptPadded, NistPlain, 40, first), 48);
    QCOMPARE(first.left(48),
        cipherAll(QCipher::ModeCbc, QCipher::DirEncrypt, Key128, zeros, NistPlain.left(40), true));

    // The same object re-initialised for the other direction.
    QCOMPARE(init(cipher, QCipher::ModeCbc, QCipher::DirDecrypt, Key128), 0);
    QCOMPARE(run(cipher, Op::DecryptPadded, first.left(48), 48, second), 40);
    QCOMPARE(second.left(40), NistPlain.left(40));
}

void tst_Cipher::storedForms_data()
{
    // Made with: openssl enc -aes-256-cbc -K <hex of the settings key> -iv 00000000000000000000000000000000
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("ASCII") << QStringLiteral("betfair_user") << QStringLiteral("YXnxy38/eafJkQmUyrHXyQ==");
    QTest::newRow("16 bytes") << QStringLiteral("0123456789abcdef")
                              << QStringLiteral("dBBpl4qj2BhCXdG4BM95t+LSvSprFQ8Zl1LemtMvpeI=");
    QTest::newRow("Cyrillic") << QStringLiteral("Пароль") << QStringLiteral("e+Hwn8cAgyJstY9YhZed3Q==");
    QTest::newRow("accented") << QStringLiteral("Mot de passe éàü")
                              << QStringLiteral("ArDeozPs6H9xXYHE3/gI+M/N5zIaFhE7tMgzBOwGLz4=");
}

void tst_Cipher::storedForms()
{
    QFETCH(QString, text);
    QFETCH(QString, stored);
    QCOMPARE(QCipher::EncryptString(text), stored);
    QCOMPARE(QCipher::DecryptString(stored), text);
    QCOMPARE(QCipher::EncryptString(text), stored);
}

void tst_Cipher::storedFormLengths()
{
    // A stored form made from a text holding a zero byte reads back up to it.
    QCOMPARE(QCipher::DecryptString(QStringLiteral("t8j8D7RmQpP2X/OZ6g52Ww==")), QStringLiteral("abc"));

    // Characters of one to four UTF-8 bytes.
    const QStringList pieces
        = { QStringLiteral("x"), QStringLiteral("ä"), QStringLiteral("€"), QStringLiteral("😀") };
    for (int length = 1; length <= 40; ++length) {
        QString text;
        for (int i = 0; text.toUtf8().size() < length; ++i)
            text += pieces.at(i % pieces.size());
        const QString stored = QCipher::EncryptString(text);
        const int cipherBytes = 16 * (text.toUtf8().size() / 16 + 1);
        QCOMPARE(stored.size(), (cipherBytes + 2) / 3 * 4);
        QCOMPARE(QCipher::DecryptString(stored), text);
    }
}

void tst_Cipher::badStoredValues_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("not Base64") << QStringLiteral("@@@@####");
    QTest::newRow("trailing garbage") << QStringLiteral("YXnxy38/eafJkQmUyrHXyQ==!!");
    QTest::newRow("inner space") << QStringLiteral("YXnxy38/ eafJkQmUyrHXyQ==");
    QTest::newRow("9 bytes") << QStringLiteral("YXnxy38/eafJ");
    QTest::newRow("20 bytes") << QString::fromLatin1(QByteArray(20, 'x').toBase64());
    QTest::newRow("pad 0") << QStringLiteral("MXA8zcgZaDsl925pZ0HBSQ==");
    // Two blocks whose first deciphers to "first block ok!!": none of it may come back.
    QTest::newRow("two blocks, pad 0") << QStringLiteral("pQPTyzqAnXtGtNn+iIoFigbC93ImDRSsgSN1pCUrGX0=");
    QTest::newRow("two blocks, pad 17") << QStringLiteral("pQPTyzqAnXtGtNn+iIoFiiWLbwG5fz+B53m5ujx5OP0=");
    QTest::newRow("two blocks, pad bytes differ")
        << QStringLiteral("pQPTyzqAnXtGtNn+iIoFigqALI4pLymA5csKrP0y7Zs=");
}

void tst_Cipher::badStoredValues()
{
    QFETCH(QString, stored);
    const QString text = QCipher::DecryptString(stored);
    QVERIFY2(text.isEmpty(), qPrintable(text));
}

QTEST_GUILESS_MAIN(tst_Cipher)
#include "tst_cipher.moc"
