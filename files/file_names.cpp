// File names as the system gives them against the UTF-16 text the window shows.
#include "file_names.h"

#include <cstdint>

namespace files {

namespace {

constexpr char16_t kKeptByte = 0xDC00; // a kept byte b is U+DC00 + b, b from 0x80 to 0xFF

// The length of the UTF-8 character at the start of bytes and its code point; 0 where it is none
// (a stray byte, a character cut short, a longer form than needed, a surrogate, past U+10FFFF).
std::size_t Utf8Character(std::string_view bytes, char32_t& code) {
    const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const std::uint8_t lead = at(0);
    std::size_t length = 0;
    char32_t lowest = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, lowest = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((at(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (at(i) & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::u16string NameFromSystem(std::string_view bytes) {
    std::u16string name;
    name.reserve(bytes.size());
    while (!bytes.empty()) {
        char32_t code = 0;
        std::size_t length = Utf8Character(bytes, code);
        if (length == 0) {
            code = kKeptByte + static_cast<std::uint8_t>(bytes[0]);
            length = 1;
        }
        if (code >= 0x10000) {
            name += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            name += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            name += static_cast<char16_t>(code);
        }
        bytes.remove_prefix(length);
    }
    return name;
}

std::u16string NameFromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return std::u16string(path.native().begin(), path.native().end());
#else
    return NameFromSystem(path.native());
#endif
}

std::filesystem::path PathFromName(std::u16string_view name) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(name.begin(), name.end()));
#else
    std::string bytes;
    bytes.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        char32_t code = name[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (name[++i] - 0xDC00);
        } else if (code >= kKeptByte + 0x80 && code <= kKeptByte + 0xFF) {
            bytes += static_cast<char>(code - kKeptByte);
            continue;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD; // a lone surrogate that carries no byte
        }
        if (code < 0x80) {
            bytes += static_cast<char>(code);
        } else if (code < 0x800) {
            bytes += static_cast<char>(0xC0 | (code >> 6));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += static_cast<char>(0xE0 | (code >> 12));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (code >> 18));
            bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return std::filesystem::path(bytes);
#endif
}

std::u16string AbsoluteName(std::u16string_view name) {
    const std::filesystem::path absolute = std::filesystem::absolute(PathFromName(name)).lexically_normal();
#ifdef _WIN32
    const std::wstring& native = absolute.native();
    return std::u16string(native.begin(), native.end());
#else
    return NameFromSystem(absolute.native());
#endif
}

} // namespace files
