#include "QCipher.h"

#include <QtTest>

#include <climits>

using Operation = int (QCipher::*)(const quint8*, int, quint8*) const;
const Operation EncBlocks = &QCipher::EncryptBlocks, DecBlocks = &QCipher::DecryptBlocks,
                EncPadded = &QCipher::EncryptPadded, DecPadded = &QCipher::DecryptPadded;
const int Ecb = QCipher::ModeEcb, Cbc = QCipher::ModeCbc, Cfb1 = QCipher::ModeCfb1;
const int Enc = QCipher::DirEncrypt, Dec = QCipher::DirDecrypt;
const QByteArray Counting
    = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
const QByteArray Iv = Counting.left(16), Key128 = QByteArray::fromHex("2b7e151628aed2a6abf7158809cf4f3c");
const QByteArray Plain = QByteArray::fromHex(
    "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
    "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
constexpr char Guard = char(0xa5);

static auto bytes(const QByteArray& data) { return reinterpret_cast<const quint8*>(data.constData()); }

static int init(QCipher& cipher, int mode, int direction, const QByteArray& key, const QByteArray& iv)
{
    return cipher.Init(mode, direction, bytes(key), key.size() / 8 - 2, bytes(iv));
}

// One operation into guard bytes, a block longer than the input; the length is in bits for the whole-block
// operations, else in bytes.
static int run(const QCipher& cipher, Operation op, const QByteArray& input, int length, QByteArray& output)
{
    output = QByteArray(input.size() + 16, Guard);
    return (cipher.*op)(bytes(input), length, reinterpret_cast<quint8*>(output.data()));
}

static QByteArray cipherAll(int mode, int dir, const QByteArray& key, const QByteArray& iv,
    const QByteArray& in)
{
    QCipher cipher;
    QByteArray output;
    init(cipher, mode, dir, key, iv);
    const int result = run(cipher, dir == Enc ? EncBlocks : DecBlocks, in, in.size() * 8, output);
    return result < 0 ? "failed " + QByteArray::number(result) : output.left(result / 8);
}

class tst_Cipher : public QObject
{
    Q_OBJECT

private slots:
    // FIPS-197 C.1 to C.3; SP 800-38A F.2.1 and the first bits of F.3.1.
    void referenceVectors()
    {
        const QByteArray fips = QByteArray::fromHex("00112233445566778899aabbccddeeff"), two = Plain.left(32);
        const struct { int mode; QByteArray key, plain, cipher; } rows[] = {
            { Ecb, Counting.left(16), fips, "69c4e0d86a7b0430d8cdb78070b4c55a" },
            { Ecb, Counting.left(24), fips, "dda97ca4864cdfe06eaf70a0ec0d7191" },
            { Ecb, Counting, fips, "8ea2b7ca516745bfeafc49904b496089" },
            { Cbc, Key128, two, "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2" },
            { Cfb1, Key128, Plain.left(16), "68b3" } };
        for (const auto& row : rows) {
            const QByteArray enciphered = cipherAll(row.mode, Enc, row.key, Iv, row.plain);
            QCOMPARE(enciphered.toHex().left(row.cipher.size()), row.cipher);
            QCOMPARE(cipherAll(row.mode, Dec, row.key, Iv, enciphered), row.plain);
        }
    }

    // Init checks in order; a failed one leaves no usable object behind. A null vector is zeros even after
    // an Init that had another, and every call chains from the vector again.
    void resultCodes()
    {
        // mode, direction, with a key, key length, result
        const int rows[][5] = { { Cbc, Enc, 1, 0, 0 }, { 3, 2, 0, 3, -1 }, { 0, 2, 0, 3, -2 },
            { 0, 0, 0, 3, -3 }, { 1, 0, 0, 2, -4 } };
        const QByteArray zeroVector = cipherAll(Cbc, Enc, Key128, QByteArray(16, '\0'), Plain);
        for (const auto& row : rows) {
            QCipher cipher;
            QByteArray first, second;
            QCOMPARE(init(cipher, Cbc, Dec, Counting, Iv), 0);
            QCOMPARE(cipher.Init(row[0], row[1], row[2] ? bytes(Key128) : nullptr, row[3]), row[4]);
            QCOMPARE(run(cipher, EncBlocks, Plain, 512, first) + run(cipher, EncBlocks, Plain, 512, second),
                row[4] ? -10 : 1024);
            QCOMPARE(first, (row[4] ? QByteArray(64, Guard) : zeroVector) + QByteArray(16, Guard));
            QCOMPARE(second, first);
        }

        // Nothing is written beyond what a call reports, nothing at all when the padding is bad.
        const auto twoBlocks = [](int mode, const QByteArray& last) {
            return cipherAll(mode, Enc, Key128, Iv, Plain.left(16) + last);
        };
        const QByteArray fifteen = Plain.mid(16, 15);
        const struct { int mode, dir; Operation op; QByteArray input; int size, result, written; } calls[] = {
            { Cbc, Enc, DecBlocks, Plain, 128, -6, 0 }, { Ecb, Dec, DecBlocks, Plain, 200, 128, 16 },
            { Cbc, Dec, DecPadded, Plain, 20, -7, 0 }, { Cbc, Enc, EncPadded, Plain, INT_MAX, -7, 0 },
            { Ecb, Dec, DecPadded, twoBlocks(Ecb, fifteen + '\0'), 32, -7, 0 },
            { Cbc, Dec, DecPadded, twoBlocks(Cbc, fifteen.left(12) + "\x01\x03\x02\x03"), 32, -7, 0 },
            { Cbc, Dec, DecPadded, twoBlocks(Cbc, fifteen + '\x01'), 32, 31, 31 } };
        for (const auto& call : calls) {
            QCipher cipher;
            QByteArray output;
            QCOMPARE(init(cipher, call.mode, call.dir, Key128, Iv), 0);
            QCOMPARE(run(cipher, call.op, call.input, call.size, output), call.result);
            QVERIFY(call.written == 0 || output.left(call.written) != QByteArray(call.written, Guard));
            QCOMPARE(output.mid(call.written), QByteArray(output.size() - call.written, Guard));
            QVERIFY(call.op != DecPadded || output.left(call.written) == Plain.left(call.written));
        }
    }

    // Made with: openssl enc -aes-256-cbc -K <hex of the settings key> -iv 0…0. A stored value that does not
    // decipher reads back as nothing at all.
    void storedForms()
    {
        const QString rows[][2] = { { "", "" }, { "betfair_user", "YXnxy38/eafJkQmUyrHXyQ==" },
            { "0123456789abcdef", "dBBpl4qj2BhCXdG4BM95t+LSvSprFQ8Zl1LemtMvpeI=" },
            { "Пароль", "e+Hwn8cAgyJstY9YhZed3Q==" },
            { "€😀 ok", "/lByLaVifMeX/1ACFgVT5w==" } };
        for (const auto& row : rows) {
            QCOMPARE(QCipher::EncryptString(row[0]), row[1]);
            QCOMPARE(QCipher::DecryptString(row[1]), row[0]);
        }
        QCOMPARE(QCipher::DecryptString("t8j8D7RmQpP2X/OZ6g52Ww=="), QString("abc")); // from "abc\0def"
        // The first block of the last two deciphers to "first block ok!!".
        for (const char* bad : { "@@@@####", "YXnxy38/eafJkQmUyrHXyQ==!!", "xxxxxxxxxxxxxxxxxxxx",
             "pQPTyzqAnXtGtNn+iIoFigbC93ImDRSsgSN1pCUrGX0=", "pQPTyzqAnXtGtNn+iIoFigqALI4pLymA5csKrP0y7Zs=" })
            QVERIFY2(QCipher::DecryptString(bad).isEmpty(), bad);
    }
};

QTEST_GUILESS_MAIN(tst_Cipher)
#include "tst_cipher.moc"
