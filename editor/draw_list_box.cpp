// The owner-drawn list box and its delegate.
#include "draw_list_box.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace editor {

TDrawListBox::TDrawListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new TDrawItemDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    connect(this, &QListWidget::currentRowChanged, this, [this](int) {
        if (!programChange_)
            emit Clicked();
    });
}

void TDrawListBox::SetDrawItemHandler(TDrawItemHandler handler) {
    drawItem_ = std::move(handler);
}

void TDrawListBox::SetRows(const QList<TRow>& rows, int selected) {
    const int scrolled = verticalScrollBar()->value();
    programChange_ = true;
    clear();
    for (const TRow& shown : rows) {
        auto* row = new QListWidgetItem(shown.Text);
        row->setData(Qt::AccessibleTextRole, shown.Spoken);
        addItem(row);
    }
    programChange_ = false;
    SetSelectedRow(selected);
    verticalScrollBar()->setValue(scrolled);
}

void TDrawListBox::SetSelectedRow(int row) {
    programChange_ = true;
    if (row >= 0 && row < count())
        setCurrentRow(row);
    else
        setCurrentRow(-1);
    programChange_ = false;
}

TDrawItemDelegate::TDrawItemDelegate(TDrawListBox* list) : QStyledItemDelegate(list), list_(list) {}

void TDrawItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    // The surface starts with the list's own font and colours, as the paint handler expects.
    painter->setFont(list_->font());
    const QPalette& palette = list_->palette();
    painter->setBrush(selected ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base));
    painter->setPen(selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));
    if (list_->DrawItemHandler())
        list_->DrawItemHandler()(*painter, index.row(), option.rect, selected);
    painter->restore();

    if ((option.state & QStyle::State_HasFocus) && list_->hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = selected ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base);
        list_->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, list_);
    }
}

QSize TDrawItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), TDrawListBox::kRowHeight};
}

} // namespace editor
