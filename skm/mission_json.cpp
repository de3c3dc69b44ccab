// The mission as JSON, written and read.
#include "mission_json.h"

#include "ansi_text.h"
#include "craft_catalogue.h"
#include "mission_words.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

namespace skm {

namespace {

// ---- Writing -----------------------------------------------------------------------------------

using mission::layout::TFieldInfo;
using mission::layout::TLook;

// A character below 0x100 as a JSON escape, \u00XX.
void AppendEscape(std::string& out, unsigned character) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u00";
    out += kHex[character >> 4];
    out += kHex[character & 0xF];
}

// Writes JSON text as it goes: objects and lists of texts one member a line, two spaces an indent
// for each level, lists of numbers on one line. Each value goes under its key in the open object,
// or with no key as the next element of the open list.
class JsonWriter {
public:
    std::string Take() { return std::move(out_) + '\n'; }

    // Opens an object ('{') or a list ('[').
    void Open(char bracket, std::string_view key = {}) {
        Next(key);
        out_ += bracket;
        first_.push_back(true);
    }
    void Close(char bracket) {
        const bool empty = first_.back();
        first_.pop_back();
        if (!empty)
            NewLine();
        out_ += bracket;
    }
    void Number(std::string_view key, std::int64_t value) {
        Next(key);
        out_ += std::to_string(value);
    }
    // A text, or null for none.
    void Text(std::string_view key, std::optional<std::string_view> utf8) {
        Next(key);
        if (!utf8)
            return void(out_ += "null");
        Quoted(*utf8);
    }
    template <class T, std::size_t N> void Numbers(std::string_view key, const std::array<T, N>& values) {
        Next(key);
        for (std::size_t i = 0; i < N; ++i)
            out_ += (i == 0 ? "[" : ", ") + std::to_string(values[i]);
        out_ += ']';
    }

private:
    void Next(std::string_view key) {
        if (first_.empty()) // the outermost value
            return;
        if (!first_.back())
            out_ += ',';
        first_.back() = false;
        NewLine();
        if (!key.empty()) {
            Quoted(key);
            out_ += ": ";
        }
    }
    void NewLine() {
        out_ += '\n';
        out_.append(2 * first_.size(), ' ');
    }
    // Quotes and backslashes escaped, control characters as \u00XX.
    void Quoted(std::string_view utf8) {
        out_ += '"';
        for (const char c : utf8) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\')
                out_ += '\\';
            if (byte < 0x20)
                AppendEscape(out_, byte);
            else
                out_ += c;
        }
        out_ += '"';
    }

    std::string out_;
    std::vector<bool> first_; // for each open object or list, whether it is still empty
};

// The number, with its list entry's text (and the craft's short name) beside it.
void WriteField(JsonWriter& json, const TFieldInfo& info, std::int64_t value) {
    const TJsonKeys keys = JsonKeys(info);
    json.Number(keys.Own, value);
    if (const auto text = EntryText(info.Entries, value))
        json.Text(keys.Text, text);
    if (const auto shortText = EntryText(info.ShortEntries, value))
        json.Text(keys.ShortText, shortText);
}

// A list of numbers, with their entries' texts (null for a number without one) in a list beside
// it; or a text, and when it holds more than the text, all its bytes beside it.
template <class T, std::size_t N>
void WriteField(JsonWriter& json, const TFieldInfo& info, const std::array<T, N>& values) {
    const TJsonKeys keys = JsonKeys(info);
    if constexpr (std::is_same_v<T, std::uint8_t>) {
        if (info.Look == TLook::Text) {
            json.Text(keys.Own, FieldUtf8(values));
            if (HasBytesAfterText(values))
                json.Numbers(keys.Bytes, values);
            return;
        }
    }
    json.Numbers(keys.Own, values);
    if (info.Entries.empty())
        return;
    json.Open('[', keys.Text);
    for (const T value : values)
        json.Text({}, EntryText(info.Entries, value));
    json.Close(']');
}

// ---- Reading -----------------------------------------------------------------------------------

using Json = nlohmann::json;

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
    throw EJsonError(where + ": " + what);
}

