"""The page in a real browser: served from its folder of static files, it shows the editor's own
window in Debian's headless chromium, opens a mission through the file picker and through a link,
takes the same keystrokes as the desktop program under Xvfb and downloads the same bytes the
desktop saves; its window looks as the desktop's does; unsaved work comes back after a reload;
a damaged link gives the error box and a new mission.

Usage (under scripts/xvfb_run.sh): page_test.py PAGE_FOLDER QUARNEL QUARNEL_SKM
"""

import base64
import functools
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import devtools  # noqa: E402

page_folder, quarnel, quarnel_skm = sys.argv[1:4]
version = os.environ["QUARNEL_VERSION_TEXT"]
work = tempfile.mkdtemp(prefix="quarnel-page-")
failures = []
checks = 0


def check(condition, what):
    global checks
    checks += 1
    print(("ok: " if condition else "FAIL: ") + what, flush=True)
    if not condition:
        failures.append(what)


def title(name):
    return f"{version}  -  [{name}]"


# The same keystrokes in both: fields reached with Tab from where the window starts, a number and
# a name typed over what they held.
EDITS = [("key", "Tab"), ("key", "Tab"), ("type", "3"), ("key", "Tab"), ("type", "4"), ("key", "Tab"),
         ("key", "Tab"), ("type", "Rogue"), ("key", "Tab"), ("type", "12")]


# A File System Access picker that hands over one file, Battle.skm with the bytes given, and keeps
# what is written to it.
PICKED_FILE = """
(() => {
    const bytes = Uint8Array.from(atob("%s"), (c) => c.charCodeAt(0));
    globalThis.showOpenFilePicker = async () => [{
        kind: "file", name: "Battle.skm",
        getFile: async () => new File([bytes], "Battle.skm"),
        createWritable: async () => {
            if (globalThis.quarnelRefuseWrites)
                throw new DOMException("The user refused.", "NotAllowedError");
            const parts = [];
            return {
                write: async (data) => parts.push(...new Uint8Array(data)),
                close: async () => { globalThis.quarnelWrittenBack = parts; },
            };
        },
    }];
})();
"""


# How many copies of unsaved work the page's storage holds (Emscripten's IDBFS keeps the folder
# mounted at /state in the database of that name).
COPIES_IN_STORAGE = """
new Promise((resolve) => {
    indexedDB.open("/state").onsuccess = (event) => {
        const keys = event.target.result.transaction("FILE_DATA").objectStore("FILE_DATA").getAllKeys();
        keys.onsuccess = () => resolve(keys.result.filter((key) => key.endsWith(".recovery")).length);
    };
})
"""


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm",
                      ".webmanifest": "application/manifest+json"}

    def log_message(self, *args):
        pass


def serve(folder):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/"


# --- The desktop program under Xvfb: the file opened by name, the edits, Ctrl+S. ---
def desktop_save(mission):
    env = dict(os.environ, HOME=work, XDG_RUNTIME_DIR=work, QT_QPA_PLATFORM="xcb")
    program = subprocess.Popen([quarnel, mission], env=env)
    try:
        window = None
        for _ in range(600):
            pattern = "^" + "".join("\\" + c if c in "[].()" else c for c in title("Battle.skm"))
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                                   capture_output=True, text=True).stdout.split()
            if found:
                window = found[0]
                break
            time.sleep(0.1)
        assert window, "the desktop window did not open"
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
        time.sleep(0.5)
        shot = os.path.join(work, "desktop.png")
        subprocess.run(["import", "-window", window, shot], check=True)
        before = os.stat(mission).st_mtime_ns
        for kind, what in EDITS:
            if kind == "key":
                subprocess.run(["xdotool", "key", what], check=True)
            else:
                subprocess.run(["xdotool", "type", "--delay", "30", what], check=True)
            time.sleep(0.2)
        subprocess.run(["xdotool", "key", "ctrl+s"], check=True)
        for _ in range(100):
            if os.stat(mission).st_mtime_ns != before:
                break
            time.sleep(0.1)
        time.sleep(0.3)
        with open(mission, "rb") as saved:
            return saved.read(), shot
    finally:
        program.terminate()
        program.wait()


def page_edits(browser):
    for kind, what in EDITS:
        if kind == "key":
            browser.key(what)
        else:
            browser.type(what)
        time.sleep(0.2)


def wait_title(browser, name, timeout=180):
    # The page's title as the browser gives it: its runs of spaces made one.
    browser.wait_for(f"document.title === {' '.join(title(name).split())!r}", timeout)


