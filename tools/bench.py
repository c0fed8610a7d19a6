#!/usr/bin/env python3
"""Runs every benchmark beside its peer and prints one Markdown table of the figures.

Called by tools/bench.sh once the benchmarks are built: bench.py BIN_DIR [--check]. Each figure
comes from one run of a benchmark program that measures ours and its peer in the same process,
with repetitions in random order; the medians are compared. With --check the exit status is 1
when a figure misses its target (or could not be measured).

A new figure is a function below that takes the results and returns rows, listed in FIGURES.
"""

import datetime
import json
import os
import platform
import random
import re
import statistics
import subprocess
import sys
import tempfile

XVFB = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -noreset"]


class Bench:
    """Runs the benchmark programs of one build and keeps their medians."""

    def __init__(self, bin_dir):
        self.bin_dir = bin_dir
        self.failures = []

    def run(self, program, pattern, repetitions, display=False, env=None, min_time=None):
        """Median of every benchmark of `program` matching `pattern`, by run name. With
        `display` it runs under a private X server of its own (the game's programs start one
        themselves)."""
        path = os.path.join(self.bin_dir, program)
        if not os.path.exists(path):
            self.failures.append(program + " was not built")
            return {}
        with tempfile.NamedTemporaryFile(suffix=".json") as out:
            command = [path, "--benchmark_filter=" + pattern, "--benchmark_out_format=json",
                       "--benchmark_out=" + out.name]
            if repetitions > 1:
                command += ["--benchmark_repetitions=%d" % repetitions,
                            "--benchmark_enable_random_interleaving=true",
                            "--benchmark_report_aggregates_only=true"]
            if min_time:
                command.append("--benchmark_min_time=%g" % min_time)
            if display:
                command = XVFB + command
            done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                  env=dict(os.environ, **(env or {})), text=True)
            try:
                report = json.load(open(out.name))
            except ValueError:
                report = {"benchmarks": []}
        # Named without the suffixes fixed settings add ("/iterations:1", "/manual_time").
        medians = {re.sub(r"(/iterations:\d+|/manual_time|/real_time)+$", "", b["run_name"]): b
                   for b in report["benchmarks"]
                   if b.get("aggregate_name") == "median" or (repetitions == 1 and b.get("run_type") == "iteration")}
        if done.returncode != 0 or not medians:
            self.failures.append("%s %s: exit %d %s" % (program, pattern, done.returncode,
                                                         done.stderr.strip()[-300:]))
        for b in report["benchmarks"]:
            if b.get("error_occurred"):
                self.failures.append("%s: %s" % (b["name"], b.get("error_message", "")))
        return medians

    def first_frames(self, programs, runs):
        """Median milliseconds to the first drawn frame of each program, runs interleaved."""
        harness = os.path.join(self.bin_dir, "scene_first_frame")
        times = {name: [] for name in programs}
        for _ in range(runs):
            order = list(programs.items())
            random.shuffle(order)
            for name, command in order:
                done = subprocess.run(XVFB + [harness] + command, capture_output=True, text=True)
                found = re.search(r"first frame after (\d+) ms", done.stdout)
                if found:
                    times[name].append(float(found.group(1)))
                else:
                    self.failures.append("first frame of %s: %s" % (name, done.stdout.strip()[-200:]))
        return {name: statistics.median(t) for name, t in times.items() if t}


def row(figure, ours, peer, ratio, target, met):
    return {"figure": figure, "ours": ours, "peer": peer, "ratio": ratio, "target": target,
            "met": None if met is None else bool(met)}


def missing(figure, target):
    return row(figure, "not measured", "", None, target, False)


def number(value):
    if value >= 100:
        return "%.0f" % value
    if value >= 10:
        return "%.1f" % value
    return "%.3g" % value


# ---- the figures ---------------------------------------------------------------------------


