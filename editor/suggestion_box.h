// A combo box with free text whose entries are only suggestions.
#pragma once

#include <QComboBox>
#include <QStringList>

namespace editor {

// A combo box with free text whose entries are only suggestions: typing never adds an entry
// nor completes to one.
class TSuggestionBox : public QComboBox {
    Q_OBJECT
public:
    explicit TSuggestionBox(QWidget* parent = nullptr);
    void SetEntries(const QStringList& entries);
    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

} // namespace editor