def start_page(browser, url, unsaved=False, click=True):
    """Loads the page afresh (a link differs from the page only after its "#"), answering the
    browser's question before leaving unsaved work; where the window stands on the page."""
    # Left from a timer, so that the evaluation returns before the browser's question holds the page.
    browser.evaluate("setTimeout(() => { location.href = 'about:blank'; }, 0)")
    if unsaved:
        question = browser.wait_event("Page.javascriptDialogOpening", timeout=30)
        check(question["type"] == "beforeunload", "leaving the page with unsaved work asks first")
        browser.call("Page.handleJavaScriptDialog", accept=True)
    browser.wait_for("location.href === 'about:blank'")
    browser.evaluate(f"location.href = {url!r}")
    wait_title(browser, "Unnamed")
    time.sleep(1)
    # The window fills the page; it takes the keys once it has been clicked where no control is
    # (bottom right).
    place = browser.evaluate("globalThis.quarnelWindow")
    if click:
        browser.click(place["width"] - 10, place["height"] - 10)
        time.sleep(0.3)
    return place


def different_pixels(page_shot, desktop_shot):
    """How many pixels differ between the desktop's window and the same place at the top left of
    the page, which the window fills; and how many were compared."""
    size = subprocess.run(["identify", "-format", "%wx%h", desktop_shot], check=True, capture_output=True,
                          text=True).stdout
    crop = os.path.join(work, "page-window.png")
    subprocess.run(["convert", page_shot, "-crop", size + "+0+0", "+repage", crop], check=True)
    compared = subprocess.run(["compare", "-metric", "AE", crop, desktop_shot, os.path.join(work, "diff.png")],
                              capture_output=True, text=True)
    width, height = map(int, size.split("x"))
    return int(float(compared.stderr.split()[0])), width * height


