#include "QCipher.h"

#include <QtTest>

#include <climits>

using Operation = int (QCipher::*)(const quint8*, int, quint8*) const;
const Operation EncBlocks = &QCipher::EncryptBlocks, DecBlocks = &QCipher::DecryptBlocks,
                EncPadded = &QCipher::EncryptPadded, DecPadded = &QCipher::DecryptPadded;
const int Ecb = QCipher::ModeEcb, Cbc = QCipher::ModeCbc, Cfb1 = QCipher::ModeCfb1, Enc = 0, Dec = 1;
const QByteArray Counting
    = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
const QByteArray Iv = Counting.left(16), Key128 = QByteArray::fromHex("2b7e151628aed2a6abf7158809cf4f3c");
const QByteArray Plain = QByteArray::fromHex(
    "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
    "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
constexpr char Guard = char(0xa5);

static auto bytes(const QByteArray& data) { return reinterpret_cast<const quint8*>(data.constData()); }

// One operation into guard bytes, a block longer than the input (bits for whole blocks, else bytes).
static int run(const QCipher& cipher, Operation op, const QByteArray& input, int length, QByteArray& output)
{
    output = QByteArray(input.size() + 16, Guard);
    return (cipher.*op)(bytes(input), length, reinterpret_cast<quint8*>(output.data()));
}

static QByteArray cipherAll(int mode, int dir, const QByteArray& key, const QByteArray& in,
    const QByteArray& iv = Iv)
{
    QCipher cipher;
    QByteArray output;
    cipher.Init(mode, dir, bytes(key), key.size() / 8 - 2, bytes(iv));
    const int bits = run(cipher, dir == Enc ? EncBlocks : DecBlocks, in, in.size() * 8, output);
    return bits < 0 ? "failed" : output.left(bits / 8);
}

class tst_Cipher : public QObject
{
    Q_OBJECT

private slots:
    // FIPS-197 C.1 and C.3; SP 800-38A F.2.1 and the first bits of F.3.1.
    void referenceVectors()
    {
        const QByteArray fips = QByteArray::fromHex("00112233445566778899aabbccddeeff"), two = Plain.left(32);
        const struct { int mode; QByteArray key, plain, cipher; } rows[] = {
            { Ecb, Counting.left(16), fips, "69c4e0d86a7b0430d8cdb78070b4c55a" },
            { Ecb, Counting, fips, "8ea2b7ca516745bfeafc49904b496089" },
            { Cbc, Key128, two, "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2" },
            { Cfb1, Key128, Plain.left(16), "68b3" } };
        for (const auto& row : rows) {
            const QByteArray enciphered = cipherAll(row.mode, Enc, row.key, row.plain);
            QCOMPARE(enciphered.toHex().left(row.cipher.size()), row.cipher);
            QCOMPARE(cipherAll(row.mode, Dec, row.key, enciphered), row.plain);
        }
    }

    // A failed Init leaves nothing usable; a null vector is zeros even after an Init that had one. Nothing
    // is written beyond what a call reports, nothing at all on bad padding or an overflowing length.
    void resultCodes()
    {
        const QByteArray zeroVector = cipherAll(Cbc, Enc, Key128, Plain, QByteArray(16, '\0'));
        for (const bool withKey : { true, false }) {
            QCipher cipher;
            QByteArray first, second;
            QCOMPARE(cipher.Init(Cbc, Dec, bytes(Counting), 2, bytes(Iv)), 0);
            QCOMPARE(cipher.Init(Cbc, Enc, withKey ? bytes(Key128) : nullptr, 0), withKey ? 0 : -4);
            const int done = run(cipher, EncBlocks, Plain, 512, first);
            QCOMPARE(done + run(cipher, EncBlocks, Plain, 512, second), withKey ? 1024 : -10);
            QCOMPARE(first, (withKey ? zeroVector : QByteArray(64, Guard)) + QByteArray(16, Guard));
            QCOMPARE(second, first);
        }
        const auto padded = [](const QByteArray& last) { return cipherAll(Cbc, Enc, Key128, last); };
        const QByteArray fifteen = Plain.left(15);
        const struct { Operation op; QByteArray input; int size, result; } calls[] = {
            { EncPadded, Plain, INT_MAX, -7 }, { DecPadded, padded(fifteen + '\0'), 16, -7 },
            { DecPadded, padded(Plain + fifteen.left(12) + "\x01\x03\x02\x03"), 80, -7 },
            { DecPadded, padded(Plain + fifteen + '\x01'), 80, 79 } };
        for (const auto& call : calls) {
            QCipher cipher;
            QByteArray output;
            cipher.Init(Cbc, call.op == EncPadded ? Enc : Dec, bytes(Key128), 0, bytes(Iv));
            QCOMPARE(run(cipher, call.op, call.input, call.size, output), call.result);
            const int written = qMax(call.result, 0);
            QCOMPARE(output.left(written), (Plain + fifteen).left(written));
            QCOMPARE(output.mid(written), QByteArray(output.size() - written, Guard));
        }
    }

    // Made with: openssl enc -aes-256-cbc -K <hex of the settings key> -iv 0…0. A stored value that does not
    // decipher reads back as nothing at all.
    void storedForms()
    {
        const QString rows[][2] = { { "", "" }, { "betfair_user", "YXnxy38/eafJkQmUyrHXyQ==" },
            { "0123456789abcdef", "dBBpl4qj2BhCXdG4BM95t+LSvSprFQ8Zl1LemtMvpeI=" },
            { "€😀 ok", "/lByLaVifMeX/1ACFgVT5w==" } };
        for (const auto& row : rows) {
            QCOMPARE(QCipher::EncryptString(row[0]), row[1]);
            QCOMPARE(QCipher::DecryptString(row[1]), row[0]);
        }
        // The last deciphers to "first block ok!!" and then bad padding.
        for (const char* bad : { "YXnxy38/eafJkQmUyrHXyQ==!!", "xxxxxxxxxxxxxxxxxxxx",
                 "pQPTyzqAnXtGtNn+iIoFigbC93ImDRSsgSN1pCUrGX0=" })
            QVERIFY2(QCipher::DecryptString(bad).isEmpty(), bad);
    }
};

QTEST_GUILESS_MAIN(tst_Cipher)
#include "tst_cipher.moc"
