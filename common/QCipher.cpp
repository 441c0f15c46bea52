#include "QCipher.h"

#include "AesTables.h"

#include <QByteArray>

#include <climits>
#include <cstring>

namespace {

using namespace AesTables;

constexpr int BlockBytes = QCipher::BlockBytes;
constexpr int BlockBits = BlockBytes * 8;

// Built into the program: this only keeps credentials from being read at a
// glance in the settings file, it does not protect them.
constexpr char SettingsKey[] = "Kindly supply proper text input";
static_assert(sizeof(SettingsKey) == 32, "the settings key is 31 characters and a zero byte");

// Constant-initialised, so it exists before any code runs and needs no
// ordering against other static objects.
QCipher settingsCipher;

quint32 LoadColumn(const quint8* bytes)
{
    return quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | bytes[3];
}

void StoreColumn(quint32 column, quint8* bytes)
{
    bytes[0] = quint8(column >> 24);
    bytes[1] = quint8(column >> 16);
    bytes[2] = quint8(column >> 8);
    bytes[3] = quint8(column);
}

quint32 Substitute(quint32 word)
{
    return Column(SBox[word >> 24], SBox[(word >> 16) & 0xff], SBox[(word >> 8) & 0xff], SBox[word & 0xff]);
}

void XorBlock(quint8* target, const quint8* other)
{
    for (int i = 0; i < BlockBytes; ++i)
        target[i] ^= other[i];
}

bool IsPadded(const quint8* block)
{
    const int padLength = block[BlockBytes - 1];
    if (padLength < 1 || padLength > BlockBytes)
        return false;
    for (int i = BlockBytes - padLength; i < BlockBytes; ++i) {
        if (block[i] != padLength)
            return false;
    }
    return true;
}

} // namespace

int QCipher::Init(int mode, int direction, const quint8* key, int keyLength, const quint8* iv)
{
    m_state = StateNotReady;
    if (unsigned(mode) > unsigned(ModeCfb1))
        return ErrBadMode;
    m_mode = mode;
    if (unsigned(direction) > unsigned(DirDecrypt))
        return ErrBadDirection;
    m_direction = direction;
    if (iv)
        std::memcpy(m_iv, iv, BlockBytes);
    else
        std::memset(m_iv, 0, BlockBytes);

    switch (keyLength) {
    case Key128:
        m_rounds = 10;
        break;
    case Key192:
        m_rounds = 12;
        break;
    case Key256:
        m_rounds = 14;
        break;
    default:
        return ErrBadKeyLength;
    }
    if (!key)
        return ErrNoKey;

    ExpandKey(key);
    // Cipher feedback runs the forward cipher in both directions.
    if (direction == DirDecrypt && mode != ModeCfb1)
        MakeDecryptionKeys();
    m_state = StateReady;
    return CipherOk;
}

void QCipher::ExpandKey(const quint8* key)
{
    const int keyWords = m_rounds - 6;
    const int totalWords = 4 * (m_rounds + 1);
    for (int i = 0; i < keyWords; ++i)
        m_roundKeys[i] = LoadColumn(key + 4 * i);
    for (int i = keyWords; i < totalWords; ++i) {
        quint32 word = m_roundKeys[i - 1];
        if (i % keyWords == 0)
            word = Substitute(word << 8 | word >> 24) ^ quint32(RoundConstants[i / keyWords - 1]) << 24;
        else if (keyWords > 6 && i % keyWords == 4)
            word = Substitute(word);
        m_roundKeys[i] = m_roundKeys[i - keyWords] ^ word;
    }
}

void QCipher::MakeDecryptionKeys()
{
    for (int i = 4; i < 4 * m_rounds; ++i) {
        const quint32 word = m_roundKeys[i];
        m_roundKeys[i] = KeyInversion[0][word >> 24] ^ KeyInversion[1][(word >> 16) & 0xff]
            ^ KeyInversion[2][(word >> 8) & 0xff] ^ KeyInversion[3][word & 0xff];
    }
}