def main():
    mission = os.path.join(work, "desktop", "Battle.skm")
    os.makedirs(os.path.dirname(mission))
    subprocess.run([quarnel_skm, "new", "-o", mission], check=True)
    original = open(mission, "rb").read()
    picked = os.path.join(work, "picked", "Battle.skm")
    os.makedirs(os.path.dirname(picked))
    shutil.copy(mission, picked)
    server, base = serve(page_folder)
    link = subprocess.run([quarnel_skm, "link", mission, "--base", base + "index.html"], check=True,
                          capture_output=True, text=True).stdout.strip()
    print(f"a new mission's link: {len(link)} characters", flush=True)

    desktop, desktop_shot = desktop_save(mission)
    check(desktop != original and len(desktop) == 5192, "the desktop's edits changed the mission")

    downloads = os.path.join(work, "downloads")
    os.makedirs(downloads)
    browser = devtools.Browser()
    try:
        browser.call("Page.setInterceptFileChooserDialog", enabled=True)
        browser.take_downloads(downloads)

        # Through the file picker of a browser without File System Access: Ctrl+O, the file, the
        # edits, Ctrl+S gives the download.
        without_access = browser.call("Page.addScriptToEvaluateOnNewDocument",
                                      source="globalThis.showOpenFilePicker = undefined;")["identifier"]
        start_page(browser, base + "index.html")
        browser.key("o", ["Control"])
        browser.answer_file_chooser([picked])
        wait_title(browser, "Battle.skm")
        time.sleep(0.5)
        page_shot = os.path.join(work, "page.png")
        browser.screenshot(page_shot)
        pixels, compared = different_pixels(page_shot, desktop_shot)
        print(f"the page's window and the desktop's differ in {pixels} of {compared} pixels", flush=True)
        page_edits(browser)
        browser.key("s", ["Control"])
        name, saved = browser.wait_download(downloads)
        check(name == "Battle.skm", f"the download is named after the mission ({name})")
        check(saved == desktop, "the page's save after the file picker is the desktop's, byte for byte")
        browser.call("Page.removeScriptToEvaluateOnNewDocument", identifier=without_access)
        time.sleep(2.5)  # the copy of unsaved work goes from the page's storage

        # Through File System Access, which the browser's test mode cannot drive: a picker that
        # hands over a file whose writes the test sees. Save writes there and downloads nothing.
        picker = browser.call("Page.addScriptToEvaluateOnNewDocument",
                              source=PICKED_FILE % base64.b64encode(original).decode())["identifier"]
        start_page(browser, base + "index.html")
        browser.key("o", ["Control"])
        wait_title(browser, "Battle.skm")
        time.sleep(0.5)
        page_edits(browser)
        browser.key("s", ["Control"])
        browser.wait_for("globalThis.quarnelWrittenBack !== undefined", 30)
        check(bytes(browser.evaluate("globalThis.quarnelWrittenBack")) == desktop,
              "Save writes the desktop's bytes back to the file File System Access picked")
        check(not any(e["method"] == "Browser.downloadWillBegin" for e in browser.events),
              "a file written back is not downloaded too")
        time.sleep(2.5)
        # Refused (the user said no to the browser's question): the file is downloaded instead, and
        # an error box says so (Enter closes it).
        start_page(browser, base + "index.html")
        browser.evaluate("globalThis.quarnelRefuseWrites = true")
        browser.key("o", ["Control"])
        wait_title(browser, "Battle.skm")
        time.sleep(0.5)
        page_edits(browser)
        browser.key("s", ["Control"])
        name, saved = browser.wait_download(downloads)
        check(name == "Battle.skm" and saved == desktop, "a file that cannot be written back is downloaded instead")
        time.sleep(0.5)
        browser.key("Enter")
        browser.call("Page.removeScriptToEvaluateOnNewDocument", identifier=picker)
        time.sleep(2.5)

        # Through a link: the mission without a file, Save As names it.
        start_page(browser, link)
        time.sleep(1)
        page_edits(browser)
        browser.key("s", ["Control", "Shift"])
        time.sleep(1.5)
        browser.type("Battle")
        browser.key("Enter")
        name, saved = browser.wait_download(downloads)
        check(name == "Battle.skm", f"Save As downloads the name given ({name})")
        check(saved == desktop, "the page's save after the link is the desktop's, byte for byte")
        time.sleep(2.5)

        # Unsaved work survives a reload: edited, left a moment to be kept, offered again (Enter
        # takes the recovery window's default, Recover) and shown modified.
        start_page(browser, base + "index.html")
        page_edits(browser)
        time.sleep(3)
        check(browser.evaluate("globalThis.quarnelUnsaved === true"), "the page knows of the unsaved work")
        place = start_page(browser, base + "index.html", unsaved=True, click=False)
        # The recovery window, over the middle of the page's window, takes the keys once clicked.
        browser.click(place["width"] // 2, place["height"] // 2)
        time.sleep(0.3)
        browser.key("Enter")
        time.sleep(1)
        running = "getComputedStyle(document.getElementById('screen')).display !== 'none'"
        check(browser.evaluate(f"globalThis.quarnelUnsaved === true && {running}"),
              "the unsaved work is back after a reload, in the running editor")
        browser.click(place["width"] - 10, place["height"] - 10)
        time.sleep(0.3)
        browser.key("s", ["Control", "Shift"])
        time.sleep(1.5)
        browser.type("Battle")
        browser.key("Enter")
        name, saved = browser.wait_download(downloads)
        check(saved == desktop, "the work taken back after the reload is the desktop's, byte for byte")
        time.sleep(2.5)

        # A damaged link: the error box, dismissed with Enter, and a new mission; the page goes on.
        start_page(browser, base + "index.html#m=damaged")
        time.sleep(1)
        browser.key("Enter")
        time.sleep(0.5)
        check(browser.evaluate("document.title") == " ".join(title("Unnamed").split()), "a damaged link leaves a new mission")

        # Two tabs, each with unsaved work: the tab that stays never removes the copy the other kept.
        start_page(browser, base + "index.html")
        page_edits(browser)
        time.sleep(3)
        other = browser.open_tab(base + "index.html")
        wait_title(other, "Unnamed")
        time.sleep(1)
        other.click(place["width"] // 2, place["height"] // 2)  # the recovery window offers the first tab's
        other.key("Escape")
        time.sleep(0.5)
        other.click(place["width"] - 10, place["height"] - 10)
        time.sleep(0.3)
        page_edits(other)
        time.sleep(3)
        check(other.evaluate("globalThis.quarnelUnsaved === true"), "the second tab has unsaved work")
        browser.close_tab(other)
        time.sleep(3)
        kept = browser.evaluate(COPIES_IN_STORAGE, await_promise=True)
        check(kept == 2, f"both tabs' unsaved work is in the page's storage ({kept} copies)")
    finally:
        browser.close()
        server.shutdown()
    shutil.rmtree(work, ignore_errors=True)
    print(f"{checks - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


sys.exit(main())
