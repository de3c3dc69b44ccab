// The mission as JSON: what `quarnel-skm export` writes and `quarnel-skm import` reads. Every
// stored field by its name as a number (texts as UTF-8 strings), with the list entry's text beside
// it for reading; import takes the numbers and ignores those texts.
#pragma once

#include "mission_model.h"
#include "skirmish_layout.h"
#include "user_error.h"

#include <string>
#include <string_view>

namespace skm {

inline constexpr std::string_view kJsonFormat = "quarnel-skm mission";
inline constexpr int kJsonFormatVersion = 1;

// JSON that is not a mission: its text names the field ("FlightGroups[3].CraftType: 256 is out of
// range 0 to 255"), or for JSON that does not parse, Line and Column (from 1) say where.
class EJsonError : public text::EUserError {
public:
    explicit EJsonError(const std::string& message, int line = 0, int column = 0)
        : text::EUserError(message), Line(line), Column(column) {}
    int Line;
    int Column;
};

// The keys the JSON gives a field: its own, and those written beside it when the field has them
// (the list entry's text, the craft's short name, all the bytes of a text), else empty.
struct TJsonKeys {
    std::string Own, Text, ShortText, Bytes;
};
TJsonKeys JsonKeys(const mission::layout::TFieldInfo& info);

// The mission as JSON text, two spaces an indent, lists of numbers on one line, ending in a line
// break. The same mission always gives the same text.
std::string ExportJson(const mission::TMission& mission);

// The mission that JSON text describes; every stored field must be given. Raises EJsonError.
mission::TMission ImportJson(std::string_view json);

} // namespace skm
