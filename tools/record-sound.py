#!/usr/bin/env python3
"""Records a whole game's sound for docs/sound, as a player plays it.

Called by tools/record-sound.sh once the game is built: record-sound.py BIN_DIR [OUT_DIR]. Runs
the game on a private Xvfb server with OpenAL Soft's wave writer as its sound device, from the
start screen: New game, the hint, a stone selected, a swap that is rejected and one that stands
(the hinted pair, found in the window's picture by the colour of the hint's glow and told apart
by the names the game logs when each is selected), its burst, a cascade, the level reached, the
game over with its best score, and the window's Menu back to the start screen, then Quit; every
action a real click by xdotool. The data is the shipped one but for a short game (SCENE_CHANGES).
A game's course depends on the machine's timing, so up to GAMES games are played and the first
in which every event is heard is kept. Writes OUT_DIR (docs/sound) recording.wav (trimmed to the
sound, a long wait cut short), recording.png (its waveform, the events marked) and README.md
(what is heard when).
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import wave

RATE = 16000
GAMES = 6
SEED = 3  # the same field at the start of every game
# A wait longer than this between two events is cut to this much on either side.
MOST_BETWEEN_EVENTS, KEPT_AROUND_A_CUT = 6.0, 2.0
WIDTH, HEIGHT = 800, 600
# The game's changes for a short game; each must match the shipped scene once.
SCENE_CHANGES = [("hintSeconds 10", "hintSeconds 2"), ("score 200\n", "score 3\n"),
                 ("gameOverLine 0.55", "gameOverLine -0.15"), ("gameOverHold 2", "gameOverHold 1"),
                 # more groups, and so more cascades
                 ("stoneTypeCount 6", "stoneTypeCount 5"),
                 # a glow of a colour no stone has, for the script to find the hinted stones by
                 ("hintColor 0xffffffff", "hintColor 0xff00ffff")]
# Points of the window, x from -1 (left) to 1, y from -1 (bottom) to 1.
NEW_GAME, OVER_MENU, QUIT = (0.0, -0.06), (0.294, -0.434), (0.0, -0.695)


class Failed(Exception):
    pass


class Game:
    """The game on its own X server, its output read line by line with the time each came."""

    def __init__(self, bin_dir, work):
        self.log_path = os.path.join(work, "game.log")
        self.lines = []  # (seconds since start, line)
        self.read_to = 0
        self.marks = []  # (seconds since start, what is heard)
        display_read, display_write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(display_write), "-screen", "0", "1280x1024x24",
                                      "-nolisten", "tcp", "-noreset"], pass_fds=[display_write],
                                     stderr=subprocess.DEVNULL)
        os.close(display_write)
        # The number comes with its line end, in two writes; closed before the second, Xvfb ends.
        with os.fdopen(display_read) as number:
            display = number.readline().strip()
        if not display:
            raise Failed("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + display, XDG_DATA_HOME=os.path.join(work, "data"),
                        ALSOFT_CONF=os.path.join(work, "alsoft.conf"))
        self.recording = os.path.join(work, "mix.wav")
        with open(self.env["ALSOFT_CONF"], "w") as conf:
            conf.write("[general]\ndrivers = wave\nfrequency = %d\nchannels = mono\nsample-type = int16\n"
                       "[wave]\nfile = %s\n" % (RATE, self.recording))
        self.started = time.monotonic()
        self.opened = None  # when the wave writer made its file: the recording's first sample
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen([os.path.join(os.path.abspath(bin_dir), "tarnvale"), "--seed", str(SEED)],
                                        cwd=os.path.join(work, "play"), env=self.env,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        self.window = self.wait_for(self.find_window, 60, "the game window did not appear")
        geometry = dict(re.findall(r"(\w+)=(\d+)", self.xdotool("getwindowgeometry", "--shell", self.window)))
        self.origin = (int(geometry["X"]), int(geometry["Y"]))
        if (int(geometry["WIDTH"]), int(geometry["HEIGHT"])) != (WIDTH, HEIGHT):
            raise Failed("the window is %sx%s, not %dx%d" % (geometry["WIDTH"], geometry["HEIGHT"], WIDTH, HEIGHT))

    def now(self):
        return time.monotonic() - self.started

    def poll(self):
        if self.opened is None and os.path.exists(self.recording):
            self.opened = self.now()
        with open(self.log_path, errors="replace") as log:
            log.seek(self.read_to)
            text = log.read()
        complete = text.rfind("\n") + 1
        self.read_to += complete
        self.lines += [(self.now(), line) for line in text[:complete].splitlines()]

    def wait_for(self, found, seconds, failure=None):
        deadline = time.monotonic() + seconds
        while True:
            self.poll()
            result = found()
            if result:
                return result
            if time.monotonic() > deadline or self.process.poll() is not None:
                if failure:
                    raise Failed(failure)
                return None
            time.sleep(0.02)

    def line_after(self, start, pattern):
        """The first line from index `start` on that matches: (index, time, match)."""
        for index in range(start, len(self.lines)):
            found = re.search(pattern, self.lines[index][1])
            if found:
                return index, self.lines[index][0], found
        return None

    def wait_line(self, start, pattern, seconds, failure=None):
        return self.wait_for(lambda: self.line_after(start, pattern), seconds, failure)

    def xdotool(self, *args):
        return subprocess.run(["xdotool"] + list(args), env=self.env, capture_output=True, text=True).stdout

    def find_window(self):
        return self.xdotool("search", "--name", "^Tarnvale$").split("\n")[0]

    def click_pixel(self, px, py):
        self.xdotool("mousemove", "--window", self.window, str(int(px)), str(int(py)))
        time.sleep(0.15)
        self.xdotool("click", "1")

    def click(self, point, what=None):
        if what:
            self.mark(what)
        self.click_pixel((point[0] + 1) * WIDTH / 2, (1 - point[1]) * HEIGHT / 2)

    def mark(self, what, at=None):
        self.marks.append((self.now() if at is None else at, what))

    def picture(self):
        """The window's pixels: bytes of RGB rows."""
        ppm = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % ((WIDTH, HEIGHT) + self.origin),
                              "+repage", "-depth", "8", "ppm:-"], env=self.env, capture_output=True).stdout
        header = re.match(rb"P6\s+%d\s+%d\s+255\s" % (WIDTH, HEIGHT), ppm)
        if not header:
            raise Failed("no picture of the window")
        return ppm[header.end():]

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        self.log.close()
        self.xvfb.kill()
        self.xvfb.wait()


