#!/usr/bin/env python3
"""The monkey player: the real game under a private Xvfb, played at random.

    monkey.py BIN_DIR SOURCE_DIR [--seconds N] [--seed S] [--large W H PIECE]
              [--stay-in-play NAME] [--max-growth PERCENT] [--keep]

BIN_DIR holds tandrill, gift.pzl, tandrill.hlp and tandrill_monkey_library.
The data folder starts with the samples and a puzzle of every kind (see
monkey_library.cpp); the player's Pictures folder holds pictures of several
formats for the open dialogs. The monkey clicks, double-clicks, drags with
every button, turns the wheel, presses the rooms' hot keys, Escape, Enter,
arrows and Tab, types into whatever has the keyboard and resizes the window.
It reads the game's report lines to know the room, where the store room's
items and the pieces lie, and which rooms and windows it has not seen yet,
and steers towards those now and then.

Every minute the game must answer (a report line within 5 s of a resize).
A game that ends by itself (the monkey found Quit) must have ended with 0;
it is started again. At the end the monkey quits the game as a player would
and checks: exit code 0, no sanitizer report, the library and every puzzle
file read, and nothing written outside the data folder but gifts saved
where the player chose. With --stay-in-play the monkey opens that puzzle
and keeps playing it; with --max-growth it fails when the game's memory
grew by more than that share from the end of the first minute to the end.

The seed is printed first: `--seed S` plays the same game again (as far as
timing allows).
"""

import argparse
import math
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
import wave


def log(text):
    print(text, flush=True)


class Failure(Exception):
    pass


def run(*cmd, timeout=15, check=False, env=None):
    try:
        r = subprocess.run(cmd, capture_output=True, text=True, timeout=timeout, env=env)
    except subprocess.TimeoutExpired:
        raise Failure("command hung: " + " ".join(cmd))
    if check and r.returncode != 0:
        raise Failure("%s failed: %s" % (" ".join(cmd), r.stderr.strip()))
    return r


def xdo(*words):
    return run("xdotool", *[str(w) for w in words])


# ---- the world: X server, folders, the game's files --------------------------

def start_x(work, size="1280x800x24"):
    for n in range(141, 200):
        if os.path.exists("/tmp/.X11-unix/X%d" % n) or os.path.exists("/tmp/.X%d-lock" % n):
            continue
        xlog = open(os.path.join(work, "xvfb.log"), "w")
        proc = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", size, "-nolisten", "tcp"],
                                stdout=xlog, stderr=xlog)
        os.environ["DISPLAY"] = ":%d" % n
        for _ in range(50):
            if subprocess.run(["xdpyinfo"], capture_output=True).returncode == 0:
                return proc
            time.sleep(0.1)
        proc.kill()
    raise Failure("could not start Xvfb")


def write_music(path):
    # Two seconds of a soft chord: a real WAV for the puzzle's music.
    rate = 22050
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        frames = b"".join(struct.pack("<h", int(3000 * (math.sin(i * 440 * 6.283 / rate) +
                                                        math.sin(i * 554 * 6.283 / rate))))
                          for i in range(rate * 2))
        w.writeframes(frames)


def make_pictures(folder, source_dir):
    os.makedirs(folder)
    run("convert", "-size", "640x420", "-seed", "3", "plasma:green-blue", "-quality", "85",
        os.path.join(folder, "lake.jpg"), check=True)
    run("convert", "-size", "300x500", "gradient:red-yellow", os.path.join(folder, "tall.png"), check=True)
    run("convert", "-size", "200x150", "xc:none", "-fill", "blue", "-draw", "circle 100,75 100,10",
        os.path.join(folder, "round.gif"), check=True)
    images = os.path.join(source_dir, "tests", "data_files", "images")
    for name in sorted(os.listdir(images)):
        shutil.copy(os.path.join(images, name), folder)
    # Not pictures at all, as a real Pictures folder may hold.
    with open(os.path.join(folder, "notes.jpg"), "wb") as f:
        f.write(b"\xff\xd8\xff\xe0 this is no picture" * 10)
    with open(os.path.join(folder, "empty.png"), "wb"):
        pass


