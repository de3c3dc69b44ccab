// The editor's window font and colour helpers.
#pragma once

#include <QColor>
#include <QFont>
#include <cstdint>

namespace editor {

// "MS Sans Serif" 8 point where the system has it, otherwise a face of the same metrics.
QFont WindowFont();

// A colour stored as 0x00BBGGRR.
inline QColor ColourFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

} // namespace editor
