// The strip at the top of the window that carries the toolbars as bands, each with a grip.
#pragma once

#include <QWidget>

namespace editor {

class TControlBar : public QWidget {
    Q_OBJECT
public:
    explicit TControlBar(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace editor
