// The caption and text of the standard error box.
#pragma once

#include <QString>

namespace editor {

// The program file's name without its folder, cut at its first ".", every letter after the first
// in lower case: "quarnel" gives "quarnel", "C:\Games\QUARNEL.EXE" gives "Quarnel".
QString ApplicationTitle(const QString& programPath);
// The running program's: from its file, or, in the page, which has no file of its own, from the
// name it was started under.
QString ApplicationTitle();

// An error's text as the box shows it: a "." is added when the last character sorts after ".".
QString ErrorBoxText(const QString& message);

} // namespace editor