// Text from the input as a message may carry it: on one line, with nothing a terminal would take
// for a command (control characters, C1 ones included, are written as JSON escapes), and cut
// after maxLetters characters.
std::string TextForMessage(std::string_view utf8, std::size_t maxLetters) {
    std::string out;
    std::size_t letters = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte & 0xC0) == 0x80) { // the rest of a character already counted
            out += utf8[i];
            continue;
        }
        if (++letters > maxLetters) {
            out += "...";
            break;
        }
        unsigned control = 0x100;
        if (byte < 0x20 || byte == 0x7F)
            control = byte;
        else if (byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                 static_cast<unsigned char>(utf8[i + 1]) < 0xA0)
            control = static_cast<unsigned char>(utf8[++i]);
        if (control == '\n') {
            out += "\\n";
        } else if (control == '\t') {
            out += "\\t";
        } else if (control != 0x100) {
            AppendEscape(out, control);
        } else {
            out += utf8[i];
        }
    }
    return out;
}

// A key of the input, as a field's name in a message.
std::string KeyForMessage(std::string_view key) {
    return TextForMessage(key, 64);
}

std::string Describe(const Json& value) {
    switch (value.type()) {
    case Json::value_t::null:
        return "null";
    case Json::value_t::boolean:
        return value.get<bool>() ? "true" : "false";
    case Json::value_t::string: {
        std::string quoted = value.get_ref<const std::string&>();
        for (std::size_t at = 0; (at = quoted.find_first_of("\"\\", at)) != std::string::npos; at += 2)
            quoted.insert(at, 1, '\\');
        return "the text \"" + TextForMessage(quoted, 64) + "\"";
    }
    case Json::value_t::number_float:
        return "the number " + value.dump();
    case Json::value_t::array:
        return "a list";
    case Json::value_t::object:
        return "an object";
    default:
        return value.dump();
    }
}

template <class T> std::string RangeText() {
    return std::to_string(std::numeric_limits<T>::min()) + " to " +
           std::to_string(std::numeric_limits<T>::max());
}

template <class T> T ReadInteger(const Json& value, const std::string& where) {
    constexpr auto kLowest = static_cast<std::int64_t>(std::numeric_limits<T>::min());
    constexpr auto kHighest = static_cast<std::uint64_t>(std::numeric_limits<T>::max());
    if (!value.is_number_integer())
        Fail(where, "expected a whole number from " + RangeText<T>() + ", found " + Describe(value));
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > kHighest)
            Fail(where, std::to_string(number) + " is out of range " + RangeText<T>());
        return static_cast<T>(number);
    }
    const auto number = value.get<std::int64_t>();
    if (number < kLowest || (number > 0 && static_cast<std::uint64_t>(number) > kHighest))
        Fail(where, std::to_string(number) + " is out of range " + RangeText<T>());
    return static_cast<T>(number);
}

template <class T, std::size_t N>
void ReadIntegers(std::array<T, N>& values, const Json& list, const std::string& where) {
    if (!list.is_array())
        Fail(where, "expected a list of " + std::to_string(N) + " whole numbers, found " + Describe(list));
    if (list.size() != N)
        Fail(where, "expected " + std::to_string(N) + " numbers, found " + std::to_string(list.size()));
    for (std::size_t i = 0; i < N; ++i)
        values[i] = ReadInteger<T>(list[i], where + "[" + std::to_string(i) + "]");
}

// One JSON object of the form: its members by name, each of them required, and no others.
class ObjectReader {
public:
    ObjectReader(const Json& object, std::string path, std::span<const std::string> known)
        : object_(object), path_(std::move(path)) {
        if (!object_.is_object())
            Fail(path_.empty() ? "the JSON" : path_, "expected an object, found " + Describe(object_));
        for (const auto& member : object_.items()) {
            if (std::find(known.begin(), known.end(), member.key()) == known.end())
                Fail(Where(KeyForMessage(member.key())), "not a field of a mission");
        }
    }

    std::string Where(std::string_view key) const {
        return path_.empty() ? std::string(key) : path_ + "." + std::string(key);
    }
    const Json* Find(const std::string& key) const {
        const auto found = object_.find(key);
        return found == object_.end() ? nullptr : &*found;
    }
    const Json& operator[](const std::string& key) const {
        const Json* value = Find(key);
        if (value == nullptr)
            Fail(Where(key), "missing");
        return *value;
    }
    template <class T> void Read(T& field, const std::string& key) const {
        field = ReadInteger<T>((*this)[key], Where(key));
    }
    template <class T, std::size_t N> void Read(std::array<T, N>& field, const std::string& key) const {
        ReadIntegers(field, (*this)[key], Where(key));
    }

private:
    const Json& object_;
    std::string path_;
};

