#pragma once

#include <optional>

// The Windows-1251 code page, both ways. Byte 0x98, which the code page
// leaves unassigned, stands for U+0098 so that every byte has a character
// and every such character its byte.
namespace Cp1251 {

char16_t toUnicode(unsigned char byte);
// The byte of a character; none when the code page cannot represent it.
std::optional<unsigned char> fromUnicode(char16_t ch);

} // namespace Cp1251
