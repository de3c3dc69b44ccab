// Counting characters of UTF-16 text.
#include "characters.h"

namespace text {

std::size_t FirstCharacters(std::u16string_view text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t taken = 0; taken < count && end < text.size(); ++taken)
        end += IsHighSurrogate(text[end]) && end + 1 < text.size() && IsLowSurrogate(text[end + 1]) ? 2 : 1;
    return end;
}

std::size_t DropLastCharacters(std::u16string_view text, std::size_t count) {
    std::size_t end = text.size();
    for (; count > 0 && end > 0; --count) {
        --end;
        if (end > 0 && IsLowSurrogate(text[end]) && IsHighSurrogate(text[end - 1]))
            --end;
    }
    return end;
}

} // namespace text
