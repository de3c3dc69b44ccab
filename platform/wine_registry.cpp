// Wine's system.reg, read the way Wine's own loader reads it, but only as far as one value needs.
#include "wine_registry.h"

#include "ansi_text.h"
#include "ascii_case.h"
#include "characters.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <istream>
#include <optional>
#include <vector>

namespace platform::wine {

namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
// The longest hex data collected for one value; an install path is far shorter.
constexpr std::size_t kMaxValueText = 1u << 20;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    return platform::SameName(a, b);
}

void SkipSpaces(std::string_view& text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
}

// A quoted name or string up to its unescaped end character, which is consumed. Escapes are C's
// letters, octal (up to three digits), \x with up to four hex digits (UTF-16 code units), and a
// backslash before any other character for that character. Bytes outside escapes are taken as
// code units, as Wine takes them. Nothing when the end character is missing.
std::optional<std::u16string> Unescape(std::string_view& text, char end) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size() && text[i] != end) {
        if (text[i] != '\\') {
            out.push_back(static_cast<unsigned char>(text[i++]));
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        const char c = text[i];
        static constexpr std::string_view kLetters = "abtnvfre";
        static constexpr std::array<char16_t, 8> kCodes = {7, 8, 9, 10, 11, 12, 13, 27};
        if (const auto letter = kLetters.find(c); letter != std::string_view::npos) {
            out.push_back(kCodes[letter]);
            ++i;
        } else if (c >= '0' && c <= '7') {
            char16_t value = 0;
            for (int digits = 0; digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7'; ++digits)
                value = static_cast<char16_t>(value * 8 + (text[i++] - '0'));
            out.push_back(value);
        } else if (c == 'x') {
            ++i;
            char16_t value = 0;
            for (int digits = 0; digits < 4 && i < text.size() && text::HexDigit(text[i]) >= 0; ++digits)
                value = static_cast<char16_t>(value * 16 + text::HexDigit(text[i++]));
            out.push_back(value);
        } else {
            out.push_back(static_cast<unsigned char>(c));
            ++i;
        }
    }
    if (i == text.size())
        return std::nullopt;
    text.remove_prefix(i + 1);
    return out;
}

// Comma-separated hex bytes; nothing when a byte is malformed.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    SkipSpaces(text);
    while (!text.empty() && text::HexDigit(text.front()) >= 0) {
        unsigned value = 0;
        while (!text.empty() && text::HexDigit(text.front()) >= 0) {
            value = value * 16 + static_cast<unsigned>(text::HexDigit(text.front()));
            if (value > 0xFF)
                return std::nullopt;
            text.remove_prefix(1);
        }
        bytes.push_back(static_cast<std::uint8_t>(value));
        SkipSpaces(text);
        if (!text.empty() && text.front() == ',')
            text.remove_prefix(1);
        SkipSpaces(text);
    }
    if (!text.empty())
        return std::nullopt;
    return bytes;
}

std::u16string UpToZero(std::u16string text) {
    if (const auto zero = text.find(u'\0'); zero != std::u16string::npos)
        text.resize(zero);
    return text;
}

RegistryValue StringValue(const std::u16string& text) {
    return {RegistryValue::State::String, text::UnicodeToUtf8(UpToZero(text))};
}

// Reads lines out of a large buffer, with a bound on their length and on the budget's bytes and
// lines. A line stays valid until the next one is asked for.
class LineReader {
public:
    LineReader(std::istream& in, ReadBudget& budget) : in_(in), budget_(budget), buffer_(kBufferSize) {}

    // The next line without its line end; false at the end. An overlong line comes back empty.
    bool Next(std::string_view& line) {
        bool overlong = false;
        for (;;) {
            if (budget_.Lines == 0)
                return false;
            const char* begin = buffer_.data() + start_;
            const std::size_t pending = filled_ - start_;
            const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', pending));
            if (newline || (atEnd_ && pending > 0)) {
                const std::size_t length = newline ? static_cast<std::size_t>(newline - begin) : pending;
                start_ += newline ? length + 1 : length;
                --budget_.Lines;
                line = overlong || length > kMaxRegistryLine ? std::string_view()
                                                             : std::string_view(begin, length);
                if (line.ends_with('\r'))
                    line.remove_suffix(1);
                return true;
            }
            if (atEnd_)
                return false;
            if (pending > kMaxRegistryLine) {
                // No line end yet and already too long: drop what there is and skip to the line's end.
                overlong = true;
                start_ = filled_;
            }
            Refill();
        }
    }

private:
    static constexpr std::size_t kBufferSize = kMaxRegistryLine + (256u << 10);

    // Moves the unread part to the front and reads more behind it; at the end of the text, or of
    // the budget, there is no more.
    void Refill() {
        std::memmove(buffer_.data(), buffer_.data() + start_, filled_ - start_);
        filled_ -= start_;
        start_ = 0;
        const std::size_t wanted = std::min(buffer_.size() - filled_, budget_.Bytes);
        in_.read(buffer_.data() + filled_, static_cast<std::streamsize>(wanted));
        const auto count = static_cast<std::size_t>(in_.gcount());
        filled_ += count;
        budget_.Bytes -= count;
        atEnd_ = count == 0 || in_.bad();
    }