def snapshot(root, skip):
    """Every file under root (but the skipped folders) with size and time."""
    files = {}
    for base, dirs, names in os.walk(root):
        dirs[:] = [d for d in dirs if os.path.join(base, d) not in skip]
        for n in names:
            p = os.path.join(base, n)
            try:
                st = os.lstat(p)
            except FileNotFoundError:
                continue
            files[p] = (st.st_size, st.st_mtime_ns)
    return files


# ---- the report ---------------------------------------------------------------

class Report:
    """Follows the game's report file and keeps what the monkey steers by."""

    def __init__(self, path):
        self.path = path
        self.offset = 0
        self.lines = 0
        self.room = ""
        self.seen = set()
        self.items = {}
        self.pieces = []
        self.pieces_done = False
        self.piece_reports = 0
        self.selected = ""
        self.category_close = None
        self.gifts = []
        self.frames = 0

    def reset(self):
        self.offset = 0
        self.room = ""
        self.frames = 0
        open(self.path, "w").close()

    def poll(self):
        try:
            with open(self.path, "rb") as f:
                f.seek(self.offset)
                data = f.read()
        except FileNotFoundError:
            return 0
        end = data.rfind(b"\n")
        if end < 0:
            return 0
        self.offset += end + 1
        count = 0
        for raw in data[:end].split(b"\n"):
            line = raw.decode("utf-8", "replace")
            count += 1
            self.take(line)
        self.lines += count
        # The game appends to the file: emptied, it goes on from the start.
        # Each dropped piece reports every piece, so a long game would
        # otherwise grow the file by gigabytes.
        if self.offset > (32 << 20):
            os.truncate(self.path, 0)
            self.offset = 0
        return count

    def take(self, line):
        words = line.split(" ")
        head = words[0]
        if head in ("frame", "first-frame"):
            self.frames += 1
            return
        if head == "clock":
            return
        if head == "room" and len(words) > 1:
            # The store room reports its items just before its room line.
            self.room = words[1]
            if self.room != "storeRoom":
                self.items = {}
            self.seen.add("room " + words[1])
        elif head == "window":
            self.seen.add(line)
            m = re.search(r"\| close (\d+) (\d+)", line)
            if line.startswith("window Category: ") and m:
                self.category_close = (int(m.group(1)), int(m.group(2)))
        elif head == "item" and len(words) >= 6:
            try:
                self.items[" ".join(words[1:-4])] = (int(words[-2]), int(words[-1]))
            except ValueError:
                pass
        elif head == "play" and len(words) > 1:
            self.seen.add("play " + words[1])
            if words[1] == "ready":
                self.pieces = []
                self.pieces_done = False
        elif head == "piece":
            # Where the pieces lay when the room opened is enough to aim at.
            if not self.pieces_done:
                m = re.search(r"centre (-?[\d.]+) (-?[\d.]+)", line)
                if m:
                    self.pieces.append((float(m.group(1)), float(m.group(2))))
        elif head == "pieces":
            self.pieces_done = True
            self.piece_reports += 1
        elif head == "gift" and len(words) > 1:
            self.gifts.append(line[5:])
        elif head == "message":
            self.seen.add(line[:60])
        elif head == "selected":
            self.selected = line[9:]
            self.seen.add("selected")
        elif head in ("download", "gallery", "button", "deleted", "puzzle"):
            self.seen.add(" ".join(words[:2]))


# ---- the game -----------------------------------------------------------------