def hinted_pair(game):
    """The centres of the two stones the hint's glow rings, from pictures of the window over
    half a second (the glow pulses twice a second): the pixels of the glow's colour when it is at
    its fullest, in two clusters."""
    points = set()
    for _ in range(4):
        shot = game.picture()
        for y in range(150, HEIGHT, 2):  # below the score
            for x in range(0, WIDTH, 2):
                r, g, b = shot[3 * (y * WIDTH + x):3 * (y * WIDTH + x) + 3]
                if r > 220 and b > 220 and g < 60:
                    points.add((x, y))
    points = sorted(points)
    if len(points) < 20:
        return None

    def farthest_from(p):
        return max(points, key=lambda q: (q[0] - p[0]) ** 2 + (q[1] - p[1]) ** 2)

    # Two means, from the two points farthest apart: each ring's middle is its stone's.
    one = farthest_from(points[0])
    centres = [one, farthest_from(one)]
    for _ in range(10):
        groups = ([], [])
        for p in points:
            d = [(p[0] - c[0]) ** 2 + (p[1] - c[1]) ** 2 for c in centres]
            groups[d[1] < d[0]].append(p)
        if not all(groups):
            return None
        centres = [(sum(p[0] for p in g) / len(g), sum(p[1] for p in g) / len(g)) for g in groups]
    return centres


def take_back(game):
    """Esc, when a stone is selected: without one it would pause."""
    judged = [line for _, line in game.lines if re.search(r"INFO:Selected |Dist>maxSize| cancelled$", line)]
    if judged and "Selected" in judged[-1]:
        before = len(game.lines)
        game.xdotool("key", "--window", game.window, "Escape")
        game.wait_line(before, r" cancelled$", 2)


