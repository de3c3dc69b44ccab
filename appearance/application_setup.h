// The application's look and its one font, set up once for the program, its tests and benchmarks.
#pragma once

#include <QFont>

class QLocale;
class QTranslator;
class QWidget;

namespace appearance {

// Call before the QApplication exists. Where no session bus runs, keeps the D-Bus library from
// starting one when Qt's screen reader bridge looks for a bus: on an X display it would launch a
// bus daemon that writes under the home folder and outlives the program. Where a session bus
// runs (every desktop, every screen reader) nothing changes. Where the session names no runtime
// folder, lends Qt an empty one of the program's own for its start, so that Qt makes none of its own
// (/tmp/runtime-<user>) and leaves it behind.
void PrepareEnvironment();

// Call once the QApplication exists and before any window is made: the classic flat "Windows" style
// on every system, the window font for every window and dialog, and no settings file for Qt's
// dialogs to read or write, and Qt's own texts in the user's language (TranslateQtTexts). Removes
// the runtime folder PrepareEnvironment lent.
void SetUpApplication();

// Qt's own texts (the buttons of message boxes, the labels and columns of Qt's file dialogs) in the
// locale's language, from Qt's catalogue of the system (Debian's qt6-translations-l10n); the
// program's own texts stay as they are. Returns the translator the application now holds, or
// nullptr where the language is English or has no catalogue. Call before any window is made: a
// translator installed later has every widget asked to translate itself again. Not on Windows,
// where the dialogs and message box buttons are the system's own.
QTranslator* TranslateQtTexts(const QLocale& locale);

// "MS Sans Serif" 8 point, the face of the main window and the about box. The face is drawn from
// bitmaps, so at a device pixel ratio other than 1 (or without the face) a face with outlines
// takes its place, at the largest size at which the layout's texts are no wider than in the
// classic face.
QFont WindowFont();

// Centres a window on its owner's screen (the primary one without an owner), its frame included.
// Until the window manager has framed the window its frame is unknown, and the owner's is taken.
// Across a side that does not fit the screen's free area the window starts at that area's edge.
void CentreOnScreen(QWidget* window);

} // namespace appearance
