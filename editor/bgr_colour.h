// Colours as the program stores them, 0x00BBGGRR, for the window to draw with.
#pragma once

#include <QColor>
#include <cstdint>

namespace editor {

// A colour stored as 0x00BBGGRR.
inline QColor ColourFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

} // namespace editor
