// The editor in the browser's page (built for WebAssembly only): what the page's browser offers
// in place of the desktop's. Runs as the application starts, so the program's own start stays as
// it is:
// - the folder that keeps the copy of unsaved work is the browser's storage for this page
//   (IndexedDB through Emscripten's IDBFS), read back before the copies are looked for and
//   written out after each change, so that work left unsaved is offered at the next visit;
// - leaving the page while the document holds unsaved changes asks first ("Leave site?");
// - a mission the page's link carries after "#m=" opens as a document without a file;
// - a file dropped on the page opens as a dropped file does on the desktop.
#include "form1.h"
#include "web_files.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <emscripten.h>
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Where the copies of unsaved work are kept: the recovery folder follows XDG_STATE_HOME.
constexpr char kStateFolder[] = "/state";

// Mounts the page's storage at the folder and reads back what it holds, waiting for it; from then
// on, what changes there goes to the storage within a second, and at once when the page is hidden
// or left. Only what changed in this page is written or removed, never what another tab of the
// page wrote since (a plain sync would make the storage this page's folder, removing another tab's
// copy of unsaved work).
EM_ASYNC_JS(void, MountPageStorage, (const char* folder), {
    const path = UTF8ToString(folder);
    FS.mkdirTree(path);
    FS.mount(IDBFS, {}, path);
    await new Promise((resolve) => FS.syncfs(true, (error) => {
        if (error)
            console.warn("The page's storage could not be read: " + error);
        resolve();
    }));
    const mount = FS.lookupPath(path).node.mount;
    // The folder as this page last read or wrote it.
    let known = {};
    IDBFS.getLocalSet(mount, (error, local) => { known = error ? {} : local.entries; });
    let writing = false;
    const store = () => {
        if (writing)
            return;
        writing = true;
        const failed = (error) => {
            writing = false;
            console.warn("The page's storage could not be written: " + error);
        };
        IDBFS.getLocalSet(mount, (error, local) => {
            if (error)
                return failed(error);
            const changed = Object.keys(local.entries).filter((name) => !known[name] ||
                known[name].timestamp.getTime() !== local.entries[name].timestamp.getTime());
            const removed = Object.keys(known).filter((name) => !local.entries[name]);
            if (!changed.length && !removed.length) {
                writing = false;
                return;
            }
            IDBFS.getDB(mount.mountpoint, (error, db) => {
                if (error)
                    return failed(error);
                const transaction = db.transaction([IDBFS.DB_STORE_NAME], "readwrite");
                const files = transaction.objectStore(IDBFS.DB_STORE_NAME);
                transaction.oncomplete = () => {
                    writing = false;
                    known = local.entries;
                };
                transaction.onabort = () => failed(transaction.error);
                // Folders before what is in them; what is in them before the folders.
                changed.sort().forEach((name) => IDBFS.loadLocalEntry(name, (error, entry) => {
                    if (error)
                        console.warn("quarnel: " + name + ": " + error);
                    else
                        files.put(entry, name);
                }));
                removed.sort().reverse().forEach((name) => files.delete(name));
            });
        });
    };
    setInterval(store, 1000);
    addEventListener("pagehide", store);
    document.addEventListener("visibilitychange", () => {
        if (document.visibilityState === "hidden")
            store();
    });
});

// The browser's own question before the page is left with unsaved changes.
EM_JS(void, AskBeforeLeaving, (), {
    addEventListener("beforeunload", (event) => {
        if (globalThis.quarnelUnsaved) {
            event.preventDefault();
            event.returnValue = "";
        }
    });
});

EM_JS(void, SetUnsaved, (int unsaved), { globalThis.quarnelUnsaved = unsaved !== 0; });

// The window's title is the page's, as the tab shows it; where the window stands on the page is
// there for whoever looks (the page's test).
// The first time, when the window was up and when its first frame followed, in milliseconds from
// the page's load (for the page's benchmark).
EM_JS(void, ShowWindowOnPage, (const char* title, int x, int y, int width, int height), {
    document.title = UTF8ToString(title);
    globalThis.quarnelWindow = {x : x, y : y, width : width, height : height};
    if (globalThis.quarnelShownAt === undefined) {
        globalThis.quarnelShownAt = performance.now();
        requestAnimationFrame(() => requestAnimationFrame(() => { globalThis.quarnelFirstFrameAt = performance.now(); }));
    }
});

