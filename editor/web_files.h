// The page's files (the editor built for the browser only): what the user picks in the browser's
// file picker is put in the page's in-memory folder and opened from there as any file is; what is
// saved there goes back to the browser.
#pragma once

#include <QString>
#include <functional>

class QObject;

namespace editor::web {

// The page's in-memory folder of missions, the working folder, so that Save As starts there.
inline constexpr char kMissionFolder[] = "/missions";

// Lets the user choose a mission in the browser's file picker; once chosen, calls opened with its
// path in the page's folder, from the event loop, while context lives. Where the browser lets the
// page write to the file it picked (Chromium's File System Access), the page remembers the file.
void PickMissionFile(QObject* context, std::function<void(const QString&)> opened);

// Hands a saved file to the browser: written back to the file it was picked from where the page
// may, and otherwise downloaded under its name. Empty, or why it could not be written back and was
// downloaded instead.
QString Deliver(const QString& path);

} // namespace editor::web