def swap(game, point):
    """Clicks the second stone of a swap: "stood", "rejected" or None (nothing judged)."""
    before = len(game.lines)
    game.click_pixel(*point)
    judged = game.wait_line(before, r"Dist>maxSize.*=0$", 2)
    if not judged:
        take_back(game)
        return None, None
    scored = game.wait_line(before, r"INFO:Group of \d+ scores [1-9]", 0.6)
    return ("stood" if scored else "rejected"), judged[1]


def note_cascade(game, heard):
    """Marks the first cascade: the groups that the stones a burst sets falling make score two,
    three ... times."""
    cascade = game.line_after(0, r"INFO:Group of .*\(x([2-9])\)")
    if not cascade or "cascade" in heard:
        return
    game.mark("cascade x" + cascade[2].group(1), cascade[1])
    heard.add("cascade")
    # The swap it came from, when that was not the first to stand.
    swaps = [t for t, line in game.lines[:cascade[0]] if re.search(r"Dist>maxSize.*=0$", line)]
    if swaps and all(abs(t - swaps[-1]) > 0.01 for t, _ in game.marks):
        game.mark("swap stands, burst", swaps[-1])


def play(game):
    game.wait_for(lambda: game.opened is not None, 30, "the sound device never opened")
    time.sleep(2.0)  # the start screen's music
    game.click(NEW_GAME, "New game: click, field music")
    game.wait_line(0, r"Stone5 position:", 60, "the field did not start")
    heard = set()
    searched = 0
    while True:
        note_cascade(game, heard)
        if "stood" in heard and "cascade" in heard:
            break
        hint = game.wait_line(searched, r"INFO:Hint: (\S+) with (\S+)|INFO:Game over", 20)
        if not hint or "over" in hint[2].group(0):
            break
        searched = hint[0] + 1
        if "hint" not in heard:
            game.mark("hint", hint[1])
            heard.add("hint")
        time.sleep(0.3)
        pair = hinted_pair(game)
        if not pair:
            continue
        # Each stone clicked once to learn which is where, the second left selected.
        names = []
        for point in pair:
            take_back(game)
            before = len(game.lines)
            game.click_pixel(*point)
            selected = game.wait_line(before, r"INFO:Selected (\S+)", 2)
            names.append(selected[2].group(1) if selected else None)
            if selected and "select" not in heard:
                game.mark("select", selected[1])
                heard.add("select")
        if set(names) != set(hint[2].groups()):
            take_back(game)
            continue
        pair.reverse()  # the selected one first
        if "rejected" not in heard:
            # The stone on the other side: its swap rarely makes a group.
            outcome, at = swap(game, (2 * pair[0][0] - pair[1][0], 2 * pair[0][1] - pair[1][1]))
            if outcome == "rejected":
                game.mark("swap rejected", at)
                heard.add("rejected")
            if outcome != "stood":
                before = len(game.lines)
                game.click_pixel(*pair[0])
                if not game.wait_line(before, r"INFO:Selected ", 2):
                    continue
        else:
            outcome = None
        if outcome != "stood":
            outcome, at = swap(game, pair[1])
        if outcome != "stood":
            continue
        if "stood" not in heard:
            game.mark("swap stands, burst", at)
            heard.add("stood")
        searched = len(game.lines)
    note_cascade(game, heard)
    level = game.line_after(0, r"INFO:Level 2:")
    if level:
        game.mark("level 2", level[1])
    over = game.wait_line(0, r"INFO:Game over", 180, "the game did not end")
    game.mark("game over, best score", over[1])
    time.sleep(2.5)
    game.click(OVER_MENU, "Menu: click, menu music")
    time.sleep(2.5)
    game.click(QUIT, "Quit")
    game.wait_for(lambda: game.process.poll() is not None, 20, "the game did not quit")
    if game.process.returncode != 0:
        raise Failed("the game exited with %d" % game.process.returncode)
    missing = [what for what, done in (("a rejected swap", "rejected" in heard), ("a standing swap", "stood" in heard),
                                       ("a cascade", "cascade" in heard), ("the level", level)) if not done]
    return missing


