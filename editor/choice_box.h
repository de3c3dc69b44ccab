// A drop-down list that offers only its entries; the program sets it without raising a change.
#pragma once

#include <QComboBox>
#include <QStringList>

class QStyleOptionComboBox;

namespace editor {

class TChoiceBox : public QComboBox {
    Q_OBJECT
public:
    explicit TChoiceBox(QWidget* parent = nullptr);

    void SetEntries(const QStringList& entries);

    // Selects the entry at position, or nothing when position is -1 or past the last entry.
    // Raises no change.
    void SetSelection(int position);

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

signals:
    // Raised only when the user picks an entry, with the mouse or the keyboard.
    void Changed();
};

// The wheel changes a box only while it has the keyboard focus, so scrolling over the window
// never edits a field by accident.
bool WheelMayChange(QWidget* box, QWheelEvent* event);

// Lets the open list of a drop-down box grow wider than the box so that no entry is cut.
void WidenListToEntries(QComboBox* box);

// Paints a drop-down box: its field in the box's own colours, its arrow button in the button face's.
void PaintDropDownBox(QComboBox* box, const QStyleOptionComboBox& option);

} // namespace editor
