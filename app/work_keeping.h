// What keeps the user's unsaved work when the editor ends other than by its window: the offer of
// work an earlier editor left, and the copy written when a signal or the desktop session ends it.
#pragma once

#include "form1.h"
#include "recovery_keeper.h"

class QGuiApplication;

// Shows the recovery window when editors that closed without saving left work behind, and tells
// the user, in the window, whenever unsaved work stops being kept.
void OfferRecoveredWork(editor::TForm1& window, document::TRecoveryFolder& folder,
                        document::TRecoveryKeeper& keeper);

// SIGTERM, SIGHUP and SIGINT bring the copy of unsaved work up to date at once and then end the
// program as the signal would. The desktop session's end asks about unsaved work as closing the
// window does where the session manager lets the program ask, and otherwise writes the copy.
void KeepWorkAtTheEnd(QGuiApplication& application, editor::TForm1& window, document::TRecoveryKeeper& keeper);