def configuration(bench):
    r = bench.run("config_bench", "Load|Save", 9)
    rows = []
    ours, peer = r.get("TextConfigLoad"), r.get("InihLoad")
    figure = "Configuration load, 1.37 MB, vs inih into std::map"
    if ours and peer:
        a, b = ours["bytes_per_second"] / 1e6, peer["bytes_per_second"] / 1e6
        rows.append(row(figure, number(a) + " MB/s", number(b) + " MB/s", a / b, "at least 1.5 x", a / b >= 1.5))
    else:
        rows.append(missing(figure, "at least 1.5 x"))
    if "TextConfigSave" in r:
        rows.append(row("Configuration save, 1.37 MB", number(r["TextConfigSave"]["bytes_per_second"] / 1e6) + " MB/s",
                        "", None, "(recorded)", None))
    return rows


def cpu_ratio(bench_results, figure, ours_name, peer_name, unit, scale, most):
    ours, peer = bench_results.get(ours_name), bench_results.get(peer_name)
    target = "at most %g x" % most
    if not (ours and peer):
        return missing(figure, target)
    a, b = ours["cpu_time"] * scale, peer["cpu_time"] * scale
    return row(figure, number(a) + " " + unit, number(b) + " " + unit, a / b, target, a / b <= most)


def time_scale(entry, unit):
    # Google Benchmark reports cpu_time in the benchmark's own unit.
    to_seconds = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    return to_seconds[entry["time_unit"]] / to_seconds[unit]


def signals(bench):
    r = bench.run("signals_bench", "BM_rise_signal/1$|BM_sigcpp2_emit", 9)
    ours = r.get("BM_rise_signal/1")
    return [cpu_ratio(r, "`rise_signal` to 1 slot among 10,000 others vs a libsigc++ 2 emit",
                      "BM_rise_signal/1", "BM_sigcpp2_emit", "ns", time_scale(ours, "ns") if ours else 1, 10)]


def png(bench):
    # Nine runs: the small picture's ratio flapped about its target with five.
    r = bench.run("png_loader_bench", ".", 9, min_time=0.2)
    rows = []
    for size in (64, 1024):
        ours = r.get("BM_png_loader_into_surface/%d" % size)
        scale = time_scale(ours, "us") if ours else 1
        rows.append(cpu_ratio(r, "PNG %d x %d into a surface vs libpng's simplified API" % (size, size),
                              "BM_png_loader_into_surface/%d" % size, "BM_libpng_simplified_to_rgba/%d" % size,
                              "µs", scale, 1.2))
    return rows


def sprites(bench):
    r = bench.run("video_bench", "Sprites", 3, display=True)
    rows = []
    for surfaces in (1, 100):
        for count in (1000, 10000, 50000):
            figure = "Sprites per second vs SFML 2.5, %s sprites from %d surface%s" % (
                format(count, ","), surfaces, "s" if surfaces > 1 else "")
            name = "/sprites:%d/surfaces:%d" % (count, surfaces)
            ours, peer = r.get("BM_DriverSprites" + name), r.get("BM_SfmlSprites" + name)
            if not (ours and peer):
                rows.append(missing(figure, "at least 1 x"))
                continue
            a, b = ours["fps"] * count, peer["fps"] * count
            rows.append(row(figure, number(a / 1e3) + " k/s", number(b / 1e3) + " k/s", a / b, "at least 1 x", a / b >= 1))
    return rows


def text(bench):
    # Nine runs: the cold cache's ratio moved by a tenth between runs of five.
    r = bench.run("ttf_bench", "render_warm|render_cold|load_char", 9, min_time=0.1)
    rows = []
    for kind, label in (("render_warm", "glyph cache filled"), ("render_cold", "glyph cache empty")):
        figure = "Text per glyph vs FreeType `FT_Load_Char(FT_LOAD_RENDER)`, %s (worst size)" % label
        worst = None
        for name, ours in r.items():
            if not name.startswith("ttf_bench/" + kind + "/"):
                continue
            peer = r.get("freetype/load_char/" + name.split("/", 2)[2])
            if peer and (worst is None or ours["per_glyph"] / peer["per_glyph"] > worst[0]):
                worst = (ours["per_glyph"] / peer["per_glyph"], ours["per_glyph"], peer["per_glyph"])
        if worst is None:
            rows.append(missing(figure, "at most 1.5 x"))
        else:
            ratio, a, b = worst
            rows.append(row(figure, number(a * 1e6) + " µs", number(b * 1e6) + " µs", ratio, "at most 1.5 x", ratio <= 1.5))
    return rows


