// Opening a file by dropping it on a window: one local file is taken, anything else refused.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QMimeData;
class QWidget;

namespace editor {

// The path of the one existing local file a drop carries; empty for anything else: several files, a
// folder, a remote address, text.
QString DroppedFile(const QMimeData* data);

// Watches a window and every control in it for drags. A drag that carries one local file is taken
// anywhere on the window (the text fields too, which would otherwise paste its name) and, when
// dropped, handed to open; a drag of several files, a folder or a remote address is refused
// everywhere. Text dragged onto a text field stays that field's own business.
class TFileDrop : public QObject {
public:
    TFileDrop(QWidget& window, std::function<void(const QString&)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> open_;
};

} // namespace editor