// A text field: the text in the file's 8-bit character set, zero-padded. The field's bytes given
// beside it (as export writes them for a field that holds more than its text) are taken whole as
// long as the text is still theirs; a changed text is stored as the editor stores a typed one.
template <std::size_t N>
void ReadTextField(std::array<std::uint8_t, N>& field, const ObjectReader& object, const std::string& key,
                   const std::string& bytesKey) {
    const std::string where = object.Where(key);
    const Json& value = object[key];
    if (!value.is_string())
        Fail(where, "expected a text, found " + Describe(value));
    const std::u16string unicode = text::Utf8ToUnicode(value.get_ref<const std::string&>());
    const std::string ansi = text::UnicodeToAnsi(unicode);
    if (text::AnsiToUnicode(ansi) != unicode)
        Fail(where, "has a character that the game's character set (Windows-1252) lacks");
    if (ansi.find('\0') != std::string::npos)
        Fail(where, "holds a zero character, which would end the text in the file");
    if (ansi.size() > N)
        Fail(where,
             "is " + std::to_string(ansi.size()) + " characters long, at most " + std::to_string(N) + " fit");
    if (object.Find(bytesKey) != nullptr) {
        std::array<std::uint8_t, N> bytes{};
        object.Read(bytes, bytesKey);
        if (text::FieldText(bytes) == ansi) {
            field = bytes;
            return;
        }
    }
    text::SetFieldText(field, ansi);
}

// The keys of an object that holds these fields: each field's own and those written beside it.
template <class Fields> std::vector<std::string> KnownKeys(const Fields& fields) {
    std::vector<std::string> known;
    std::apply(
        [&](const auto&... field) {
            for (const TFieldInfo& info : {field.Info...}) {
                const TJsonKeys keys = JsonKeys(info);
                for (const std::string& key : {keys.Own, keys.Text, keys.ShortText, keys.Bytes})
                    if (!key.empty())
                        known.push_back(key);
            }
        },
        fields);
    return known;
}

template <class T> void ReadField(const ObjectReader& object, const TFieldInfo& info, T& value) {
    object.Read(value, std::string(info.Name));
}

template <class T, std::size_t N>
void ReadField(const ObjectReader& object, const TFieldInfo& info, std::array<T, N>& values) {
    if constexpr (std::is_same_v<T, std::uint8_t>) {
        if (info.Look == TLook::Text)
            return ReadTextField(values, object, std::string(info.Name), JsonKeys(info).Bytes);
    }
    object.Read(values, std::string(info.Name));
}

// The fields of one record from its object.
template <class Record, class Fields>
void ReadRecord(Record& record, const Fields& fields, const Json& value, const std::string& path,
                std::span<const std::string> known) {
    const ObjectReader object(value, path, known);
    mission::layout::VisitDescribed(
        record, fields, [&](const TFieldInfo& info, auto& field) { ReadField(object, info, field); });
}

// Where a byte stands, counted from 1 in lines and in bytes along the line.
std::pair<int, int> LineAndColumn(std::string_view text, std::size_t offset) {
    const std::string_view before = text.substr(0, std::min(offset, text.size()));
    const int line = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t lineStart = before.rfind('\n');
    const int column =
        1 +
        static_cast<int>(lineStart == std::string_view::npos ? before.size() : before.size() - lineStart - 1);
    return {line, column};
}

// Where the text is wrong, with what is wrong there: by default, that it is not JSON.
[[noreturn]] void FailAt(std::string_view text, std::size_t offset, const std::string& what,
                         std::string_view kind = "not JSON: ") {
    const auto [line, column] = LineAndColumn(text, offset);
    throw EJsonError(std::string(kind) + what, line, column);
}

// Builds the JSON value as the parser reads it, and stops at what no mission holds before it costs
// time or memory: nesting deeper than kMaxDepth (a mission is four levels deep, counting the
// outermost object), a list or object of more than kMaxItems values (a mission's longest list
// has 69), and a key given twice in one object, which would otherwise leave one of its values
// unread without a word.
class TMissionJsonBuilder {
public:
    static constexpr std::size_t kMaxDepth = 64;
    static constexpr std::size_t kMaxItems = 1024;

