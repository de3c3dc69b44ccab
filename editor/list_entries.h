// What the window puts into its lists: the file's 8-bit text as the controls show it, and a stored
// value as the position of its entry.
#pragma once

#include "ansi_text.h"
#include "choice_box.h"
#include "craft_catalogue.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>

namespace editor {

inline QString FileText(std::string_view bytes) {
    // Plain ASCII, as almost every text is, reads the same in the file's code page and in
    // Latin-1, which Qt converts fastest.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char byte) { return static_cast<unsigned char>(byte) < 0x80; }))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QString::fromStdU16String(text::AnsiToUnicode(bytes));
}

inline QStringList FileTexts(std::span<const std::string_view> entries) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(entries.size()));
    for (const std::string_view entry : entries)
        texts.append(FileText(entry));
    return texts;
}

// Selects the entry that a stored value stands for, or nothing when the value has no entry.
// Raises no change.
inline void ShowStoredValue(TChoiceBox* box, std::int64_t value) {
    box->SetSelection(mission::ListPosition(value, static_cast<std::size_t>(box->count())));
}

} // namespace editor
