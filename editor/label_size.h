// Sizing a label to its text.
#pragma once

#include <QLabel>
#include <algorithm>

namespace editor {

// Sizes a label to its text: the size its own hint gives a single line of plain text, measured
// once (the hint lays the text out three times over and polishes the label early), and never
// lower than a line of the window's font.
inline void FitToText(QLabel* label) {
    constexpr int kLineHeight = 13;
    const QSize size =
        label->fontMetrics().boundingRect(QRect(0, 0, 2000, 2000), Qt::AlignLeft, label->text()).size();
    label->resize(size.width(), std::max(kLineHeight, size.height()));
}

} // namespace editor
