// Opening a file by dropping it on a window.
#include "file_drop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace editor {

QString DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString path = urls.front().toLocalFile();
    return QFileInfo(path).isFile() ? path : QString();
}

TFileDrop::TFileDrop(QWidget& window, std::function<void(const QString&)> open)
    : QObject(&window), open_(std::move(open)) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
    for (QWidget* control : window.findChildren<QWidget*>())
        control->installEventFilter(this);
}

bool TFileDrop::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const QString path = DroppedFile(drop->mimeData());
    if (path.isEmpty()) {
        if (!drop->mimeData() || !drop->mimeData()->hasUrls())
            return QObject::eventFilter(watched, event);
        // Files and addresses the window does not open: refused here, not pasted as text.
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    // Opened once the drop has ended: the save question and the error box are modal, and a modal
    // loop inside the drop would keep the file manager waiting for its answer.
    if (type == QEvent::Drop)
        QMetaObject::invokeMethod(
            this, [this, path] { open_(path); }, Qt::QueuedConnection);
    return true;
}

} // namespace editor