void QCipher::EncryptBlock(const quint8* input, quint8* output) const
{
    const quint32* roundKey = m_roundKeys;
    quint32 state[4];
    for (int c = 0; c < 4; ++c)
        state[c] = LoadColumn(input + 4 * c) ^ roundKey[c];

    // ShiftRows moves row r of column c + r into column c.
    for (int round = 1; round < m_rounds; ++round) {
        roundKey += 4;
        quint32 next[4];
        for (int c = 0; c < 4; ++c) {
            next[c] = Encryption[0][state[c] >> 24] ^ Encryption[1][(state[(c + 1) & 3] >> 16) & 0xff]
                ^ Encryption[2][(state[(c + 2) & 3] >> 8) & 0xff] ^ Encryption[3][state[(c + 3) & 3] & 0xff]
                ^ roundKey[c];
        }
        std::memcpy(state, next, sizeof state);
    }

    roundKey += 4;
    for (int c = 0; c < 4; ++c) {
        const quint32 column = Column(SBox[state[c] >> 24], SBox[(state[(c + 1) & 3] >> 16) & 0xff],
            SBox[(state[(c + 2) & 3] >> 8) & 0xff], SBox[state[(c + 3) & 3] & 0xff]);
        StoreColumn(column ^ roundKey[c], output + 4 * c);
    }
}

void QCipher::DecryptBlock(const quint8* input, quint8* output) const
{
    const quint32* roundKey = m_roundKeys + 4 * m_rounds;
    quint32 state[4];
    for (int c = 0; c < 4; ++c)
        state[c] = LoadColumn(input + 4 * c) ^ roundKey[c];

    // InvShiftRows moves row r of column c - r into column c.
    for (int round = m_rounds - 1; round > 0; --round) {
        roundKey -= 4;
        quint32 next[4];
        for (int c = 0; c < 4; ++c) {
            next[c] = Decryption[0][state[c] >> 24] ^ Decryption[1][(state[(c + 3) & 3] >> 16) & 0xff]
                ^ Decryption[2][(state[(c + 2) & 3] >> 8) & 0xff] ^ Decryption[3][state[(c + 1) & 3] & 0xff]
                ^ roundKey[c];
        }
        std::memcpy(state, next, sizeof state);
    }

    roundKey -= 4;
    for (int c = 0; c < 4; ++c) {
        const quint32 column
            = Column(InverseSBox[state[c] >> 24], InverseSBox[(state[(c + 3) & 3] >> 16) & 0xff],
                InverseSBox[(state[(c + 2) & 3] >> 8) & 0xff], InverseSBox[state[(c + 1) & 3] & 0xff]);
        StoreColumn(column ^ roundKey[c], output + 4 * c);
    }
}

void QCipher::EncryptChained(const quint8* input, int blocks, quint8* output, Block& chain) const
{
    for (int b = 0; b < blocks; ++b) {
        Block block;
        std::memcpy(block, input + b * BlockBytes, BlockBytes);
        if (m_mode == ModeCbc)
            XorBlock(block, chain);
        EncryptBlock(block, output + b * BlockBytes);
        std::memcpy(chain, output + b * BlockBytes, BlockBytes);
    }
}

void QCipher::DecryptChained(const quint8* input, int blocks, quint8* output, Block& chain) const
{
    for (int b = 0; b < blocks; ++b) {
        // Kept before the output is written, which may be the same buffer.
        Block cipherBlock;
        std::memcpy(cipherBlock, input + b * BlockBytes, BlockBytes);
        Block plain;
        DecryptBlock(cipherBlock, plain);
        if (m_mode == ModeCbc)
            XorBlock(plain, chain);
        std::memcpy(output + b * BlockBytes, plain, BlockBytes);
        std::memcpy(chain, cipherBlock, BlockBytes);
    }
}

void QCipher::RunCfb1(const quint8* input, int bits, quint8* output, bool decrypt) const
{
    Block shiftRegister;
    std::memcpy(shiftRegister, m_iv, BlockBytes);
    for (int byte = 0; byte < bits / 8; ++byte) {
        const quint8 in = input[byte];
        quint8 out = 0;
        for (int bit = 7; bit >= 0; --bit) {
            Block keyStream;
            EncryptBlock(shiftRegister, keyStream);
            const int inBit = (in >> bit) & 1;
            const int outBit = inBit ^ (keyStream[0] >> 7);
            out = quint8(out | outBit << bit);
            const int cipherBit = decrypt ? inBit : outBit;
            for (int i = 0; i < BlockBytes - 1; ++i)
                shiftRegister[i] = quint8(shiftRegister[i] << 1 | shiftRegister[i + 1] >> 7);
            shiftRegister[BlockBytes - 1] = quint8(shiftRegister[BlockBytes - 1] << 1 | cipherBit);
        }
        output[byte] = out;
    }
}

int QCipher::RunBlocks(const quint8* input, int inputBits, quint8* output, int direction) const
{
    if (m_state != StateReady)
        return ErrNotReady;
    if (m_direction != direction)
        return ErrWrongDirection;
    if (!input || inputBits < 1)
        return 0;
    const int blocks = inputBits / BlockBits;
    const bool decrypt = direction == DirDecrypt;
    if (m_mode == ModeCfb1) {
        RunCfb1(input, blocks * BlockBits, output, decrypt);
    } else {
        Block chain;
        std::memcpy(chain, m_iv, BlockBytes);
        if (decrypt)
            DecryptChained(input, blocks, output, chain);
        else
            EncryptChained(input, blocks, output, chain);
    }
    return blocks * BlockBits;
}

