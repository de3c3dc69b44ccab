// The page's files: the browser's file picker, its writing back to the picked file, and its
// downloads.
#include "web_files.h"

#include "file_system.h"
#include "skirmish_file.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <emscripten.h>
#include <emscripten/bind.h>

#include <array>
#include <cstdint>
#include <string>

namespace editor::web {

namespace {

// Opens the browser's file picker: the File System Access picker where there is one (its file can
// be written back to), otherwise a file input. The chosen file is copied into the folder and
// handed to quarnelPicked; the picker's file, when there is one, is kept under the copy's path.
// A file that cannot be read is still handed over, so that opening it says so.
EM_JS(void, ShowFilePicker, (const char* folder), {
    const path = UTF8ToString(folder);
    Module.quarnelPickedFiles = Module.quarnelPickedFiles || {};
    const keep = (file, handle) => {
        const name = [ "", ".", ".." ].includes(file.name) ? "mission.skm" : file.name.split("/").pop();
        const kept = path + "/" + name;
        delete Module.quarnelPickedFiles[kept];
        file.arrayBuffer()
            .then((buffer) => {
                FS.writeFile(kept, new Uint8Array(buffer));
                if (handle)
                    Module.quarnelPickedFiles[kept] = handle;
            })
            .catch((error) => console.warn("quarnel: " + name + " could not be read: " + error))
            .finally(() => Module.quarnelPicked(kept));
    };
    if (typeof showOpenFilePicker === "function") {
        // Rejected when the user cancels: nothing is opened.
        showOpenFilePicker({types : [ {description : "Skirmish Files", accept : {"application/octet-stream" : [".skm"]}} ]})
            .then(([handle]) => handle.getFile().then((file) => keep(file, handle)))
            .catch(() => {});
        return;
    }
    const input = document.createElement("input");
    input.type = "file";
    input.accept = ".skm";
    input.style.display = "none";
    input.addEventListener("change", () => {
        input.remove();
        if (input.files.length === 1)
            keep(input.files[0], null);
    });
    input.addEventListener("cancel", () => input.remove());
    document.body.appendChild(input);
    input.click();
});

// Writes the bytes to the file the path was picked from: 1 when written, 0 when the page has no
// such file, -1 when writing failed (the browser's reason in reason).
EM_ASYNC_JS(int, WriteToPickedFile, (const char* path, const std::uint8_t* bytes, int size, char* reason, int reasonSize), {
    const handle = (Module.quarnelPickedFiles || {})[UTF8ToString(path)];
    if (!handle)
        return 0;
    const data = HEAPU8.slice(bytes, bytes + size);
    try {
        const writable = await handle.createWritable();
        await writable.write(data);
        await writable.close();
        return 1;
    } catch (error) {
        stringToUTF8(String(error && error.message ? error.message : error), reason, reasonSize);
        return -1;
    }
});

QPointer<QObject> pickContext;
std::function<void(const QString&)> whenPicked;

void Picked(const std::string& path) {
    // From the event loop, where opening may ask and wait for the answer.
    QTimer::singleShot(0, qApp, [path = QString::fromStdString(path)] {
        if (pickContext && whenPicked)
            whenPicked(path);
    });
}

} // namespace

void PickMissionFile(QObject* context, std::function<void(const QString&)> opened) {
    pickContext = context;
    whenPicked = std::move(opened);
    ShowFilePicker(kMissionFolder);
}

QString Deliver(const QString& path) {
    std::array<std::uint8_t, mission::kSkirmishFileSize> bytes{};
    files::ReadFilePrefix(path.toStdString(), bytes);
    std::array<char, 512> reason{};
    const int written = WriteToPickedFile(path.toUtf8().constData(), bytes.data(), static_cast<int>(bytes.size()),
                                          reason.data(), static_cast<int>(reason.size()));
    if (written == 1)
        return {};
    QFileDialog::saveFileContent(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
        QFileInfo(path).fileName());
    return written < 0 ? QString::fromUtf8(reason.data()) : QString();
}

} // namespace editor::web

EMSCRIPTEN_BINDINGS(quarnel_files) {
    emscripten::function("quarnelPicked", &editor::web::Picked);
}
