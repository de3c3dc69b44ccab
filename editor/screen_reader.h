// What screen readers are offered of the window: the controls that can be seen, not those that are
// never seen or only decorate.
#pragma once

class QWidget;

namespace editor {

// Call before the main window's controls are made: from then on the window and its toolbars offer
// screen readers only the children not left out.
void OfferOnlyWhatIsSeen();

// Leaves a control out of what screen readers are offered: its parent no longer counts it among
// its children. A label left out still names the control it is the buddy of.
void LeaveOutForReaders(QWidget* control);

} // namespace editor
