// The editor's integer reader.
#include "integer_text.h"

#include "characters.h"

namespace editor {

std::optional<std::int32_t> ParseInteger(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    text = text.mid(i);
    if (text.isEmpty())
        return std::nullopt;

    qsizetype prefix = 0;
    if (text[0] == u'$' || text[0] == u'x' || text[0] == u'X')
        prefix = 1;
    else if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        prefix = 2;
    if (prefix > 0) {
        const QStringView digits = text.mid(prefix);
        if (digits.isEmpty())
            return std::nullopt;
        std::uint64_t value = 0;
        for (const QChar c : digits) {
            const int d = text::HexDigit(c.unicode());
            if (d < 0)
                return std::nullopt;
            value = value * 16 + static_cast<std::uint64_t>(d);
            if (value > 0xFFFFFFFFu)
                return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }

    bool negative = false;
    if (text[0] == u'+' || text[0] == u'-') {
        negative = text[0] == u'-';
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const QChar c : text) {
        if (c.unicode() < '0' || c.unicode() > '9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace editor