class Game:
    def __init__(self, work, program, env, report):
        self.work = work
        self.program = program
        self.env = env
        self.report = report
        self.proc = None
        self.starts = 0
        self.windows = []
        self.windows_at = 0
        self.main = None

    def start(self):
        self.report.reset()
        self.starts += 1
        err = open(os.path.join(self.work, "game-%d.err" % self.starts), "w")
        self.proc = subprocess.Popen([self.program], cwd=os.path.join(self.work, "cwd"), env=self.env,
                                     stdout=err, stderr=err)
        deadline = time.time() + 120
        while time.time() < deadline:
            self.report.poll()
            if self.report.room == "storeRoom" and self.report.frames and self.proc.poll() is None and self.find_main():
                return
            if self.proc.poll() is not None:
                # Another program's stale process id may hit it (see main).
                if self.proc.returncode == -signal.SIGKILL and self.starts < 50:
                    log("the game was killed from outside while starting")
                    self.start()
                    return
                raise Failure("the game ended while starting, exit code %d" % self.proc.returncode)
            time.sleep(0.2)
        raise Failure("the game did not start within 120 s")

    def find_main(self):
        r = xdo("search", "--onlyvisible", "--pid", self.proc.pid)
        ids = [w for w in r.stdout.split() if w.isdigit()]
        self.windows = [g for g in (self.geometry(w) for w in ids) if g]
        self.windows_at = time.time()
        big = [g for g in self.windows if g[3] > 200 and g[4] > 150]
        if not big:
            return False
        if not self.main or self.main[0] not in [g[0] for g in big]:
            self.main = max(big, key=lambda g: g[3] * g[4])
        else:
            self.main = [g for g in big if g[0] == self.main[0]][0]
        return True

    def geometry(self, wid):
        r = xdo("getwindowgeometry", "--shell", wid)
        v = dict(l.split("=", 1) for l in r.stdout.split() if "=" in l)
        try:
            return (wid, int(v["X"]), int(v["Y"]), int(v["WIDTH"]), int(v["HEIGHT"]))
        except (KeyError, ValueError):
            return None

    def alive(self):
        return self.proc and self.proc.poll() is None

    def rss_kib(self):
        try:
            with open("/proc/%d/status" % self.proc.pid) as f:
                for line in f:
                    if line.startswith("VmRSS:"):
                        return int(line.split()[1])
        except (FileNotFoundError, ProcessLookupError):
            pass
        return 0


# ---- the player -----------------------------------------------------------------

# Where the monkey wants to go from each room: the report line that proves it
# got there, and the keys (or item to select first) that lead there.
STEERING = {
    "storeRoom": [
        ("room playRoom", ["select", "alt+p"]), ("room cutsRoom", ["select", "alt+m"]),
        ("window Open Puzzle Image:", ["alt+c"]), ("room galleryRoom", ["alt+g"]),
        ("window About Tandrill", ["alt+a"]), ("window Tandrill Help", ["F1"]),
        ("message Tandrill: Do you really want to delete", ["select", "alt+d"]), ("button", ["alt+s"]),
        ("message Tandrill: Send this puzzle as a gift", ["select", "alt+f"]),
        ("window Select Background Image:", ["alt+b"]), ("window Color", ["alt+o"]),
    ],
    "playRoom": [
        ("play overview", ["alt+o"]), ("play preview", ["alt+p"]), ("play hint", ["alt+h"]),
        ("play scattered", ["alt+s"]), ("play ghost", ["alt+g"]), ("room storeRoom", ["alt+b"]),
    ],
    "galleryRoom": [("window Completed puzzle", ["alt+o"]), ("gallery removed", ["alt+r"]),
                    ("room storeRoom", ["alt+b"])],
    "cutsRoom": [("puzzle saved", ["alt+o"]), ("room storeRoom", ["alt+c"])],
}

HOT_KEYS = ["alt+%s" % c for c in "abcdefghijklmnoprstuvwxyz"] + ["F1", "F4", "F5", "F10"]
PLAIN_KEYS = ["Escape", "Return", "Tab", "shift+Tab", "Left", "Right", "Up", "Down", "space", "BackSpace",
              "Delete", "Home", "End", "Page_Up", "Page_Down", "plus", "minus", "ctrl+z", "ctrl+a", "0", "1"]
# Letters beyond ASCII, each on a key of its own (tandrill_monkey_library
# keyboard), as on a European keyboard: two-byte ones, three-byte ones, one
# beyond Latin-1.
KEY_NAMES = {"é": "eacute", "ü": "udiaeresis", "ß": "ssharp", "Ä": "Adiaeresis", "ő": "odoubleacute",
             "€": "EuroSign"}
TEXT = "abcdefghijklmnopqrstuvwxyz ABCXYZ 0123456789 .,-_/\\:*?\"<>|'" + "".join(KEY_NAMES)


