// The standard error box's caption and text.
#include "error_text.h"

#include <QCoreApplication>

namespace editor {

QString ApplicationTitle(const QString& programPath) {
    const qsizetype slash = std::max(programPath.lastIndexOf(u'/'), programPath.lastIndexOf(u'\\'));
    QString name = programPath.mid(slash + 1);
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    return name.left(1) + name.mid(1).toLower();
}

QString ApplicationTitle() {
    const QString path = QCoreApplication::applicationFilePath();
    return ApplicationTitle(path.isEmpty() ? QCoreApplication::arguments().value(0) : path);
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > u'.')
        return message + ".";
    return message;
}

} // namespace editor