    bool null() { return Add(Json(nullptr)) != nullptr; }
    bool boolean(bool value) { return Add(Json(value)) != nullptr; }
    bool number_integer(Json::number_integer_t value) { return Add(Json(value)) != nullptr; }
    bool number_unsigned(Json::number_unsigned_t value) { return Add(Json(value)) != nullptr; }
    bool number_float(Json::number_float_t value, const std::string&) { return Add(Json(value)) != nullptr; }
    bool string(std::string& value) { return Add(Json(std::move(value))) != nullptr; }
    bool binary(Json::binary_t& value) { return Add(Json::binary(std::move(value))) != nullptr; }
    bool start_object(std::size_t) { return Open(Json::object()); }
    bool start_array(std::size_t) { return Open(Json::array()); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }
    bool key(std::string& name) {
        Json& object = *open_.back();
        if (object.size() >= kMaxItems) {
            tooMany_ = Path();
            return false;
        }
        if (object.contains(name)) {
            duplicate_ = Path() + (open_.size() > 1 ? "." : "") + KeyForMessage(name);
            return false;
        }
        keys_.back() = name;
        member_ = &object[std::move(name)];
        return true;
    }
    bool parse_error(std::size_t position, const std::string& token, const Json::exception& error) {
        // A syntax error is told where the parser stopped; a number too large for a double,
        // which the parser finds only once it has read it whole, where that number starts.
        errorAt_ = error.id == 406 && position > token.size() ? position - token.size() + 1 : position;
        // The library's words without its "[json.exception.parse_error.101] parse error at line L,
        // column C: " (the place is told in the file's own terms).
        std::string what = error.what();
        if (const std::size_t tag = what.find("] ");
            what.starts_with("[json.exception.") && tag != std::string::npos)
            what.erase(0, tag + 2);
        if (what.starts_with("parse error")) {
            const std::size_t words = what.find(": ");
            what = words == std::string::npos ? std::string() : what.substr(words + 2);
        }
        error_ = TextForMessage(what.empty() ? "does not parse" : what, 120);
        // A number too large for a double is JSON, but no field holds it: said in the fields' words.
        if (error.id == 406)
            overflow_ =
                ValuePath() + ": " + TextForMessage(token, 40) + " is a number too large for any field";
        return false;
    }

    Json Take(std::string_view text) {
        if (tooDeep_)
            FailAt(text, DeepestOpening(text),
                   "nested more than " + std::to_string(kMaxDepth) + " levels deep");
        if (tooMany_)
            Fail(tooMany_->empty() ? "the JSON" : *tooMany_,
                 "holds more than " + std::to_string(kMaxItems) +
                     " values; no part of a mission holds as many");
        if (!duplicate_.empty())
            Fail(duplicate_, "given twice; a field may be given only once");
        if (!overflow_.empty())
            FailAt(text, ErrorOffset(), overflow_, "");
        if (errorAt_)
            FailAt(text, ErrorOffset(), error_);
        return std::move(root_);
    }
    // Where the parser found its input wrong, or 0.
    std::size_t ErrorOffset() const { return errorAt_ && *errorAt_ > 0 ? *errorAt_ - 1 : 0; }

private:
    Json* Add(Json&& value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Json& parent = *open_.back();
        if (parent.is_array()) {
            if (parent.size() >= kMaxItems) {
                tooMany_ = Path();
                return nullptr;
            }
            parent.push_back(std::move(value));
            return &parent.back();
        }
        *member_ = std::move(value);
        return member_;
    }
    bool Open(Json&& container) {
        if (open_.size() >= kMaxDepth) {
            tooDeep_ = true;
            return false;
        }
        Json* added = Add(std::move(container));
        if (added == nullptr)
            return false;
        open_.push_back(added);
        keys_.emplace_back();
        return true;
    }
    bool Close() {
        open_.pop_back();
        keys_.pop_back();
        return true;
    }
    // Where the innermost open value stands: "FlightGroups[3]", as the field errors say it.
    std::string Path() const {
        std::string path;
        for (std::size_t level = 1; level < open_.size(); ++level) {
            const Json& parent = *open_[level - 1];
            if (parent.is_array())
                path += "[" + std::to_string(parent.size() - 1) + "]";
            else
                path += (path.empty() ? "" : ".") + KeyForMessage(keys_[level - 1]);
        }
        return path;
    }
    // Where the value being read stands: "FlightGroups[3].Order".
    std::string ValuePath() const {
        if (open_.empty())
            return "the JSON";
        const std::string path = Path();
        if (open_.back()->is_array())
            return path + "[" + std::to_string(open_.back()->size()) + "]";
        return path + (path.empty() ? "" : ".") + KeyForMessage(keys_.back());
    }
    // The bracket that opened one level too many. The parser read everything up to it without
    // fault, so counting brackets outside strings finds it.
    static std::size_t DeepestOpening(std::string_view text) {
        std::size_t depth = 0;
        bool inString = false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (inString) {
                if (c == '\\')
                    ++i;
                else if (c == '"')
                    inString = false;
            } else if (c == '"') {
                inString = true;
            } else if (c == '[' || c == '{') {
                if (++depth > kMaxDepth)
                    return i;
            } else if (c == ']' || c == '}') {
                --depth;
            }
        }
        return text.size();
    }

    Json root_;
    std::vector<Json*> open_;       // the objects and lists being read, outermost first
    std::vector<std::string> keys_; // for each open object, the key being read
    Json* member_ = nullptr;        // where the next value of the innermost object goes
    bool tooDeep_ = false;
    std::optional<std::string> tooMany_; // where
    std::string duplicate_;
    std::optional<std::size_t> errorAt_;
    std::string error_;
    std::string overflow_;
};

