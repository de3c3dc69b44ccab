// The editor's colour helper.
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
