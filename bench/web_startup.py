"""The page's start in Debian's headless chromium: the time from the page's load to the editor's
window and to its first frame, with the browser's cache cold (a new profile) and warm (the same
profile again, its cache and the page's offline copy filled), and the memory of the page's
renderer process once the window is up.

Usage: /usr/bin/python3 bench/web_startup.py PAGE_FOLDER [RUNS]   (a folder made by
scripts/web_release.sh; 5 runs of each unless given)
"""

import functools
import http.server
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import devtools  # noqa: E402


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm"}

    def log_message(self, *args):
        pass


def renderer_memory(browser):
    """The largest resident set of the browser's renderer processes, in bytes."""
    listing = subprocess.run(["ps", "-o", "pid=,rss=,args=", "--ppid", str(browser.process.pid)],
                             capture_output=True, text=True).stdout.splitlines()
    # The renderers are the zygote's children.
    zygotes = [line.split()[0] for line in listing if "--type=zygote" in line]
    rss = []
    for zygote in zygotes:
        for pid in subprocess.run(["pgrep", "-P", zygote], capture_output=True, text=True).stdout.split():
            for child in [pid] + subprocess.run(["pgrep", "-P", pid], capture_output=True, text=True).stdout.split():
                try:
                    args = open(f"/proc/{child}/cmdline").read()
                    if "--type=renderer" in args:
                        status = open(f"/proc/{child}/status").read()
                        rss.append(int(status.split("VmRSS:")[1].split()[0]) * 1024)
                except (OSError, IndexError):
                    pass
    return max(rss) if rss else 0


def start(browser, url):
    browser.evaluate("location.href = 'about:blank'")
    browser.wait_for("location.href === 'about:blank'")
    browser.evaluate(f"location.href = {url!r}")
    browser.wait_for("globalThis.quarnelFirstFrameAt !== undefined", timeout=300)
    return browser.evaluate("[globalThis.quarnelShownAt, globalThis.quarnelFirstFrameAt]")


def main():
    folder = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f"http://127.0.0.1:{server.server_address[1]}/index.html"
    cold, warm, memory = [], [], []
    for _ in range(runs):
        profile = tempfile.mkdtemp(prefix="quarnel-bench-")
        browser = devtools.Browser(profile)
        try:
            cold.append(start(browser, url))
            time.sleep(2)
            memory.append(renderer_memory(browser))
            warm.append(start(browser, url))
        finally:
            browser.close()
            shutil.rmtree(profile, ignore_errors=True)
    server.shutdown()
    for name, times in (("cold", cold), ("warm", warm)):
        print(f"{name} cache: window up {statistics.median(t[0] for t in times):.0f} ms, first frame "
              f"{statistics.median(t[1] for t in times):.0f} ms after the page's load (medians of {runs}; "
              f"first frames {', '.join(f'{t[1]:.0f}' for t in times)})")
    print(f"the page's renderer process: {statistics.median(memory) / 1e6:.0f} MB resident (median of {runs})")


main()
