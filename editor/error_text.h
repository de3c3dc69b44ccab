// The caption and text of the standard error box.
#pragma once

#include <QString>

namespace editor {

// The program file's name without its folder, cut at its first ".", every letter after the first
// in lower case: "quarnel" gives "quarnel", "C:\Games\QUARNEL.EXE" gives "Quarnel".
QString ApplicationTitle(const QString& programPath);

// An error's text as the box shows it: a "." is added when the last character sorts after ".".
QString ErrorBoxText(const QString& message);

} // namespace editor
