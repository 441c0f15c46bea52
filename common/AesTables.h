#pragma once

#include <array>
#include <cstdint>

// The constant tables of the AES block cipher, computed by the compiler from
// the arithmetic of GF(2^8) modulo x^8 + x^4 + x^3 + x + 1. Round-table words
// hold one column, row 0 in the most significant byte.
namespace AesTables {

using ByteTable = std::array<std::uint8_t, 256>;
using WordTable = std::array<std::uint32_t, 256>;
using RoundTables = std::array<WordTable, 4>;

constexpr std::uint8_t Xtime(std::uint8_t value)
{
    return std::uint8_t((value << 1) ^ ((value & 0x80) ? 0x1b : 0x00));
}

constexpr std::uint8_t Multiply(std::uint8_t a, std::uint8_t b)
{
    std::uint8_t product = 0;
    for (; b != 0; b >>= 1) {
        if (b & 1)
            product ^= a;
        a = Xtime(a);
    }
    return product;
}

constexpr std::uint8_t RotateLeft(std::uint8_t value, int shift)
{
    return std::uint8_t((value << shift) | (value >> (8 - shift)));
}

constexpr ByteTable MakeSBox()
{
    ByteTable box {};
    box[0] = 0x63; // zero has no inverse; the affine map alone gives 0x63
    // p runs through the powers of the generator 3 and q through those of its
    // inverse 0xf6, so q is always the multiplicative inverse of p.
    std::uint8_t p = 1;
    std::uint8_t q = 1;
    do {
        p = Multiply(p, 0x03);
        q = Multiply(q, 0xf6);
        box[p] = std::uint8_t(
            q ^ RotateLeft(q, 1) ^ RotateLeft(q, 2) ^ RotateLeft(q, 3) ^ RotateLeft(q, 4) ^ 0x63);
    } while (p != 1);
    return box;
}

constexpr ByteTable Invert(const ByteTable& box)
{
    ByteTable inverse {};
    for (int i = 0; i < 256; ++i)
        inverse[box[i]] = std::uint8_t(i);
    return inverse;
}

constexpr std::array<std::uint8_t, 10> MakeRoundConstants()
{
    std::array<std::uint8_t, 10> constants {};
    std::uint8_t value = 1;
    for (auto& constant : constants) {
        constant = value;
        value = Xtime(value);
    }
    return constants;
}

constexpr std::uint32_t Column(std::uint8_t row0, std::uint8_t row1, std::uint8_t row2, std::uint8_t row3)
{
    return std::uint32_t(row0) << 24 | std::uint32_t(row1) << 16 | std::uint32_t(row2) << 8 | row3;
}

constexpr std::uint32_t RotateRight(std::uint32_t word, int shift)
{
    return shift == 0 ? word : (word >> shift) | (word << (32 - shift));
}

constexpr ByteTable MakeIdentity()
{
    ByteTable identity {};
    for (int i = 0; i < 256; ++i)
        identity[i] = std::uint8_t(i);
    return identity;
}

// Table k maps the byte in row k of a column to its share of that column after
// substitution and the mixing matrix whose first column is `mix`.
constexpr RoundTables MakeRoundTables(const ByteTable& substitute, std::array<std::uint8_t, 4> mix)
{
    RoundTables tables {};
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t value = substitute[i];
        const std::uint32_t column = Column(Multiply(value, mix[0]), Multiply(value, mix[1]),
            Multiply(value, mix[2]), Multiply(value, mix[3]));
        for (int k = 0; k < 4; ++k)
            tables[k][i] = RotateRight(column, 8 * k);
    }
    return tables;
}

inline constexpr ByteTable SBox = MakeSBox();
inline constexpr ByteTable InverseSBox = Invert(SBox);
inline constexpr std::array<std::uint8_t, 10> RoundConstants = MakeRoundConstants();

// SubBytes + MixColumns of the encryption rounds.
inline constexpr RoundTables Encryption = MakeRoundTables(SBox, { 0x02, 0x01, 0x01, 0x03 });
// InvSubBytes + InvMixColumns of the equivalent inverse cipher's rounds.
inline constexpr RoundTables Decryption = MakeRoundTables(InverseSBox, { 0x0e, 0x09, 0x0d, 0x0b });
// InvMixColumns alone, to turn encryption round keys into decryption ones.
inline constexpr RoundTables KeyInversion = MakeRoundTables(MakeIdentity(), { 0x0e, 0x09, 0x0d, 0x0b });

} // namespace AesTables
