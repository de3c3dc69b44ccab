#!/usr/bin/env python3
"""Kills the real editor at random moments and checks what the next start offers back.

Each round starts quarnel (taking back the work the last round left, with Return in the recovery
window), types a new number of waves into slot 1, waits a random time of up to 2.5 seconds, and
kills the editor with SIGKILL. The copy it leaves must be whole (its checksum holds) and must hold
the new number whenever the kill came more than the copy's delay after the typing; before that it
may hold the one before. Every third round the first start is killed while its recovery window is
up, and the copy must be there as it was; every third round the typing is saved with Ctrl+S and
SIGTERM comes up to 0.4 s later, inside the save or just after it: then either the file holds the
new number and no copy is left, or the copy holds it.

Usage, from the build folder, SOURCE being the source tree:
    SOURCE/scripts/xvfb_run.sh SOURCE/bench/recovery_rounds.py app/quarnel [rounds]
(that script's X server never resets: with no client between two rounds, a server that reset would
refuse the next one)
Prints one line per round and the figures at the end; exits 1 when any round fails.
"""
import os
import random
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

DELAY = 1.0          # the copy's delay, in seconds
SLACK = 0.3          # the writer's own time to write and flush
HEADING = b"Quarnel recovery copy\n"
WAVES_OFFSET = 72 + 12  # slot 1's waves less one in the mission's bytes


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True).stdout


def wait_for_window(pattern, timeout=60.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                               capture_output=True, text=True).stdout.split()
        if found:
            return found[0]
        time.sleep(0.05)
    raise RuntimeError("no window " + pattern)


def read_copy(path):
    """The waves byte of a copy, or None when the copy is not whole."""
    data = open(path, "rb").read()
    body, crc = data[:-4], data[-4:]
    if len(data) < 4 or zlib.crc32(body) != struct.unpack("<I", crc)[0] or not body.startswith(HEADING):
        return None
    at = len(HEADING) + 4
    (name_length,) = struct.unpack_from("<I", body, at)
    stamp = at + 4 + name_length
    # Exists, device, identity, size, modified and changed times, then the bytes last seen.
    (content_length,) = struct.unpack_from("<I", body, stamp + 1 + 7 * 8)
    image = stamp + 1 + 7 * 8 + 4 + content_length
    if len(body) != image + 5192:
        return None
    return body[image + WAVES_OFFSET]


def main():
    quarnel = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 100
    version = os.environ.get("QUARNEL_VERSION_TEXT", "Quarnel beta")
    work = tempfile.mkdtemp()
    env = dict(os.environ, HOME=work, XDG_RUNTIME_DIR=work, QT_QPA_PLATFORM="xcb")
    state = os.path.join(work, ".local", "state", "quarnel")
    mission = os.path.join(work, "Mission.skm")
    expect = os.path.join(os.path.dirname(quarnel), "..", "tests", "e2e", "e2e_expect")
    subprocess.run([expect, mission, "new"], check=True)
    failures = 0
    whole = offered = newest = kept_in_window = saved = 0
    previous = None  # the waves byte the last round's copy held
    offer = False  # whether the last round left a copy to offer
    try:
        for round_number in range(1, rounds + 1):
            mode = ("plain", "window", "save")[round_number % 3] if round_number > 1 else "plain"
            process = subprocess.Popen([quarnel] + ([] if offer else [mission]), env=env)
            window = wait_for_window("^" + re.escape(version))
            if offer:
                box = wait_for_window("Unsaved Changes$")
                offered += 1
                if mode == "window":
                    time.sleep(random.uniform(0, 0.5))
                    process.send_signal(signal.SIGKILL)
                    process.wait()
                    copies = [os.path.join(state, name) for name in os.listdir(state) if name.endswith(".recovery")]
                    if len(copies) != 1 or read_copy(copies[0]) != previous:
                        failures += 1
                        print("round %3d: FAIL: killed in the recovery window, %d copies left" % (round_number, len(copies)))
                    else:
                        kept_in_window += 1
                    process = subprocess.Popen([quarnel], env=env)
                    window = wait_for_window("^" + re.escape(version))
                    box = wait_for_window("Unsaved Changes$")
                xdotool("windowfocus", "--sync", box)
                time.sleep(0.2)
                xdotool("key", "Return")
            end = time.monotonic() + 10
            while "[Mission.skm]" not in xdotool("getwindowname", window):
                if time.monotonic() > end:
                    raise RuntimeError("round %d: the work was not taken back" % round_number)
                time.sleep(0.05)
            geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", window).split())
            x, y = int(geometry["X"]), int(geometry["Y"])
            xdotool("windowfocus", "--sync", window)
            typed = 2 + round_number % 200
            xdotool("mousemove", "--sync", str(x + 370), str(y + 75), "click", "1")
            xdotool("key", "ctrl+a")
            xdotool("type", "--delay", "20", str(typed))
            typed_at = time.monotonic()
            if mode == "save":
                xdotool("key", "ctrl+s")
                time.sleep(random.uniform(0, 0.4))
                process.send_signal(signal.SIGTERM)
            else:
                # The first round leaves a copy for sure: without one there is nothing to offer next.
                time.sleep(random.uniform(DELAY + SLACK if round_number == 1 else 0, 2.5))
                process.send_signal(signal.SIGKILL)
            killed_after = time.monotonic() - typed_at
            process.wait()
            copies = [os.path.join(state, name) for name in os.listdir(state) if name.endswith(".recovery")] \
                if os.path.isdir(state) else []
            held = [read_copy(path) for path in copies]
            verdict = "ok"
            on_disk = open(mission, "rb").read()
            started_saved = not offer
            offer = bool(copies)
            if mode == "save" and len(on_disk) == 5192 and on_disk[WAVES_OFFSET] == typed - 1 and not copies:
                saved += 1
                previous = typed - 1
            elif mode == "save" and (len(copies) != 1 or held[0] != typed - 1):
                verdict = "FAIL: after SIGTERM in a save: file holds %d, copies %s, typed %d" % (
                    on_disk[WAVES_OFFSET], held, typed - 1)
            elif started_saved and not copies and killed_after <= DELAY + SLACK:
                pass  # the edit was younger than the copy's delay, and the file holds the work before it
            elif len(copies) != 1 or held[0] is None:
                verdict = "FAIL: %d copies, whole: %s" % (len(copies), [h is not None for h in held])
            else:
                whole += 1
                if held[0] == typed - 1:
                    newest += 1
                elif killed_after > DELAY + SLACK or held[0] != previous:
                    verdict = "FAIL: holds %d, typed %d, the one before %s" % (held[0], typed - 1, previous)
                previous = held[0]
            if verdict.startswith("FAIL"):
                failures += 1
            print("round %3d: killed %.2f s after typing: %s" % (round_number, killed_after, verdict), flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("rounds %d, copies whole %d, offered at the next start %d, holding the newest edit %d, "
          "kept through a kill in the recovery window %d, saved and no copy left after SIGTERM %d, failures %d"
          % (rounds, whole, offered, newest, kept_in_window, saved, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
