// Names compared as Windows and Wine compare them: letters A to Z match their lower case; no
// other character is folded.
#pragma once

#include <string_view>

namespace platform {

template <typename Char> Char FoldCase(Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <typename Char> bool SameName(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

} // namespace platform