class Monkey:
    def __init__(self, game, rng, stay_in_play=None):
        self.game = game
        self.rng = rng
        self.stay = stay_in_play
        self.actions = {}
        self.steered = 0

    def count(self, what):
        self.actions[what] = self.actions.get(what, 0) + 1

    def window(self):
        g = self.game
        if time.time() - g.windows_at > 2:
            g.find_main()
        # Mostly the main window; a dialog's own window when there is one.
        if len(g.windows) > 1 and self.rng.random() < 0.5:
            return self.rng.choice(g.windows)
        return g.main

    def point(self, w=None):
        wid, x, y, width, height = w or self.window()
        return x + self.rng.randrange(max(1, width)), y + self.rng.randrange(max(1, height))

    def target(self):
        """A point worth pressing: an item of the store room, a piece, or anywhere."""
        r, main = self.game.report, self.game.main
        if r.room == "storeRoom" and r.items and self.rng.random() < 0.5:
            cx, cy = self.rng.choice(list(r.items.values()))
            return main[1] + cx, main[2] + cy
        if r.room == "playRoom" and r.pieces and self.rng.random() < 0.6:
            cx, cy = self.rng.choice(r.pieces)
            return main[1] + int(cx), main[2] + int(cy)
        return self.point()

    def key(self, key):
        # Keys that end the game are pressed only at the end, by quit().
        xdo("key", "--clearmodifiers", key)

    def step(self):
        rng = self.rng
        roll = rng.random()
        if self.stay and self.game.report.room != "playRoom":
            self.steer_to_play()
        elif roll < 0.22:
            self.count("click")
            x, y = self.target()
            xdo("mousemove", x, y, "click", 1)
        elif roll < 0.30:
            self.count("double-click")
            x, y = self.target()
            xdo("mousemove", x, y, "click", "--repeat", 2, "--delay", 60, 1)
        elif roll < 0.46:
            self.count("drag")
            before = self.game.report.piece_reports
            self.drag(1)
            if self.stay:
                # Each piece put down reports every piece of the puzzle: on a
                # large one the monkey waits for that, rather than heaping up
                # moves faster than the game takes them.
                for _ in range(100):
                    if self.game.report.poll() is not None and self.game.report.piece_reports > before:
                        break
                    time.sleep(0.1)
        elif roll < 0.49:
            self.count("middle-drag")
            self.drag(2)
        elif roll < 0.53:
            self.count("right-click")
            x, y = self.target()
            xdo("mousemove", x, y, "click", 3)
        elif roll < 0.59:
            self.count("wheel")
            x, y = self.point()
            xdo("mousemove", x, y, "click", "--repeat", rng.randint(1, 4), "--delay", 30, rng.choice([4, 5]))
        elif roll < 0.69:
            self.count("hot-key")
            key = rng.choice(HOT_KEYS)
            if self.stay and key in ("alt+b", "alt+s"):
                key = "alt+h"
            self.key(key)
        elif roll < 0.78:
            self.count("key")
            key = rng.choice(PLAIN_KEYS)
            if self.stay and key == "Escape":
                key = "Right"
            self.key(key)
        elif roll < 0.83:
            self.count("typing")
            text = "".join(rng.choice(TEXT) for _ in range(rng.randint(1, 12)))
            xdo("type", "--delay", 15, text)
        elif roll < 0.85:
            self.count("resize")
            self.resize(rng.randint(480, 1270), rng.randint(360, 790))
        else:
            self.steer()

    def drag(self, button):
        x0, y0 = self.target() if button == 1 else self.point()
        x1, y1 = self.point()
        steps = self.rng.randint(2, 10)
        words = ["mousemove", x0, y0, "mousedown", button]
        for i in range(1, steps + 1):
            words += ["mousemove", x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps, "sleep", 0.02]
        words += ["mouseup", button]
        xdo(*words)

    def resize(self, w, h):
        g = self.game
        if g.main:
            xdo("windowsize", g.main[0], w, h)
            g.windows_at = 0

    def steer(self):
        r = self.game.report
        options = STEERING.get(r.room, [])
        if not options:
            self.count("escape")
            self.key("Escape")
            return
        fresh = [o for o in options if not any(s.startswith(o[0]) for s in r.seen)]
        goal, keys = self.rng.choice(fresh if fresh and self.rng.random() < 0.75 else options)
        self.steered += 1
        self.count("steer")
        for key in keys:
            if key == "select":
                if not r.items:
                    continue
                names = [n for n in r.items if n not in ("Samples", "Kinds")] or list(r.items)
                cx, cy = r.items[self.rng.choice(names)]
                xdo("mousemove", self.game.main[1] + cx, self.game.main[2] + cy, "click", 1)
                time.sleep(0.2)
            else:
                self.key(key)
                time.sleep(0.2)

    def steer_to_play(self):
        """Opens the puzzle the monkey stays in: from the store room, its item
        selected (the Samples window that a first start opens over the floor
        closed first) and Play."""
        r, g = self.game.report, self.game
        self.count("steer")
        if r.room != "storeRoom":
            self.key("Escape")
            if r.room in ("playRoom", "galleryRoom"):
                self.key("alt+b")
            time.sleep(0.5)
            return
        if r.category_close:
            xdo("mousemove", g.main[1] + r.category_close[0], g.main[2] + r.category_close[1], "click", 1)
            r.category_close = None
            time.sleep(1.5)
        if self.stay not in r.items:
            self.key("Escape")
            return
        cx, cy = r.items[self.stay]
        xdo("mousemove", g.main[1] + cx, g.main[2] + cy, "sleep", 0.3, "click", 1)
        for _ in range(200):
            r.poll()
            if r.selected == self.stay:
                break
            time.sleep(0.1)
        if r.selected != self.stay:
            return
        self.key("alt+p")
        for _ in range(1200):
            r.poll()
            if r.room == "playRoom" and r.pieces_done:
                return
            if not g.alive():
                return
            time.sleep(0.5)

    def quit(self, seconds):
        """Leaves every room and dialog and quits, as a player would."""
        g = self.game
        deadline = time.time() + seconds
        attempt = -1
        while time.time() < deadline:
            attempt += 1
            if not g.alive():
                return g.proc.returncode
            g.report.poll()
            if attempt % 4 == 0 and g.find_main():
                # Keys go to the window under the pointer, which may have
                # been left outside a window made smaller.
                xdo("mousemove", g.main[1] + g.main[3] // 2, g.main[2] + g.main[4] // 2)
            keys = ["Escape"] if g.report.room != "storeRoom" else []
            keys += ["alt+c"] if g.report.room == "cutsRoom" else []
            keys += ["alt+b"] if g.report.room in ("playRoom", "galleryRoom") else []
            keys += ["alt+q"] if g.report.room == "storeRoom" else []
            if time.time() > deadline - seconds / 4:
                keys = ["alt+F4"]
            for key in keys:
                xdo("key", "--clearmodifiers", key)
                time.sleep(0.3)
            for _ in range(10):
                if not g.alive():
                    return g.proc.returncode
                time.sleep(0.1)
        return None


def check_answers(game, seconds):
    """The game answers: a report line within the time after a resize."""
    game.report.poll()
    before = game.report.lines
    game.find_main()
    if game.main:
        wid, x, y, w, h = game.main
        xdo("windowsize", wid, w + 1 if w < 1270 else w - 1, h)
    deadline = time.time() + seconds
    while time.time() < deadline:
        if game.report.poll() or game.report.lines > before:
            return True
        if not game.alive():
            return True  # an ended game is looked at by the caller
        time.sleep(0.1)
    return False


def sanitizer_reports(work):
    found = []
    for name in sorted(os.listdir(work)):
        p = os.path.join(work, name)
        if name.startswith("sanitizer.") or name.startswith("game-"):
            text = open(p, errors="replace").read()
            if name.startswith("sanitizer.") or "runtime error" in text or "ERROR: " in text:
                found.append((name, text[-6000:]))
    return found


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("bin_dir")
    ap.add_argument("source_dir")
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--seed", type=int, default=None)
    ap.add_argument("--large", type=int, nargs=3, default=None, metavar=("W", "H", "PIECE"))
    ap.add_argument("--stay-in-play", default=None)
    ap.add_argument("--max-growth", type=float, default=None)
    ap.add_argument("--answer-within", type=float, default=5.0)
    ap.add_argument("--keep", action="store_true")
    a = ap.parse_args()

    # Stopped from outside (a background run ended early), the game and the
    # X server still go.
    def stop(number, frame):
        raise Failure("stopped by signal %d" % number)
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    seed = a.seed if a.seed is not None else int.from_bytes(os.urandom(4), "little")
    log("monkey seed %d (again with --seed %d), %d s" % (seed, seed, a.seconds))
    rng = random.Random(seed)

    bin_dir = os.path.abspath(a.bin_dir)
    work = tempfile.mkdtemp(prefix="tandrill-monkey-")
    xvfb = None
    game = None
    ok = False
    try:
        program_dir = os.path.join(work, "program")
        os.makedirs(program_dir)
        for f in ("tandrill", "gift.pzl", "tandrill.hlp"):
            shutil.copy2(os.path.join(bin_dir, f), program_dir)
        home = os.path.join(work, "home")
        os.makedirs(os.path.join(home, ".config"))
        with open(os.path.join(home, ".config", "user-dirs.dirs"), "w") as f:
            f.write('XDG_PICTURES_DIR="$HOME/Pictures"\n')
        make_pictures(os.path.join(home, "Pictures"), a.source_dir)
        for d in ("cwd", "tmp", "data"):
            os.makedirs(os.path.join(work, d))
        data = os.path.join(work, "data")
        music = os.path.join(data, "tune.wav")
        write_music(music)

        env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_") and not k.startswith("TANDRILL_")}
        env.update(HOME=home, TANDRILL_DATA_DIR=data, TANDRILL_REPORT=os.path.join(work, "report.txt"),
                   SDL_AUDIODRIVER="dummy", TMPDIR=os.path.join(work, "tmp"))
        supp = os.path.join(os.path.dirname(os.path.abspath(__file__)), "monkey_lsan.supp")
        env["ASAN_OPTIONS"] = "log_path=%s/sanitizer:abort_on_error=0:detect_leaks=1" % work
        env["LSAN_OPTIONS"] = "suppressions=%s:print_suppressions=0" % supp
        env["UBSAN_OPTIONS"] = "log_path=%s/sanitizer:print_stacktrace=1:halt_on_error=1" % work

        t = time.time()
        large = [str(v) for v in a.large] if a.large else []
        r = run(os.path.join(bin_dir, "tandrill_monkey_library"), "make", music, *large, timeout=900, env=env)
        if r.returncode != 0:
            raise Failure("could not make the data folder: " + r.stdout + r.stderr)
        log("data folder made in %.1f s" % (time.time() - t))

        before = snapshot(work, {data, os.path.join(work, "tmp")})
        xvfb = start_x(work)
        env["DISPLAY"] = os.environ["DISPLAY"]
        run(os.path.join(bin_dir, "tandrill_monkey_library"), "keyboard", *KEY_NAMES.values(), check=True, env=env)
        report = Report(os.path.join(work, "report.txt"))
        game = Game(work, os.path.join(program_dir, "tandrill"), env, report)
        game.start()
        log("the game started (%s)" % game.report.room)
        monkey = Monkey(game, rng, a.stay_in_play)
        # Each of those keys once, with nothing to type into: the platform
        # layer looks every key press and release up, and once read past the
        # end of a two-byte letter's text there.
        xdo("key", "--delay", 50, *KEY_NAMES.values())

        if a.stay_in_play:
            # The minutes count from the moment the puzzle is open.
            for _ in range(10):
                if game.report.room == "playRoom" and game.report.pieces_done:
                    break
                monkey.steer_to_play()
            if game.report.room != "playRoom":
                raise Failure("could not open the puzzle %s (room %s, selected %s)" %
                              (a.stay_in_play, game.report.room, game.report.selected))
            log("playing %s (%d pieces)" % (a.stay_in_play, len(game.report.pieces)))
        start = time.time()
        next_check = start + 60
        first_minute_rss = None
        last_rss = 0
        outside_kills = 0
        while time.time() - start < a.seconds:
            if not game.alive():
                rc = game.proc.returncode
                # The game never sends itself SIGKILL, and the sanitizers end
                # it otherwise. On a shared machine another program's stale
                # process id may hit it; only a large game may have been
                # killed for its memory.
                if rc == -signal.SIGKILL and last_rss < (2 << 20):
                    outside_kills += 1
                    log("the game was killed from outside at %.0f s (%.0f MiB)" % (time.time() - start, last_rss / 1024))
                elif rc != 0:
                    raise Failure("the game ended with exit code %d while played" % rc)
                else:
                    log("the game was quit by the monkey at %.0f s" % (time.time() - start))
                check_files(bin_dir, env)
                game.start()
            try:
                monkey.step()
            except Failure as e:
                if game.alive():
                    raise
            game.report.poll()
            last_rss = game.rss_kib() or last_rss
            time.sleep(rng.choice([0.02, 0.05, 0.1, 0.2, 0.4]))
            if time.time() >= next_check:
                if not check_answers(game, a.answer_within):
                    raise Failure("the game did not answer within %.0f s at %.0f s" %
                                  (a.answer_within, time.time() - start))
                rss = game.rss_kib()
                minutes = round((time.time() - start) / 60)
                if minutes == 1:
                    first_minute_rss = rss
                log("minute %d: answers; room %s; memory %.1f MiB; %d report lines" %
                    (minutes, game.report.room, rss / 1024.0, game.report.lines))
                next_check += 60

        final_rss = game.rss_kib() if game.alive() else 0
        # A large puzzle is saved as it is left, and a busy machine may still
        # be working through the monkey's last moves.
        rc = monkey.quit(300 if a.stay_in_play else 90)
        if rc is None:
            raise Failure("the game did not quit (room %s)" % game.report.room)
        if rc != 0:
            raise Failure("the game quit with exit code %d" % rc)
        found = sanitizer_reports(work)
        if found:
            for name, text in found:
                log("---- %s ----\n%s" % (name, text))
            raise Failure("sanitizer report")
        check_files(bin_dir, env)
        after = snapshot(work, {data, os.path.join(work, "tmp")})
        allowed = {os.path.join(work, n) for n in ("report.txt", "xvfb.log")}
        allowed |= {os.path.join(work, "game-%d.err" % i) for i in range(1, game.starts + 1)}
        allowed |= set(os.path.abspath(g) for g in game.report.gifts)
        stray = sorted(p for p in after if p not in allowed and after[p] != before.get(p))
        if stray:
            raise Failure("written outside the data folder: " + ", ".join(stray))
        leftovers = os.listdir(os.path.join(work, "tmp"))
        if leftovers:
            raise Failure("left in the temporary folder: " + ", ".join(leftovers))
        log("actions: " + ", ".join("%s %d" % kv for kv in sorted(monkey.actions.items())))
        log("seen: " + "; ".join(sorted(game.report.seen)))
        if first_minute_rss and final_rss:
            growth = 100.0 * (final_rss - first_minute_rss) / first_minute_rss
            log("memory: %.1f MiB after the first minute, %.1f MiB at the end (%+.1f %%)" %
                (first_minute_rss / 1024.0, final_rss / 1024.0, growth))
            if a.max_growth is not None and growth > a.max_growth:
                raise Failure("memory grew by %.1f %%" % growth)
        log("ok: seed %d, %.0f s, %d starts (%d after a kill from outside), %d actions, no fault" %
            (seed, a.seconds, game.starts, outside_kills, sum(monkey.actions.values())))
        ok = True
    except Failure as e:
        log("FAIL (seed %d): %s" % (seed, e))
        if game:
            log("last report lines:\n" + "".join(open(game.report.path, errors="replace").readlines()[-25:]))
            for name, text in sanitizer_reports(work):
                log("---- %s ----\n%s" % (name, text))
    finally:
        if game and game.alive():
            game.proc.kill()
            game.proc.wait()
        if xvfb:
            xvfb.terminate()
            xvfb.wait()
        if ok and not a.keep:
            shutil.rmtree(work, ignore_errors=True)
        else:
            log("kept " + work)
    return 0 if ok else 1


def check_files(bin_dir, env):
    r = run(os.path.join(bin_dir, "tandrill_monkey_library"), "check", timeout=600, env=env)
    if r.returncode != 0:
        raise Failure("the data folder does not read: " + r.stdout + r.stderr)
    log("data folder: " + r.stdout.strip())


if __name__ == "__main__":
    sys.exit(main())
