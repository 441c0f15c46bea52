#pragma once

#include <QString>
#include <QtGlobal>

// The AES block cipher with 128, 192 and 256-bit keys in ECB, CBC and
// one-bit CFB modes. Every operation reports through an integer: negative
// values are the Result codes, positive ones lengths (bits for the whole-block
// operations, bytes for the padded ones).
//
// Call Init first, then any number of operations of the direction chosen
// there. Each operation is a message of its own: chaining always restarts
// from the initialisation vector.
//
// CFB1 runs in the whole-block operations only, over 128 bits per whole block;
// an object decrypting in CFB1 is initialised with DirDecrypt like any other.
class QCipher
{
public:
    enum Mode { ModeEcb = 0, ModeCbc = 1, ModeCfb1 = 2 };
    enum Direction { DirEncrypt = 0, DirDecrypt = 1 };
    enum KeyLength { Key128 = 0, Key192 = 1, Key256 = 2 };
    enum Result {
        CipherOk = 0,
        ErrBadMode = -1,
        ErrBadDirection = -2,
        ErrBadKeyLength = -3,
        ErrNoKey = -4,
        ErrNotReady = -5,
        ErrWrongDirection = -6,
        ErrBadData = -7,
    };
    static constexpr int BlockBytes = 16;

    QCipher() = default;

    // A null iv means sixteen zero bytes.
    int Init(int mode, int direction, const quint8* key, int keyLength, const quint8* iv = nullptr);

    int EncryptBlocks(const quint8* input, int inputBits, quint8* output) const;
    int DecryptBlocks(const quint8* input, int inputBits, quint8* output) const;
    // The output holds the input length rounded down to whole blocks, plus one block.
    int EncryptPadded(const quint8* input, int inputBytes, quint8* output) const;
    // The output holds the input length. On bad padding nothing is written.
    int DecryptPadded(const quint8* input, int inputBytes, quint8* output) const;

    // Credentials in the settings store: Base64 of the text's UTF-8 form under
    // AES-256-CBC with the program's key. A stored value that does not
    // decipher reads back as an empty text. GUI thread only: both re-initialise
    // the one settings cipher.
    static QString EncryptString(const QString& text);
    static QString DecryptString(const QString& stored);

private:
    Q_DISABLE_COPY(QCipher)

    enum State { StateReady = 0, StateNotReady = 1 };
    using Block = quint8[BlockBytes];

    void ExpandKey(const quint8* key);
    void MakeDecryptionKeys();
    void EncryptBlock(const quint8* input, quint8* output) const;
    void DecryptBlock(const quint8* input, quint8* output) const;

    // ECB or CBC over whole blocks; `chain` comes in as the vector to chain
    // from and leaves as the one the next block would use.
    void EncryptChained(const quint8* input, int blocks, quint8* output, Block& chain) const;
    void DecryptChained(const quint8* input, int blocks, quint8* output, Block& chain) const;
    void RunCfb1(const quint8* input, int bits, quint8* output, bool decrypt) const;
    int RunBlocks(const quint8* input, int inputBits, quint8* output, int direction) const;

    int m_state = StateNotReady;
    int m_mode = ModeEcb;
    int m_direction = DirEncrypt;
    quint8 m_iv[BlockBytes] = {};
    int m_rounds = 0;
    quint32 m_roundKeys[15 * 4] = {};
};