int QCipher::EncryptBlocks(const quint8* input, int inputBits, quint8* output) const
{
    return RunBlocks(input, inputBits, output, DirEncrypt);
}

int QCipher::DecryptBlocks(const quint8* input, int inputBits, quint8* output) const
{
    return RunBlocks(input, inputBits, output, DirDecrypt);
}

int QCipher::EncryptPadded(const quint8* input, int inputBytes, quint8* output) const
{
    if (m_state != StateReady || m_direction != DirEncrypt)
        return ErrNotReady;
    if (!input || inputBytes < 1)
        return 0;
    if (m_mode == ModeCfb1)
        return ErrBadMode;
    // The output length would not fit the result.
    if (inputBytes > INT_MAX - BlockBytes)
        return ErrBadData;

    const int wholeBlocks = inputBytes / BlockBytes;
    Block chain;
    std::memcpy(chain, m_iv, BlockBytes);
    EncryptChained(input, wholeBlocks, output, chain);

    const int remaining = inputBytes % BlockBytes;
    const int padLength = BlockBytes - remaining;
    Block last;
    std::memcpy(last, input + wholeBlocks * BlockBytes, remaining);
    std::memset(last + remaining, padLength, padLength);
    if (m_mode == ModeCbc)
        XorBlock(last, chain);
    EncryptBlock(last, output + wholeBlocks * BlockBytes);
    return BlockBytes * (wholeBlocks + 1);
}

int QCipher::DecryptPadded(const quint8* input, int inputBytes, quint8* output) const
{
    if (m_state != StateReady)
        return ErrNotReady;
    if (m_direction != DirDecrypt)
        return ErrWrongDirection;
    if (!input || inputBytes < 1)
        return 0;
    if (inputBytes % BlockBytes != 0)
        return ErrBadData;
    if (m_mode == ModeCfb1)
        return ErrBadMode;

    // The last block is checked before anything is written, so a value that
    // does not decipher leaves no plain text of its other blocks behind.
    const int blocks = inputBytes / BlockBytes;
    const quint8* lastInput = input + (blocks - 1) * BlockBytes;
    Block last;
    DecryptBlock(lastInput, last);
    if (m_mode == ModeCbc)
        XorBlock(last, blocks > 1 ? lastInput - BlockBytes : m_iv);
    if (!IsPadded(last))
        return ErrBadData;

    Block chain;
    std::memcpy(chain, m_iv, BlockBytes);
    DecryptChained(input, blocks - 1, output, chain);
    const int padLength = last[BlockBytes - 1];
    std::memcpy(output + (blocks - 1) * BlockBytes, last, BlockBytes - padLength);
    return BlockBytes * blocks - padLength;
}

QString QCipher::EncryptString(const QString& text)
{
    if (text.isEmpty())
        return QString();
    const auto* key = reinterpret_cast<const quint8*>(SettingsKey);
    if (settingsCipher.Init(ModeCbc, DirEncrypt, key, Key256) != CipherOk)
        return QString();

    const QByteArray plain = text.toUtf8();
    QByteArray cipherText(plain.size() + BlockBytes, Qt::Uninitialized);
    const int written = settingsCipher.EncryptPadded(reinterpret_cast<const quint8*>(plain.constData()),
        plain.size(), reinterpret_cast<quint8*>(cipherText.data()));
    if (written <= 0)
        return QString();
    cipherText.resize(written);
    return QString::fromLatin1(cipherText.toBase64());
}

QString QCipher::DecryptString(const QString& stored)
{
    if (stored.isEmpty())
        return QString();
    const QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(
        stored.toUtf8(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return QString();

    const auto* key = reinterpret_cast<const quint8*>(SettingsKey);
    if (settingsCipher.Init(ModeCbc, DirDecrypt, key, Key256) != CipherOk)
        return QString();
    const QByteArray& cipherText = decoded.decoded;
    QByteArray plain(cipherText.size(), Qt::Uninitialized);
    const int length = settingsCipher.DecryptPadded(reinterpret_cast<const quint8*>(cipherText.constData()),
        cipherText.size(), reinterpret_cast<quint8*>(plain.data()));
    if (length < 0)
        return QString();
    plain.truncate(length);
    const int zero = plain.indexOf('\0');
    if (zero >= 0)
        plain.truncate(zero);
    return QString::fromUtf8(plain);
}
