// What the window puts into its lists: the file's 8-bit text as the controls show it, and a stored
// value as the position of its entry.
#pragma once

#include "ansi_text.h"
#include "choice_box.h"
#include "craft_catalogue.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>
#include <string_view>

namespace editor {

inline QString FileText(std::string_view bytes) {
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
