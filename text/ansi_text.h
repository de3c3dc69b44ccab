// Conversion between the file's 8-bit text (Windows-1252 on every system) and Unicode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace text {

// Every byte converts to one character; the five bytes Windows-1252 leaves undefined map to
// the control characters of the same number, so any stored byte comes back unchanged.
std::u16string AnsiToUnicode(std::string_view bytes);

// Every character converts to one byte; a character the code page lacks becomes "?".
// A surrogate pair is one character.
std::string UnicodeToAnsi(std::u16string_view text);

// The text of a zero-padded field: its bytes up to the first zero.
std::string_view FieldText(std::span<const std::uint8_t> field);

// Fills a fixed-width field with the first field.size() bytes of text, zero-padding the rest.
void SetFieldText(std::span<std::uint8_t> field, std::string_view text);

// UTF-8, used for file names on systems that store them so.
std::u16string Utf8ToUnicode(std::string_view utf8);
std::string UnicodeToUtf8(std::u16string_view text);

} // namespace text
