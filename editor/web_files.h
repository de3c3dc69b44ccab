// The page's files (the editor built for the browser only): what the user picks in the browser's
// file picker, or drops on the page, is put in the page's in-memory folder and opened from there
// as any file is; what is saved there goes to the browser as a download.
#pragma once

#include <QString>
#include <functional>

class QObject;

namespace editor::web {

// The page's in-memory folder of missions, the working folder, so that Save As starts there.
inline constexpr char kMissionFolder[] = "/missions";

// Puts a file the browser handed over into the page's folder under its own name (folders cut
// off); returns its path there. Raises the file layer's error.
QString KeepFile(const QString& name, const QByteArray& bytes);

// Lets the user choose a mission in the browser's file picker; once chosen, calls opened with its
// path in the page's folder, while context lives.
void PickMissionFile(QObject* context, std::function<void(const QString&)> opened);

// Hands a saved file to the browser as a download under its name.
void Deliver(const QString& path);

} // namespace editor::web