def game_frame(bench):
    # Five runs: the per-stone figure sits near its target, and three flapped around it.
    r = bench.run("game_bench", "BM_MovingFrame/1000/0", 5)
    entry = r.get("BM_MovingFrame/1000/0")
    figure = "Game frame at 1,000 moving stones (step and game) vs a bare Box2D step"
    per_stone_figure = "Game work besides the step, per moving stone per frame"
    if not entry:
        return [missing(figure, "at most 1.5 x"), missing(per_stone_figure, "at most 1 µs")]
    ours = entry["moving_step_us"] + entry["moving_game_us"]
    peer = entry["moving_bare_step_us"]
    per_stone = entry["moving_game_us_per_stone"]
    return [row(figure, number(ours) + " µs", number(peer) + " µs", ours / peer, "at most 1.5 x", ours / peer <= 1.5),
            row(per_stone_figure, number(per_stone) + " µs", "", None, "at most 1 µs", per_stone <= 1)]


def in_own_processes(bench, program, cases, runs, env):
    """Each case (name: benchmark and extra environment) in a process of its own, `runs` times in
    turn, in a fresh random order each time: by case, the median of each counter over the
    processes. A process that has run other cases before carries their scenes and caches, which
    would count against the case."""
    taken = {case: [] for case in cases}
    for _ in range(runs):
        order = list(cases.items())
        random.shuffle(order)
        for case, (name, extra) in order:
            entry = bench.run(program, name + "/", 1, env=dict(env, **extra)).get(name)
            if entry:
                taken[case].append(entry)
    return {case: {key: statistics.median(entry[key] for entry in entries)
                   for key, value in entries[0].items() if isinstance(value, (int, float))}
            for case, entries in taken.items() if len(entries) == runs}


def field(bench):
    # Mesa's no-op back end: the CPU figures are the engine's and the GL front end's, not the
    # software rasteriser's, which a graphics card does.
    # Each case fills and settles a field of its own, in five processes of its own: the median of
    # the five (counts and CPU alike), since the same field's CPU figure ranged from 71 to 303 µs
    # between runs on the idle machine, and repetitions in one process kept each earlier field.
    names = ["BM_ShippedField/50", "BM_ShippedField/200", "BM_ShippedField/0", "BM_StartScreen"]
    r = in_own_processes(bench, "field_bench", {name: (name, {}) for name in names}, 5, {"GALLIUM_NOOP": "1"})
    rows = []

    def stones(name):
        # As many as were placed: the emitter's first batch may hold more than asked for.
        return "%d stones" % r[name]["stones"] if name in r else name.split("/")[-1] + " stones"

    fields = [("BM_ShippedField/50", stones("BM_ShippedField/50")),
              ("BM_ShippedField/200", stones("BM_ShippedField/200")), ("BM_ShippedField/0", "full")]
    for name, label in fields:
        entry = r.get(name)
        figure = "Shipped field settled, %s: texture binds per frame vs distinct textures" % label
        if not entry:
            rows.append(missing(figure, "textures + 5"))
            continue
        binds, textures = entry["binds"], entry["textures"]
        rows.append(row(figure, number(binds), number(textures), binds / textures if textures else None,
                        "textures + 5", binds <= textures + 5))
    full = r.get("BM_ShippedField/0")
    figure = "Shipped field full and settled: CPU per frame outside the rasteriser"
    rows.append(row(figure, number(full["frame_us"]) + " µs", "", None, "at most 300 µs", full["frame_us"] <= 300)
                if full else missing(figure, "at most 300 µs"))
    cases = fields + [("BM_StartScreen", "start screen")]
    figure = "Heap allocations per frame: scene walk, and `new` in `_flip` (most of %s)" % ", ".join(
        label for _, label in cases)
    if all(name in r for name, _ in cases):
        counts = {label: (r[name]["draw_news"], r[name]["draw_mallocs"], r[name]["flip_news"]) for name, label in cases}
        worst = max(counts, key=lambda label: sum(counts[label]))
        most = sum(counts[worst])
        detail = "" if most == 0 else " (%s: %s `new`, %s `malloc` in the walk, %s `new` in `_flip`)" % (
            (worst,) + tuple(number(c) for c in counts[worst]))
        rows.append(row(figure, number(most) + detail, "", None, "0", most == 0))
    else:
        rows.append(missing(figure, "0"))
    return rows


