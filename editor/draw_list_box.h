// A list box of fixed-height rows that the form paints itself.
#pragma once

#include <QList>
#include <QListWidget>
#include <QStyledItemDelegate>
#include <functional>

namespace editor {

// The form's paint handler for one row: the row index, its rectangle, and the drawing state.
using TDrawItemHandler = std::function<void(QPainter& painter, int row, const QRect& rect, bool selected)>;

class TDrawListBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 14;

    explicit TDrawListBox(QWidget* parent = nullptr);

    void SetDrawItemHandler(TDrawItemHandler handler);
    const TDrawItemHandler& DrawItemHandler() const { return drawItem_; }

    // One row: its painted text, and what a screen reader says for it (the painted text alone
    // says nothing of the colour it is painted in).
    struct TRow {
        QString Text;
        QString Spoken;
    };

    // Shows exactly these rows, the one at selected selected (none for -1), scrolled where the user
    // left the list. Changes made by the program raise no Clicked.
    void SetRows(const QList<TRow>& rows, int selected);
    void SetSelectedRow(int row);
    int SelectedRow() const { return currentRow(); }

signals:
    // Raised only when the user moves the selection, with the mouse or the keyboard.
    void Clicked();

private:
    TDrawItemHandler drawItem_;
    bool programChange_ = false;
};

// Hands each row to the list's paint handler, then adds the focus rectangle.
class TDrawItemDelegate : public QStyledItemDelegate {
public:
    explicit TDrawItemDelegate(TDrawListBox* list);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TDrawListBox* list_;
};

} // namespace editor
