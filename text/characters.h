// Characters as the file, the registry reader and the window count them: hexadecimal digits, and
// UTF-16 text in which a surrogate pair is one character.
#pragma once

#include <cstddef>
#include <string_view>

namespace text {

// The value of a hexadecimal digit of either case, or -1.
constexpr int HexDigit(char32_t c) {
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

constexpr bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

constexpr bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The length in code units of the first count characters of text.
std::size_t FirstCharacters(std::u16string_view text, std::size_t count);

// The length in code units of text without its last count characters.
std::size_t DropLastCharacters(std::u16string_view text, std::size_t count);

} // namespace text
