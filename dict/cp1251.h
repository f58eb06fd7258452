#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The Windows-1251 code page, both ways. Byte 0x98, which the code page
// leaves unassigned, stands for U+0098 so that every byte has a character
// and every such character its byte. Inline: a dictionary load sends every
// character of the file through here.
namespace Cp1251 {

namespace Tables {

// Characters of the bytes 0x80 to 0xFF; the lower half is ASCII.
inline constexpr std::array<char16_t, 128> UpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // F8
};

// The same table turned round, in two levels by the character's high byte:
// the upper half lives in four blocks of Unicode (Latin-1, Cyrillic, general
// punctuation, letter-like symbols). Built at compile time; a lookup is two
// loads, which matters when a whole file goes through it.
struct ReverseTable
{
    static constexpr std::size_t NoBlock = 0xFF;
    std::array<std::uint8_t, 256> blockOf{};           // high byte -> block, or NoBlock
    std::array<std::array<std::uint8_t, 256>, 4> bytes{}; // low byte -> code page byte, 0 = none
};

constexpr ReverseTable makeReverseTable()
{
    ReverseTable table;
    table.blockOf.fill(ReverseTable::NoBlock);
    std::size_t blocks = 0;
    for (std::size_t i = 0; i < UpperHalf.size(); ++i) {
        const auto high = static_cast<std::size_t>(UpperHalf[i] >> 8);
        if (table.blockOf[high] == ReverseTable::NoBlock)
            table.blockOf[high] = static_cast<std::uint8_t>(blocks++);
        table.bytes[table.blockOf[high]][UpperHalf[i] & 0xFFu] = static_cast<std::uint8_t>(0x80 + i);
    }
    return table;
}

inline constexpr ReverseTable Reverse = makeReverseTable();

} // namespace Tables

inline char16_t toUnicode(unsigned char byte)
{
    return byte < 0x80 ? char16_t(byte) : Tables::UpperHalf[byte - 0x80u];
}

// The byte of a character, or -1 when the code page cannot represent it.
inline int byteOf(char16_t ch)
{
    using Tables::Reverse;
    if (ch < 0x80)
        return ch;
    const std::size_t block = Reverse.blockOf[ch >> 8];
    if (block == Tables::ReverseTable::NoBlock)
        return -1;
    const std::uint8_t byte = Reverse.bytes[block][ch & 0xFFu];
    return byte == 0 ? -1 : byte;
}

// The same as an optional byte.
inline std::optional<unsigned char> fromUnicode(char16_t ch)
{
    const int byte = byteOf(ch);
    if (byte < 0)
        return std::nullopt;
    return static_cast<unsigned char>(byte);
}

} // namespace Cp1251
