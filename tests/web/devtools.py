"""A small client of Chromium's DevTools protocol: starts Debian's chromium headless with an empty
profile of its own, and drives one page: loads it, types, clicks, answers the file picker, takes
downloads and screenshots, and evaluates script in it."""

import base64
import json
import os
import shutil
import subprocess
import tempfile
import time

import websocket

# What works as root and without a display, with nothing fetched from outside.
CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--hide-scrollbars", "--force-device-scale-factor=1", "--enable-unsafe-swiftshader",
]

# Keys by their DOM name: (code, Windows virtual key code).
KEYS = {
    "Tab": ("Tab", 9), "Enter": ("Enter", 13), "Escape": ("Escape", 27), "Backspace": ("Backspace", 8),
    "Delete": ("Delete", 46), "Home": ("Home", 36), "End": ("End", 35), "ArrowDown": ("ArrowDown", 40),
    "ArrowUp": ("ArrowUp", 38), "ArrowLeft": ("ArrowLeft", 37), "ArrowRight": ("ArrowRight", 39),
}
MODIFIERS = {"Alt": 1, "Control": 2, "Meta": 4, "Shift": 8}


class Browser:
    """Chromium with one page, in a profile folder that goes when it is closed (or kept to start
    again with the browser's cache warm)."""

    def __init__(self, profile=None, size=(1024, 768)):
        self.own_profile = profile is None
        self.profile = profile or tempfile.mkdtemp(prefix="quarnel-chromium-")
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        if os.path.exists(port_file):
            os.remove(port_file)
        self.process = subprocess.Popen(
            ["chromium", *CHROMIUM_FLAGS, f"--user-data-dir={self.profile}", "--remote-debugging-port=0",
             f"--window-size={size[0]},{size[1]}", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 60
        while not os.path.exists(port_file) or len(open(port_file).read().split()) < 2:
            if time.time() > deadline or self.process.poll() is not None:
                raise RuntimeError("chromium did not start")
            time.sleep(0.1)
        self.port = open(port_file).read().split()[0]
        self._connect(self._page_socket(self.port))

    def _connect(self, address):
        self.socket = websocket.create_connection(address, timeout=120)
        self.next_id = 0
        self.events = []
        self.call("Page.enable")
        self.call("Runtime.enable")

    def open_tab(self, url):
        """Another tab of the same browser, driven as this one is; closed with close_tab."""
        tab = object.__new__(Browser)
        tab.process, tab.own_profile, tab.profile, tab.port = None, False, self.profile, self.port
        tab.target = self.call("Target.createTarget", url=url)["targetId"]
        tab._connect(f"ws://127.0.0.1:{self.port}/devtools/page/{tab.target}")
        return tab

    def close_tab(self, tab):
        tab.socket.close()
        self.call("Target.closeTarget", targetId=tab.target)

    def _page_socket(self, port):
        import urllib.request
        for _ in range(100):
            targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list"))
            pages = [t for t in targets if t.get("type") == "page"]
            if pages:
                return pages[0]["webSocketDebuggerUrl"]
            time.sleep(0.1)
        raise RuntimeError("chromium has no page")

    def call(self, method, **params):
        self.next_id += 1
        ident = self.next_id
        self.socket.send(json.dumps({"id": ident, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == ident:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            if "method" in message:
                self.events.append(message)

    def wait_event(self, method, test=lambda params: True, timeout=60):
        """The first event of that name (seen before or arriving now) that passes the test."""
        deadline = time.time() + timeout
        while True:
            for event in self.events:
                if event["method"] == method and test(event["params"]):
                    self.events.remove(event)
                    return event["params"]
            if time.time() > deadline:
                raise TimeoutError(f"no {method} within {timeout} s")
            self.socket.settimeout(max(0.1, deadline - time.time()))
            try:
                message = json.loads(self.socket.recv())
            except websocket.WebSocketTimeoutException:
                continue
            finally:
                self.socket.settimeout(120)
            if "method" in message:
                self.events.append(message)

    def evaluate(self, expression, await_promise=False, user_gesture=False):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=await_promise, userGesture=user_gesture)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, timeout=120):
        """Until the expression is true, across the page's navigations."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                if self.evaluate(expression):
                    return
            except RuntimeError as error:
                if "navigated" not in str(error) and "context" not in str(error):
                    raise
            time.sleep(0.1)
        raise TimeoutError(f"{expression} did not come true within {timeout} s")

    def load(self, url):
        self.call("Page.navigate", url=url)

    def click(self, x, y):
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)

    def key(self, name, modifiers=()):
        """A key by its DOM name ("Tab", "s"), with modifiers ("Control", "Shift")."""
        mask = sum(MODIFIERS[m] for m in modifiers)
        if name in KEYS:
            code, virtual = KEYS[name]
            text = "\r" if name == "Enter" else ""
        else:
            code = "Key" + name.upper() if name.isalpha() else ("Digit" + name if name.isdigit() else "")
            virtual = ord(name.upper())
            text = name if not mask & (MODIFIERS["Control"] | MODIFIERS["Alt"]) else ""
        for modifier in modifiers:
            self.call("Input.dispatchKeyEvent", type="rawKeyDown", key=modifier, modifiers=mask)
        self.call("Input.dispatchKeyEvent", type="keyDown" if text else "rawKeyDown", key=name, code=code,
                  windowsVirtualKeyCode=virtual, text=text, unmodifiedText=text, modifiers=mask)
        self.call("Input.dispatchKeyEvent", type="keyUp", key=name, code=code, windowsVirtualKeyCode=virtual,
                  modifiers=mask)
        for modifier in reversed(modifiers):
            self.call("Input.dispatchKeyEvent", type="keyUp", key=modifier, modifiers=0)

    def type(self, text):
        for letter in text:
            self.key(letter)

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as out:
            out.write(base64.b64decode(data))

    def take_downloads(self, folder):
        self.call("Browser.setDownloadBehavior", behavior="allowAndName", downloadPath=folder, eventsEnabled=True)

    def wait_download(self, folder, timeout=60):
        """The downloaded file's suggested name and its bytes."""
        begun = self.wait_event("Browser.downloadWillBegin", timeout=timeout)
        self.wait_event("Browser.downloadProgress",
                        lambda p: p["guid"] == begun["guid"] and p["state"] == "completed", timeout=timeout)
        with open(os.path.join(folder, begun["guid"]), "rb") as data:
            return begun["suggestedFilename"], data.read()

    def answer_file_chooser(self, paths, timeout=60):
        chosen = self.wait_event("Page.fileChooserOpened", timeout=timeout)
        self.call("DOM.setFileInputFiles", files=paths, backendNodeId=chosen["backendNodeId"])

    def memory(self):
        """The page's JavaScript heap and the renderer's whole memory, in bytes."""
        self.call("Performance.enable")
        metrics = {m["name"]: m["value"] for m in self.call("Performance.getMetrics")["metrics"]}
        return metrics

    def close(self):
        try:
            self.call("Browser.close")
        except Exception:
            pass
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        if self.own_profile:
            shutil.rmtree(self.profile, ignore_errors=True)
