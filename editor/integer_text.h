// The one syntax by which the editor reads every number the user types.
#pragma once

#include <QStringView>
#include <cstdint>
#include <optional>

namespace editor {

// Leading spaces only; then either an optional sign and decimal digits within the 32-bit range,
// or, without a sign, a hexadecimal number after "$", "x", "X", "0x" or "0X" of at most 32 bits,
// read as two's complement ("$FFFFFFFF" is -1). Nothing may follow the digits.
std::optional<std::int32_t> ParseInteger(QStringView text);

} // namespace editor
