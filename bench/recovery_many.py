#!/usr/bin/env python3
"""Starts the real editor with many copies of unsaved work left in its state folder and measures
how long the recovery window takes to appear, the program's peak memory, and how many files it
holds open then; and the same for a start with no copy, for comparison.

Usage, from the build folder, SOURCE being the source tree:
    SOURCE/scripts/xvfb_run.sh SOURCE/bench/recovery_many.py app/quarnel [copies]
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

HEADING = b"Quarnel recovery copy\n"


def a_copy(number):
    """A whole copy, in the copy's own layout, of a mission never saved."""
    image = bytearray(5192)
    image[number % 5192] = number % 251
    body = HEADING + struct.pack("<II", 2, 0) + struct.pack("<B3Q4q", 0, 0, 0, 0, 0, 0, 0, 0) + \
        struct.pack("<I", 0) + bytes(image)
    return body + struct.pack("<I", zlib.crc32(body))


def letters(number):
    word = ""
    for _ in range(8):
        word += chr(ord("a") + number % 26)
        number //= 26
    return word


def visible(pattern):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                          capture_output=True, text=True).stdout.split()


def start(quarnel, home, pattern):
    env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=home, QT_QPA_PLATFORM="xcb")
    began = time.monotonic()
    process = subprocess.Popen([quarnel], env=env)
    while not visible(pattern):
        if time.monotonic() - began > 120:
            raise RuntimeError("no window " + pattern)
        time.sleep(0.01)
    took = time.monotonic() - began
    time.sleep(1)
    status = dict(line.split(":", 1) for line in open("/proc/%d/status" % process.pid))
    files = len(os.listdir("/proc/%d/fd" % process.pid))
    process.kill()
    process.wait()
    return took, status["VmHWM"].strip(), files


def main():
    quarnel = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 30000
    home = tempfile.mkdtemp()
    try:
        ended = subprocess.Popen(["true"])
        ended.wait()
        took, peak, files = start(quarnel, home, "^Quarnel")
        print("no copy: the window after %.2f s, peak memory %s, %d files open" % (took, peak, files))
        state = os.path.join(home, ".local", "state", "quarnel")
        os.makedirs(state, exist_ok=True)
        for number in range(count):
            with open(os.path.join(state, "%d-%s.recovery" % (ended.pid, letters(number))), "wb") as copy:
                copy.write(a_copy(number))
        took, peak, files = start(quarnel, home, "Unsaved Changes$")
        print("%d copies: the recovery window after %.2f s, peak memory %s, %d files open"
              % (count, took, peak, files))
    finally:
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
