// The page's files: the browser's file picker and its downloads, through the file layer.
#include "web_files.h"

#include "file_system.h"
#include "skirmish_file.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

#include <array>
#include <span>

namespace editor::web {

QString KeepFile(const QString& name, const QByteArray& bytes) {
    // A name from the browser is a name only; one that is empty or a folder's gets a plain one.
    QString fileName = QFileInfo(name).fileName();
    if (fileName.isEmpty() || fileName == QLatin1String(".") || fileName == QLatin1String(".."))
        fileName = QStringLiteral("mission.skm");
    const QString path = QString::fromLatin1(kMissionFolder) + QLatin1Char('/') + fileName;
    files::ReplaceFile(path.toStdString(),
                       std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())));
    return path;
}

void PickMissionFile(QObject* context, std::function<void(const QString&)> opened) {
    QPointer<QObject> alive(context);
    QFileDialog::getOpenFileContent(
        QStringLiteral("Skirmish Files (*.skm)"), [alive, opened](const QString& name, const QByteArray& bytes) {
            // Cancelled: no name.
            if (!alive || name.isEmpty())
                return;
            // The file is opened from the page's folder; keeping it there can fail only as saving
            // can, and opening then reports it as for any file.
            QString path = QString::fromLatin1(kMissionFolder) + QLatin1Char('/') + QFileInfo(name).fileName();
            try {
                path = KeepFile(name, bytes);
            } catch (const files::EInOutError&) {
            }
            opened(path);
        });
}

void Deliver(const QString& path) {
    std::array<std::uint8_t, mission::kSkirmishFileSize> bytes{};
    files::ReadFilePrefix(path.toStdString(), bytes);
    QFileDialog::saveFileContent(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
        QFileInfo(path).fileName());
}

} // namespace editor::web
