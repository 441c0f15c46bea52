#include "QCipher.h"

#include <QtTest>

#include <climits>

using Operation = int (QCipher::*)(const quint8*, int, quint8*) const;
const Operation EncBlocks = &QCipher::EncryptBlocks, EncPadded = &QCipher::EncryptPadded,
                DecPadded = &QCipher::DecryptPadded;
const int Cbc = QCipher::ModeCbc, Enc = QCipher::DirEncrypt, Dec = QCipher::DirDecrypt;
const QByteArray Iv = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
const QByteArray Key128 = QByteArray::fromHex("2b7e151628aed2a6abf7158809cf4f3c");
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

static QByteArray encrypt(const QByteArray& in)
{
    QCipher cipher;
    QByteArray output;
    cipher.Init(Cbc, Enc, bytes(Key128), QCipher::Key128, bytes(Iv));
    const int bits = run(cipher, EncBlocks, in, in.size() * 8, output);
    return output.left(bits / 8);
}

class tst_Cipher : public QObject
{
    Q_OBJECT

private slots:
    // Writes past what a call reports, on bad padding, on an overflowing length or on the shortest ones.
    void bounds()
    {
        const QByteArray fifteen = Plain.left(15);
        const struct { Operation op; QByteArray input; int size, result; } calls[] = {
            { EncPadded, Plain, INT_MAX, -7 }, { EncPadded, Plain, 0, 0 }, { DecPadded, Plain, 0, 0 },
            { DecPadded, Plain, 1, -7 },
            { DecPadded, encrypt(Plain + fifteen.left(12) + "\x01\x03\x02\x03"), 80, -7 },
            { DecPadded, encrypt(Plain + fifteen + '\x01'), 80, 79 } };
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

    // Stored passwords (openssl enc -aes-256-cbc -iv 0); damaged ones read back as nothing, never as garbage.
    void storedForms()
    {
        const QString rows[][2] = { { "", "" }, { "x", "HvvlXU8J9aKLIT0fWKux8Q==" },
            { "betfair_user", "YXnxy38/eafJkQmUyrHXyQ==" },
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

    // One-bit feedback off the published vector (NIST SP 800-38A F.3.1 for the first 16 bits, openssl
    // enc -aes-128-cfb1 for the rest) or writing past its block.
    void bitFeedback()
    {
        const QByteArray block = Plain.left(16);
        const QByteArray expected = QByteArray::fromHex("68b3a264f838f5f8c3101070d1ab4c2e");
        QCipher encrypting, decrypting;
        encrypting.Init(QCipher::ModeCfb1, Enc, bytes(Key128), QCipher::Key128, bytes(Iv));
        decrypting.Init(QCipher::ModeCfb1, Dec, bytes(Key128), QCipher::Key128, bytes(Iv));
        QByteArray output;
        QCOMPARE(run(encrypting, EncBlocks, block, 128, output), 128);
        QCOMPARE(output, expected + QByteArray(16, Guard));
        QCOMPARE(run(decrypting, &QCipher::DecryptBlocks, expected, 128, output), 128);
        QCOMPARE(output, block + QByteArray(16, Guard));
    }
};

QTEST_GUILESS_MAIN(tst_Cipher)
#include "tst_cipher.moc"