    std::istream& in_;
    ReadBudget& budget_;
    std::vector<char> buffer_;
    std::size_t start_ = 0;  // where the unread text begins
    std::size_t filled_ = 0; // where it ends
    bool atEnd_ = false;
};

// The value's data after "=": its type tag and content. Hex data may go on over lines ending in
// a backslash, which the reader supplies.
RegistryValue ParseData(std::string_view data, LineReader& lines) {
    RegistryValue notAString{RegistryValue::State::NotAString, {}};
    for (const std::string_view tag : {"\"", "str:\"", "str(2):\""}) {
        if (data.starts_with(tag)) {
            data.remove_prefix(tag.size());
            const auto text = Unescape(data, '"');
            return text ? StringValue(*text) : RegistryValue{};
        }
    }
    std::uint32_t type = 0;
    if (data.starts_with("str(7):\"") || data.starts_with("dword:"))
        return notAString;
    if (data.starts_with("hex:")) {
        data.remove_prefix(4);
        type = 3;
    } else if (data.starts_with("hex(")) {
        data.remove_prefix(4);
        std::size_t digits = 0;
        while (digits < data.size() && digits < 8 && text::HexDigit(data[digits]) >= 0)
            type = type * 16 + static_cast<std::uint32_t>(text::HexDigit(data[digits++]));
        if (digits == 0 || data.substr(digits, 2) != "):")
            return {};
        data.remove_prefix(digits + 2);
    } else {
        return {};
    }
    if (type != kRegSz && type != kRegExpandSz)
        return notAString;

    // A trailing backslash continues the hex data on the next line.
    std::string hex;
    std::string_view next;
    for (;;) {
        while (!data.empty() && IsSpace(data.back()))
            data.remove_suffix(1);
        if (data.empty() || data.back() != '\\') {
            hex += data;
            break;
        }
        data.remove_suffix(1);
        hex += data;
        if (hex.size() > kMaxValueText || !lines.Next(next))
            return {};
        data = next;
    }
    const auto bytes = ParseHexBytes(hex);
    if (!bytes)
        return {};
    std::u16string text(bytes->size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>((*bytes)[2 * i] | ((*bytes)[2 * i + 1] << 8));
    return StringValue(text);
}

std::u16string ToUtf16(std::string_view text) {
    return text::Utf8ToUnicode(text);
}

} // namespace

RegistryValue ReadRegistryValue(std::istream& in, std::string_view key, std::string_view valueName,
                                ReadBudget& budget) {
    LineReader lines(in, budget);
    std::string_view line;
    if (!lines.Next(line) || line != "WINE REGISTRY Version 2")
        return {};

    const std::u16string wantedKey = ToUtf16(key);
    const std::u16string wantedValue = ToUtf16(valueName);
    // Only keys under Software have a 32-bit view of their own.
    constexpr std::u16string_view kSoftware = u"Software\\";
    std::u16string key32;
    if (SameName(std::u16string_view(wantedKey).substr(0, kSoftware.size()), kSoftware))
        key32 = std::u16string(kSoftware) + u"Wow6432Node\\" + wantedKey.substr(kSoftware.size());

    bool prefix64 = false;
    bool beforeKeys = true;
    RegistryValue found32;
    RegistryValue found;
    RegistryValue* section = nullptr; // where a value of the section being read goes, if anywhere
    while (lines.Next(line)) {
        std::string_view rest = line;
        SkipSpaces(rest);
        if (rest.empty())
            continue;
        if (rest.front() == '[') {
            beforeKeys = false;
            rest.remove_prefix(1);
            const auto name = Unescape(rest, ']');
            section = nullptr;
            if (name && SameName(*name, wantedKey))
                section = &found;
            else if (name && prefix64 && SameName(*name, key32))
                section = &found32;
        } else if (rest.front() == '#') {
            if (beforeKeys && rest == "#arch=win64" && !key32.empty())
                prefix64 = true;
        } else if (section && (rest.front() == '"' || rest.front() == '@')) {
            std::u16string name;
            const bool quoted = rest.front() == '"';
            rest.remove_prefix(1);
            if (quoted) {
                const auto parsed = Unescape(rest, '"');
                if (!parsed)
                    continue;
                name = *parsed;
            }
            if (!SameName(name, wantedValue))
                continue;
            SkipSpaces(rest);
            if (rest.empty() || rest.front() != '=')
                continue;
            rest.remove_prefix(1);
            SkipSpaces(rest);
            // A malformed assignment leaves the value as an earlier one set it, as Wine's loader does.
            if (RegistryValue value = ParseData(rest, lines); value.Found != RegistryValue::State::Missing)
                *section = std::move(value);
        }
    }
    return found32.Found != RegistryValue::State::Missing ? found32 : found;
}

RegistryValue ReadRegistryValue(std::istream& in, std::string_view key, std::string_view valueName) {
    ReadBudget budget;
    return ReadRegistryValue(in, key, valueName, budget);
}

RegistryValue ReadRegistryFile(const std::filesystem::path& file, std::string_view key,
                               std::string_view valueName, ReadBudget& budget) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return {};
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    return ReadRegistryValue(in, key, valueName, budget);
}

RegistryValue ReadRegistryFile(const std::filesystem::path& file, std::string_view key,
                               std::string_view valueName) {
    ReadBudget budget;
    return ReadRegistryFile(file, key, valueName, budget);
}

} // namespace platform::wine