def window_mode(bench):
    # The shipped window may be resized: at the configured size its frames must cost what the
    # fixed window's do. Separate processes in random order, the median of seven each: the same
    # field's CPU figure moves by a third between processes.
    figure = ("Shipped field full and settled, CPU per frame at the configured size: resizable window "
              "(shipped) vs fixed")
    r = in_own_processes(bench, "field_bench",
                         {mode: ("BM_ShippedField/0", {"FIELD_BENCH_RESIZABLE": mode}) for mode in ("yes", "no")},
                         7, {"GALLIUM_NOOP": "1"})
    if len(r) < 2:
        return [missing(figure, "at most 1.1 x")]
    resizable, fixed = r["yes"]["frame_us"], r["no"]["frame_us"]
    return [row(figure, number(resizable) + " µs", number(fixed) + " µs", resizable / fixed, "at most 1.1 x",
                resizable / fixed <= 1.1)]


def teardown(bench):
    # Fifteen runs: a cold run's time is mostly cache misses, which other processes' work varies;
    # with nine the sprites' ratio ranged from 4.7 to 5.4 between runs of one build.
    r = bench.run("teardown_bench", "cold:1", 15)
    rows = []
    for kind, label in ((0, "sprites on one surface"), (1, "surfaces with a sprite"), (2, "particle sets")):
        figure = "`_deinit` of 40,000 vs 10,000 %s (caches cold)" % label
        big = r.get("BM_Deinit/kind:%d/n:40000/cold:1" % kind)
        small = r.get("BM_Deinit/kind:%d/n:10000/cold:1" % kind)
        if not (big and small):
            rows.append(missing(figure, "at most 5 x"))
            continue
        ratio = big["ms"] / small["ms"]
        rows.append(row(figure, number(big["ms"]) + " ms", number(small["ms"]) + " ms", ratio, "at most 5 x", ratio <= 5))
    return rows


def start_up(bench):
    game = os.path.join(bench.bin_dir, "tarnvale")
    bare = os.path.join(bench.bin_dir, "scene_bare_window")
    # Fifteen of each: the window's making alone varies by 50 ms from run to run, and with nine
    # the ratio ranged from 1.40 to 1.64 between runs of one build.
    frames = bench.first_frames({"game": [game], "bare": [bare]}, 15)
    figure = "Process start to the start screen's first frame vs a bare GLFW window's"
    if len(frames) < 2:
        return [missing(figure, "at most 1.5 x")]
    ratio = frames["game"] / frames["bare"]
    return [row(figure, number(frames["game"]) + " ms", number(frames["bare"]) + " ms", ratio, "at most 1.5 x",
                ratio <= 1.5)]


def reload_on_save(bench):
    """A style set saved under --watch, to the first frame that shows it, against a restart."""
    figure = "Style set saved to the first frame showing it (`--watch`) vs process start to the first frame"
    game = os.path.join(bench.bin_dir, "tarnvale")
    done = subprocess.run(XVFB + [os.path.join(bench.bin_dir, "game_reload_frame"), game, "15"],
                          capture_output=True, text=True)
    found = re.search(r"median save to frame (\d+) ms", done.stdout)
    restart = bench.first_frames({"restart": [game]}, 5).get("restart")
    if not found or not restart:
        bench.failures.append("reload on save: %s" % done.stdout.strip()[-200:])
        return [missing(figure, "at most 200 ms")]
    ours = float(found.group(1))
    return [row(figure, number(ours) + " ms", number(restart) + " ms", ours / restart, "at most 200 ms",
                ours <= 200)]


