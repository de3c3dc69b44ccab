// What the editor would warn about in a mission, or cannot show.
#include "mission_check.h"

#include "mission_words.h"
#include "skirmish_file.h"

#include <array>
#include <cstddef>
#include <string_view>
#include <utility>

namespace skm {

namespace {

using mission::layout::TFieldInfo;
using mission::layout::TRange;

constexpr std::string_view kNoEntry = "%v has no entry (%r): the editor's list shows nothing";

// The field's sentence with the value, the value as shown and the range put in.
std::string Sentence(std::string_view words, std::int64_t value, std::int64_t shown, TRange range) {
    const std::string low = std::to_string(range.Lowest);
    const std::string high = std::to_string(range.Highest);
    const std::pair<std::string_view, std::string> marks[] = {{"%v", std::to_string(value)},
                                                              {"%s", std::to_string(shown)},
                                                              {"%r", low + " to " + high},
                                                              {"%l", low},
                                                              {"%h", high}};
    std::string out(words);
    for (const auto& [mark, text] : marks)
        for (auto at = out.find(mark); at != std::string::npos; at = out.find(mark, at + text.size()))
            out.replace(at, mark.size(), text);
    return out;
}

void Check(std::vector<TFinding>& findings, const std::string& label, const TFieldInfo& info,
           std::int64_t value) {
    const TRange range = info.Range();
    const std::int64_t shown = value + info.ShownOffset;
    if (range.Lowest <= range.Highest && !range.Holds(shown))
        findings.push_back(
            {label, Sentence(info.Beyond.empty() ? kNoEntry : info.Beyond, value, shown, range)});
}

template <class T, std::size_t N>
void Check(std::vector<TFinding>& findings, const std::string& label, const TFieldInfo& info,
           const std::array<T, N>& values) {
    if (info.Look == mission::layout::TLook::Text)
        return;
    for (std::size_t i = 0; i < N; ++i)
        Check(findings, ElementLabel(label, i), info, values[i]);
}

} // namespace

std::vector<TFinding> CheckMission(const mission::TMission& mission, std::uintmax_t fileSize) {
    std::vector<TFinding> findings;
    if (fileSize != mission::kSkirmishFileSize) {
        const bool shorter = fileSize < mission::kSkirmishFileSize;
        findings.push_back({"length", std::to_string(fileSize) + " bytes, not " +
                                          std::to_string(mission::kSkirmishFileSize) +
                                          (shorter ? ": saving fills the rest with zeros"
                                                   : ": saving drops the bytes after the first 5192")});
    }
    VisitLabelled(mission, [&](const std::string& label, const TFieldInfo& info, const auto& value) {
        Check(findings, label, info, value);
    });
    return findings;
}

} // namespace skm
