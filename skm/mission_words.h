// The words quarnel-skm gives a mission's stored values: the texts of the option lists and the
// craft catalogue, and the file's 8-bit texts as UTF-8.
#pragma once

#include "mission_model.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace skm {

// The list entry that shows value, without the trailing space some entries carry; nothing for a
// value without an entry.
std::optional<std::string_view> EntryText(std::span<const std::string_view> entries, std::int64_t value);

// The craft catalogue's two names for a CraftType; nothing for 232 to 255.
std::optional<std::string_view> CraftLongText(int craftType);
std::optional<std::string_view> CraftShortText(int craftType);

// The text of a zero-padded 8-bit field, up to its first zero, as UTF-8.
std::string FieldUtf8(std::span<const std::uint8_t> field);

// True when a byte after the field's text is not zero: the field then holds more than its text.
bool HasBytesAfterText(std::span<const std::uint8_t> field);

} // namespace skm