def read_samples(path):
    """The samples of the wave writer's file (WAVE_FORMAT_EXTENSIBLE, which Python's wave module
    does not read), 16-bit mono as asked for."""
    data = open(path, "rb").read()
    at, shape, samples = 12, None, None
    while at + 8 <= len(data):
        kind, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        body = data[at + 8:at + 8 + size]
        if kind == b"fmt ":
            shape = struct.unpack("<HHIIHH", body[:16])
        elif kind == b"data":
            samples = body
        at += 8 + size + (size & 1)
    if data[:4] != b"RIFF" or not shape or samples is None or shape[1] != 1 or shape[5] != 16:
        raise Failed("the recording is no 16-bit mono WAV file")
    return list(struct.unpack("<%dh" % (len(samples) // 2), samples[:len(samples) // 2 * 2]))


def trimmed(samples, marks, opened):
    """From a little before the first sound to a little after the last, a long wait for the end
    between two events cut short (the field's music and the refill's own bursts go on alike), and
    the marks in seconds of the result."""
    loud = [i for i in range(0, len(samples), 64) if abs(samples[i]) > 200]
    if not loud:
        raise Failed("the recording is silent")
    first = max(0, loud[0] - RATE // 5)
    last = min(len(samples), loud[-1] + RATE // 5)
    samples = samples[first:last]
    marks = [(first / RATE, "menu music")] + [(t - opened, what) for t, what in marks]
    marks = [(max(0.0, t - first / RATE), what) for t, what in marks]
    kept, result, at, removed = [], [], 0, 0  # `removed`: source samples left out so far
    for (t, what), (following, _) in zip(marks, marks[1:] + [(len(samples) / RATE, "")]):
        result.append((t - removed / RATE, what))
        if following - t <= MOST_BETWEEN_EVENTS:
            continue
        cut_from, cut_to = int((t + KEPT_AROUND_A_CUT) * RATE), int((following - KEPT_AROUND_A_CUT) * RATE)
        kept += samples[at:cut_from]
        fade = RATE // 10
        for i in range(fade):  # a short cross-fade, so that the cut does not click
            share = i / fade
            kept[i - fade] = int(kept[i - fade] * (1 - share) + samples[cut_to + i] * share)
        at = cut_to + fade
        removed += at - cut_from
        result.append((len(kept) / RATE, "(%.0f s cut)" % ((cut_to - cut_from) / RATE)))
    kept += samples[at:]
    return kept, result


def waveform(samples, marks, png):
    """A picture of the waveform with the events marked above it, drawn as a PPM and labelled by
    ImageMagick, each label on the first row where it does not run into another."""
    width, height = 800, 240
    seconds = len(samples) / RATE
    labels, ends = [], []  # (x, row, text); per row, where its last label ends
    for t, what in marks:
        text_width = int(len(what) * 6.5) + 8  # DejaVu Sans at 11 points
        x = min(int(t / seconds * width) + 3, width - text_width)
        row = next((r for r, end in enumerate(ends) if x > end), len(ends))
        ends[row:row + 1] = [x + text_width]
        labels.append((x, row, what))
    top = 12 + 15 * len(ends)
    background, wave_colour, line_colour = (16, 20, 31), (255, 208, 96), (90, 96, 116)
    pixels = bytearray(bytes(background) * (width * height))

    def put(x, y, colour):
        pixels[3 * (y * width + x):3 * (y * width + x) + 3] = bytes(colour)

    middle, half = (top + height) // 2, (height - top) // 2 - 4
    for t, _ in marks:
        for y in range(top - 6, height):
            put(min(width - 1, int(t / seconds * width)), y, line_colour)
    per_column = max(1, len(samples) // width)
    for x in range(width):
        piece = samples[x * per_column:(x + 1) * per_column] or [0]
        high, low = max(piece) / 32768, min(piece) / 32768
        for y in range(middle - int(high * half), middle - int(low * half) + 1):
            put(x, y, wave_colour)
    ppm = png + ".ppm"
    with open(ppm, "wb") as out:
        out.write(b"P6 %d %d 255\n" % (width, height) + bytes(pixels))
    command = ["convert", ppm, "-font", "DejaVu-Sans", "-pointsize", "11", "-fill", "#c8ccd8"]
    for x, row, what in labels:
        command += ["-annotate", "+%d+%d" % (x, 14 + 15 * row), what]
    subprocess.run(command + [png], check=True)
    os.remove(ppm)


def readme(marks, seconds, path):
    lines = ["# The game's sound, recorded", "",
             "`recording.wav` is %.0f seconds of a whole game as OpenAL Soft's wave writer recorded it" % seconds,
             "(%d Hz, mono), played under Xvfb from the start screen to the game over and back to the" % RATE,
             "start screen with real clicks; `recording.png` is its waveform with the events marked.",
             "Both are made again by `tools/record-sound.sh`, which plays the shipped data changed only",
             "so that the game is short: the hint after 2 s (in a colour the script finds the hinted",
             "stones by), the first level at 3 points, five kinds of stone and the game-over line low.",
             "A wait of more than %g s between two events is cut to %g s on either side." % (
                 MOST_BETWEEN_EVENTS, KEPT_AROUND_A_CUT), "",
             "![The waveform of the recording, the events marked](recording.png)", "",
             "| At | Heard |", "|---|---|"]
    lines += ["| %.1f s | %s |" % (t, what) for t, what in marks]
    lines += ["", "The music goes on under the effects: the menu's loop on the start screen, the field's from",
              "New game to the game over, the menu's again after Menu. The short peaks between the marked",
              "events are the bursts of groups the refill makes by itself, which score nothing. The swap's",
              "sound starts under its burst; the game over and the new best score sound together. Before",
              "each swap the script selects both of the hinted stones to tell them apart (only the first",
              "selection is marked).", ""]
    with open(path, "w") as out:
        out.write("\n".join(lines))


def prepared_folder(work):
    """The shipped data in `work`/play, changed for a short game."""
    play_dir = os.path.join(work, "play")
    os.makedirs(play_dir)
    for folder in ("cfg", "res"):
        shutil.copytree(folder, os.path.join(play_dir, folder))
    scene_path = os.path.join(play_dir, "res/game/game.scn")
    scene = open(scene_path).read()
    for old, new in SCENE_CHANGES:
        if scene.count(old) != 1:
            raise Failed("the shipped scene has no single \"%s\" to change" % old.strip())
        scene = scene.replace(old, new)
    open(scene_path, "w").write(scene)


def write(game, out):
    samples, marks = trimmed(read_samples(game.recording), sorted(game.marks), game.opened)
    os.makedirs(out, exist_ok=True)
    with wave.open(os.path.join(out, "recording.wav"), "wb") as recording:
        recording.setnchannels(1)
        recording.setsampwidth(2)
        recording.setframerate(RATE)
        recording.writeframes(struct.pack("<%dh" % len(samples), *samples))
    waveform(samples, marks, os.path.join(out, "recording.png"))
    readme(marks, len(samples) / RATE, os.path.join(out, "README.md"))
    for t, what in marks:
        print("%6.2f s  %s" % (t, what))


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: record-sound.py BIN_DIR [OUT_DIR]")
    out = sys.argv[2] if len(sys.argv) == 3 else "docs/sound"
    # A game's course depends on the machine's timing: the first game in which every event is
    # heard is kept.
    for attempt in range(1, GAMES + 1):
        work = tempfile.mkdtemp(prefix="tarnvale-record-")
        game = None
        try:
            prepared_folder(work)
            game = Game(sys.argv[1], work)
            missing = play(game)
            if not missing:
                write(game, out)
                return
            print("record-sound: game %d of %d: not heard: %s" % (attempt, GAMES, ", ".join(missing)), file=sys.stderr)
        except Failed as failure:
            print("record-sound: %s" % failure, file=sys.stderr)
            if game:
                print("--- game output ---\n" + "\n".join(line for _, line in game.lines[-30:]), file=sys.stderr)
            sys.exit(1)
        finally:
            if game:
                game.close()
            shutil.rmtree(work, ignore_errors=True)
    sys.exit("record-sound: no game of %d had every event" % GAMES)


if __name__ == "__main__":
    main()
