// The mission as lines of text.
#include "mission_show.h"

#include "ansi_text.h"
#include "mission_words.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>

namespace skm {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHexByte(std::string& out, std::uint8_t byte) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0xF];
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        if (!out.empty())
            out += ' ';
        AppendHexByte(out, byte);
    }
    return out;
}

template <class T, std::size_t N> std::string Numbers(const std::array<T, N>& values) {
    std::string out;
    for (const T value : values) {
        if (!out.empty())
            out += ' ';
        out += std::to_string(value);
    }
    return out;
}

// A text in double quotes; a quote or backslash is escaped with a backslash, and a byte that
// shows as nothing (a control character, or one the code page leaves undefined) as \xNN.
std::string Quoted(std::string_view ansi) {
    std::string out = "\"";
    for (const char c : ansi) {
        const auto byte = static_cast<std::uint8_t>(c);
        const bool invisible = byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
                               byte == 0x90 || byte == 0x9D;
        if (invisible) {
            out += "\\x";
            AppendHexByte(out, byte);
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x80) {
            out += c;
        } else {
            out += text::UnicodeToUtf8(text::AnsiToUnicode(std::string_view(&c, 1)));
        }
    }
    out += '"';
    return out;
}

// A text field; when bytes after the text are not zero, all its stored bytes follow in hex.
std::string TextField(std::span<const std::uint8_t> field) {
    std::string out = Quoted(text::FieldText(field));
    if (HasBytesAfterText(field))
        out += " bytes " + HexBytes(field);
    return out;
}

// A stored number with its list entry in quotes, or the number alone when it has no entry.
std::string WithEntry(std::int64_t value, std::optional<std::string_view> entry) {
    std::string out = std::to_string(value);
    if (entry)
        out += " " + Quoted(*entry);
    return out;
}

// A number as show words it: with its list entry (and the craft's short name), the count it
// means, or whether it says yes.
std::string Value(const mission::layout::TFieldInfo& info, std::int64_t value) {
    using mission::layout::TLook;
    std::string out = WithEntry(value, EntryText(info.Entries, value));
    if (const auto shortName = EntryText(info.ShortEntries, value))
        out += " short " + Quoted(*shortName);
    if (info.Look == TLook::WaveCount) {
        const std::int64_t count = value + info.ShownOffset;
        out += " (" + std::to_string(count) + (count == 1 ? " wave)" : " waves)");
    } else if (info.Look == TLook::YesNo && (value == 0 || value == 1)) {
        out += value == 0 ? " no" : " yes";
    }
    return out;
}

// A list of numbers on one line, a text, or, for a list whose numbers have entries, one line each.
template <class T, std::size_t N>
void AddField(std::vector<TShowLine>& lines, const std::string& label,
              const mission::layout::TFieldInfo& info, const std::array<T, N>& values) {
    using mission::layout::TLook;
    if constexpr (std::is_same_v<T, std::uint8_t>) {
        if (info.Look == TLook::Text || info.Look == TLook::Hex) {
            lines.push_back({label, info.Look == TLook::Text ? TextField(values) : HexBytes(values)});
            return;
        }
    }
    if (info.Entries.empty()) {
        lines.push_back({label, Numbers(values)});
    } else {
        for (std::size_t i = 0; i < N; ++i)
            lines.push_back({ElementLabel(label, i), Value(info, values[i])});
    }
}

template <class T>
void AddField(std::vector<TShowLine>& lines, const std::string& label,
              const mission::layout::TFieldInfo& info, T value) {
    lines.push_back({label, Value(info, value)});
}

} // namespace

std::vector<TShowLine> ShowLines(const mission::TMission& mission) {
    std::vector<TShowLine> lines;
    lines.reserve(16 * 13 + 24);
    VisitLabelled(mission, [&](const std::string& label, const auto& info, const auto& value) {
        AddField(lines, label, info, value);
    });
    return lines;
}

std::string FormatShowLine(const TShowLine& line) {
    std::string out;
    out.reserve(line.Field.size() + line.Value.size() + 3);
    out += line.Field;
    out += ": ";
    out += line.Value;
    out += '\n';
    return out;
}

} // namespace skm