// One file dropped on the page is read, put in the page's folder and opened; Qt's own drop would
// hand over its bytes without its name and cut at the first zero byte. Several files are refused,
// as on the desktop; anything else (text) goes on to Qt.
EM_JS(void, TakeDroppedFiles, (const char* folder), {
    const path = UTF8ToString(folder);
    const hasFiles = (event) => event.dataTransfer && Array.from(event.dataTransfer.types).includes("Files");
    addEventListener("dragover", (event) => {
        if (hasFiles(event)) {
            event.preventDefault();
            event.stopImmediatePropagation();
            event.dataTransfer.dropEffect = event.dataTransfer.items.length === 1 ? "copy" : "none";
        }
    }, true);
    addEventListener("drop", (event) => {
        if (!hasFiles(event))
            return;
        event.preventDefault();
        event.stopImmediatePropagation();
        const files = event.dataTransfer.files;
        if (files.length !== 1)
            return;
        const file = files[0];
        file.arrayBuffer().then((buffer) => {
            // A name only, never a path; a browser gives none with a folder in it.
            const name = file.name.split("/").pop() || "mission.skm";
            FS.writeFile(path + "/" + name, new Uint8Array(buffer));
            // Saved, it is downloaded, never written to a picked file of the same name.
            delete (Module.quarnelPickedFiles || {})[path + "/" + name];
            Module.quarnelOpenDropped(path + "/" + name);
        });
    }, true);
});

QPointer<editor::TForm1> form;

void OpenDropped(const std::string& path) {
    // Opened from the event loop, where the save question may wait for its answer.
    QTimer::singleShot(0, qApp, [path = QString::fromStdString(path)] {
        if (form)
            form->OpenFile(path);
    });
}

// The text of the page's address after "#m=", or nothing.
std::string LinkText() {
    const std::string hash = emscripten::val::global("location")["hash"].as<std::string>();
    constexpr std::string_view kMarker = "#m=";
    return hash.starts_with(kMarker) ? hash.substr(kMarker.size()) : std::string();
}

void StartPage() {
    // Emscripten starts with a mask that leaves every new file without rights (0777), which its
    // file system then holds against the program: the page's files are made as a desktop's are.
    ::umask(022);
    ::setenv("XDG_STATE_HOME", kStateFolder, 1);
    MountPageStorage(kStateFolder);
    ::mkdir(editor::web::kMissionFolder, 0755);
    ::chdir(editor::web::kMissionFolder);
    AskBeforeLeaving();
    TakeDroppedFiles(editor::web::kMissionFolder);
    // Once the window is up and the work an earlier visit left unsaved has been offered.
    QTimer::singleShot(0, qApp, [] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<editor::TForm1*>(window))
                form = found;
        if (!form)
            return;
        QObject::connect(&form->Document(), &document::TMissionDocument::ModifiedChanged, form,
                         [](bool modified) { SetUnsaved(modified ? 1 : 0); });
        SetUnsaved(form->Document().Modified() ? 1 : 0);
        const auto showWindow = [] {
            if (!form)
                return;
            const QRect place = form->geometry();
            ShowWindowOnPage(form->windowTitle().toUtf8().constData(), place.x(), place.y(), place.width(),
                             place.height());
        };
        QObject::connect(form, &QWidget::windowTitleChanged, form, showWindow);
        showWindow();
        QTimer::singleShot(0, form, [] {
            if (const std::string text = LinkText(); !text.empty() && form)
                form->OpenLink(text);
        });
    });
}

} // namespace

EMSCRIPTEN_BINDINGS(quarnel_page) {
    emscripten::function("quarnelOpenDropped", &OpenDropped);
}

Q_COREAPP_STARTUP_FUNCTION(StartPage)
