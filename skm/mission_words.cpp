// The words quarnel-skm gives a mission's stored values.
#include "mission_words.h"

#include "ansi_text.h"

#include <algorithm>

namespace skm {

namespace {

std::string_view WithoutTrailingSpaces(std::string_view entry) {
    const auto end = entry.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view{} : entry.substr(0, end + 1);
}

} // namespace

std::optional<std::string_view> EntryText(std::span<const std::string_view> entries, std::int64_t value) {
    const int position = mission::ListPosition(value, entries.size());
    if (position < 0)
        return std::nullopt;
    return WithoutTrailingSpaces(entries[static_cast<std::size_t>(position)]);
}

std::string FieldUtf8(std::span<const std::uint8_t> field) {
    return text::UnicodeToUtf8(text::AnsiToUnicode(text::FieldText(field)));
}

bool HasBytesAfterText(std::span<const std::uint8_t> field) {
    const std::size_t length = text::FieldText(field).size();
    return std::any_of(field.begin() + static_cast<std::ptrdiff_t>(length), field.end(),
                       [](std::uint8_t byte) { return byte != 0; });
}

std::string ElementLabel(const std::string& label, std::size_t index) {
    return label + " " + std::to_string(index + 1);
}

} // namespace skm