Json Parse(std::string_view text) {
    // The parser takes a zero byte for the end of its input; the whole input must be JSON.
    const std::size_t zero = std::min(text.find('\0'), text.size());
    TMissionJsonBuilder builder;
    const bool parsed = Json::sax_parse(text.substr(0, zero), &builder);
    if (zero < text.size() && (parsed || builder.ErrorOffset() >= zero))
        FailAt(text, zero, "a zero byte, which JSON does not hold");
    return builder.Take(text);
}

} // namespace

TJsonKeys JsonKeys(const mission::layout::TFieldInfo& info) {
    const std::string own(info.Name);
    const auto beside = [&](bool has, const char* what) { return has ? own + what : std::string(); };
    return {own, beside(!info.Entries.empty(), "Text"), beside(!info.ShortEntries.empty(), "ShortText"),
            beside(info.Look == TLook::Text, "Bytes")};
}

std::string ExportJson(const mission::TMission& mission) {
    JsonWriter json;
    json.Open('{');
    json.Text("format", kJsonFormat);
    json.Number("formatVersion", kJsonFormatVersion);
    mission::layout::VisitParts(mission, [&](const auto& part, auto records) {
        const bool list = mission::layout::kEachGroup<decltype(part.record)>;
        if (list)
            json.Open('[', part.Name);
        for (const auto& record : records) {
            json.Open('{', list ? std::string_view() : part.Name);
            mission::layout::VisitDescribed(
                record, part.fields,
                [&](const TFieldInfo& info, const auto& field) { WriteField(json, info, field); });
            json.Close('}');
        }
        if (list)
            json.Close(']');
    });
    json.Close('}');
    return json.Take();
}

mission::TMission ImportJson(std::string_view text) {
    const Json root = Parse(text);
    std::vector<std::string> topKeys{"$schema", "format", "formatVersion"}; // $schema: for editors
    std::apply([&](const auto&... part) { (topKeys.emplace_back(part.Name), ...); }, mission::layout::kParts);
    const ObjectReader top(root, "", topKeys);
    const Json& format = top["format"];
    if (!format.is_string() || format.get_ref<const std::string&>() != kJsonFormat)
        Fail("format", "expected \"" + std::string(kJsonFormat) + "\", found " + Describe(format));
    int version = 0;
    top.Read(version, "formatVersion");
    if (version != kJsonFormatVersion)
        Fail("formatVersion", std::to_string(version) + " is not a version this program reads (" +
                                  std::to_string(kJsonFormatVersion) + ")");

    mission::TMission mission;
    mission::layout::VisitParts(mission, [&](const auto& part, auto records) {
        const std::string name(part.Name);
        const std::vector<std::string> known = KnownKeys(part.fields);
        if constexpr (mission::layout::kEachGroup<decltype(part.record)>) {
            const Json& groups = top[name];
            if (!groups.is_array())
                Fail(name, "expected a list of 16 flight groups, found " + Describe(groups));
            if (groups.size() != records.size())
                Fail(name, "expected 16 flight groups, found " + std::to_string(groups.size()));
            for (std::size_t slot = 0; slot < records.size(); ++slot)
                ReadRecord(records[slot], part.fields, groups[slot], name + "[" + std::to_string(slot) + "]",
                           known);
        } else {
            ReadRecord(records[0], part.fields, top[name], name, known);
        }
    });
    return mission;
}

} // namespace skm