def sound(bench):
    # OpenAL Soft's null back end mixes as for a device and throws the mix away.
    r = bench.run("sound_bench", "Mixing/16|SignalToQueuedSamples|BareSourcePlay", 3)
    rows = []
    figure = "Sound: 16 effects mixed at once, the whole process's share of a core, vs the same sources with bare OpenAL"
    ours, peer = r.get("BM_DriverMixing/16"), r.get("BM_BareOpenALMixing/16")
    if ours and peer:
        a, b = ours["core_percent"], peer["core_percent"]
        rows.append(row(figure, number(a) + " %", number(b) + " %", a / b, "under 2 % of a core", a < 2))
    else:
        rows.append(missing(figure, "under 2 % of a core"))
    figure = "Sound: a signal to its effect's samples queued (wall time) vs starting the effect on a bare OpenAL source"
    ours, peer = r.get("BM_SignalToQueuedSamples"), r.get("BM_BareSourcePlay")
    if ours and peer:
        a, b = ours["real_time"] * time_scale(ours, "us"), peer["real_time"] * time_scale(peer, "us")
        rows.append(row(figure, number(a) + " µs", number(b) + " µs", a / b, "within one frame (16.7 ms)", a <= 16667))
    else:
        rows.append(missing(figure, "within one frame (16.7 ms)"))
    return rows


def start_up_check(bench):
    """CPU of the checker's checks in the process a start forks for them, against tarnvale-check
    as a program; run from the top of the repository (the shipped data)."""
    figure = "Start-up check of the shipped data, CPU"
    r = bench.run("startup_check_bench", "BM_", 9)
    ours, peer = r.get("BM_StartUpCheck"), r.get("BM_CheckerProgram")
    if not ours or not peer:
        return [missing(figure, "at most 50 ms")]
    a, b = ours["child_cpu_ms"], peer["child_cpu_ms"]
    return [row(figure, number(a) + " ms", number(b) + " ms", a / b, "at most 50 ms", a <= 50)]


FIGURES = [configuration, signals, png, sprites, text, game_frame, field, window_mode, teardown, start_up,
           reload_on_save, start_up_check, sound]


# ---- the table -----------------------------------------------------------------------------


def machine():
    model = ""
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    release = ""
    try:
        release = re.search(r'PRETTY_NAME="([^"]*)"', open("/etc/os-release").read()).group(1)
    except (OSError, AttributeError):
        pass
    return "%s, %d cores, %s, %s" % (model, os.cpu_count() or 0, release, platform.release())


def table(rows):
    lines = ["| Figure | Ours | Peer | Ratio | Target | Met |", "|---|---|---|---|---|---|"]
    for r in rows:
        ratio = "" if r["ratio"] is None else "%.2f" % r["ratio"]
        met = "—" if r["met"] is None else ("yes" if r["met"] else "**no**")
        lines.append("| %s | %s | %s | %s | %s | %s |" % (r["figure"], r["ours"], r["peer"] or "—", ratio or "—",
                                                          r["target"], met))
    return "\n".join(lines)


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    check = "--check" in sys.argv[1:]
    # --only=NAME[,NAME]: just those figures (the names of FIGURES), while working on them.
    only = [a.split("=", 1)[1].split(",") for a in sys.argv[1:] if a.startswith("--only=")]
    figures = [f for f in FIGURES if not only or f.__name__ in only[-1]]
    if len(args) != 1 or not figures:
        sys.exit("usage: bench.py BIN_DIR [--check] [--only=%s]" % ",".join(f.__name__ for f in FIGURES))
    bench = Bench(args[0])
    started = datetime.datetime.now(datetime.timezone.utc)
    load_before = os.getloadavg()[0]
    rows = []
    for figure in figures:
        began = datetime.datetime.now()
        rows.extend(figure(bench))
        print("%s: %.0f s" % (figure.__name__, (datetime.datetime.now() - began).total_seconds()), file=sys.stderr)
    finished = datetime.datetime.now(datetime.timezone.utc)
    print("Measured %s to %s UTC on %s; load average %.1f before, %.1f after." % (
        started.strftime("%Y-%m-%d %H:%M"), finished.strftime("%H:%M"), machine(), load_before, os.getloadavg()[0]))
    print()
    print(table(rows))
    for failure in bench.failures:
        print("warning: " + failure, file=sys.stderr)
    if check and any(r["met"] is False for r in rows):
        sys.exit(1)


if __name__ == "__main__":
    main()
