// What keeps the user's unsaved work when the editor ends other than by its window: the offer of
// work an earlier editor left, and the copy written when a signal or the desktop session ends it.
#pragma once

#include "form1.h"
#include "recovery_keeper.h"

class QGuiApplication;

// Offers, one box each, the work that editors which closed without saving left, newest first.
// The first taken back is shown in the window (the others wait for the next start); a copy
// declined is deleted, one that cannot be read is set aside and reported.
void OfferRecoveredWork(editor::TForm1& window, document::TRecoveryFolder& folder,
                        document::TRecoveryKeeper& keeper);

// SIGTERM, SIGHUP and SIGINT write the copy of unsaved work at once and then end the program as
// the signal would. The desktop session's end asks about unsaved work as closing the window does
// where the session manager lets the program ask, and otherwise writes the copy.
void KeepWorkAtTheEnd(QGuiApplication& application, editor::TForm1& window, document::TRecoveryKeeper& keeper);
