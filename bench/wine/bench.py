#!/usr/bin/env python3
"""The benchmark under Wine: the real tamsel.exe against tiny programs of ours.

    bench.py BUILD_DIR [--runs N]

BUILD_DIR is the windows preset's build tree (build/windows), with the
programs of bench/wine built into BUILD_DIR/bench-wine. The Wine environment
is a private Xvfb display and Wine prefix of its own (e2e/wine_env.py) in
BUILD_DIR/bench-wine, stopped again at the end.

Three programs of ours measure, each printing one line per pair of
measurements taken in turns ("pair", measure, case, Tamsel, baseline):
  convert_bench  ConvertClipboard against the minimal converter
  paste_clock    hotkey to text in an edit control, Tamsel against the
                 minimal paster
  start_watch    start-up, quit and memory at rest, Tamsel against the
                 minimal tray program
This script prints one table: per measure and case the medians (for
information), the median difference, and the median and 90th percentile of
the pairs' ratios, against the goals. With --runs N it measures N times in
the same session and adds how much the medians moved between the runs.
"""
import argparse
import datetime
import os
import platform
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "e2e"))
import wine_env  # noqa: E402

SETTINGS_KEY = r"HKCU\Software\Tamsel"
START_ROUNDS = 51
PASTE_ROUNDS = 61
DEADLINE = 900  # seconds for one measuring program; the conversion takes longest
SMALL_TEXTS = ("4 bytes", "1 KiB")  # below 64 KiB the fixed cost is shown apart
# Rows whose baseline does not ask whether the clipboard holds text before
# opening it, as Tamsel and the other rows' baseline do: for information.
NO_QUESTIONS = ", baseline does not ask"

# The goals on the median ratio of the pairs.
GOALS = {"conversion": 1.2, "paste": 1.15, "start-up": 1.2, "quit": 1.2}
PRIVATE_BYTES_GOAL = 512  # KiB above the minimal tray program


class Pairs:
    """The pairs of one measure and case, in the order they were taken."""

    def __init__(self, measure, case):
        self.measure, self.case = measure, case
        self.tamsel, self.baseline = [], []

    def add(self, tamsel, baseline):
        self.tamsel.append(tamsel)
        self.baseline.append(baseline)

    def ratios(self):
        return sorted(t / b for t, b in zip(self.tamsel, self.baseline) if b > 0)

    def ratio(self):
        return statistics.median(self.ratios())

    def ratio_p90(self):
        ratios = self.ratios()
        return ratios[max(0, -(-9 * len(ratios) // 10) - 1)]  # nearest rank

    def difference(self):
        return statistics.median(t - b for t, b in zip(self.tamsel, self.baseline))

    def is_memory(self):
        return self.measure == "memory"


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Bench:
    def __init__(self, build):
        self.build = os.path.abspath(build)
        self.programs = os.path.join(self.build, "bench-wine")
        self.tamsel = os.path.join(self.build, "tamsel.exe")
        for exe in [self.tamsel] + [self.program(n) for n in
                                    ("convert_bench", "paste_clock", "start_watch")]:
            if not os.path.exists(exe):
                sys.exit(f"bench: {exe} is missing; build the windows preset first")
        self.env = None
        self.notes = []

    def program(self, name):
        return os.path.join(self.programs, name + ".exe")

    def wine(self, args, timeout=DEADLINE):
        result = subprocess.run(["wine", *args], env=self.env, stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=timeout, check=False)
        return result.returncode, result.stdout.decode("cp1251", "replace"), \
            result.stderr.decode("cp1251", "replace")

    def measure(self, name, *args):
        """Runs one measuring program; returns its pairs, in order, as
        {(measure, case): Pairs}."""
        code, output, errors = self.wine([self.program(name), *args])
        if code != 0:
            sys.exit(f"bench: {name} ended with {code}:\n{errors.strip()}")
        pairs = {}
        for line in output.splitlines():
            fields = line.rstrip("\r").split("\t")
            if fields[0] == "pair" and len(fields) == 5:
                key = (fields[1], fields[2])
                pairs.setdefault(key, Pairs(*key)).add(float(fields[3]), float(fields[4]))
            elif fields[0] == "note" and len(fields) == 3:
                self.notes.append(f"{fields[1]}: {fields[2]}")
        return pairs

    def run_once(self):
        tamsel = windows_path(self.tamsel)
        pairs = {}
        pairs.update(self.measure("convert_bench"))
        pairs.update(self.measure("paste_clock", str(PASTE_ROUNDS), tamsel,
                                  windows_path(self.program("minimal_paster"))))
        pairs.update(self.measure("start_watch", str(START_ROUNDS), tamsel,
                                  windows_path(self.program("minimal_tray"))))
        return pairs

    def start(self):
        home = self.programs
        wine_env.setup(home, helpers=os.path.join(self.build, "e2e-helpers"))
        self.env = dict(os.environ, **wine_env.read_state(wine_env.paths(home)["state"]))
        # Tamsel starts with its defaults: Alt+Insert pastes single-byte text.
        self.wine(["reg", "delete", SETTINGS_KEY, "/f"], timeout=60)

    def stop(self):
        wine_env.cleanup(self.programs)


# --- The table

def shown_time(ms):
    return f"{ms * 1000:.0f} us" if abs(ms) < 1 else f"{ms:.1f} ms"


def shown_value(pairs, value):
    return f"{value / 1024:.0f} KiB" if pairs.is_memory() else shown_time(value)


def goal_and_result(pairs):
    if pairs.measure == "memory":
        if pairs.case != "private bytes":
            return "-", "-"
        met = pairs.difference() / 1024 <= PRIVATE_BYTES_GOAL
        return f"+{PRIVATE_BYTES_GOAL} KiB", "met" if met else "NOT MET"
    goal = GOALS.get(pairs.measure)
    if pairs.measure == "conversion" and pairs.case.startswith(SMALL_TEXTS):
        return "-", "diff: fixed cost"
    if pairs.case.endswith(NO_QUESTIONS):
        return "-", "for information"
    if goal is None:
        return "-", "-"
    return f"{goal:.2f}x", "met" if pairs.ratio() <= goal else "NOT MET"


def print_table(pairs):
    header = ("measure", "case", "pairs", "Tamsel", "baseline", "diff", "ratio", "p90", "goal",
              "result")
    rows = [header]
    for p in pairs.values():
        goal, result = goal_and_result(p)
        diff = shown_value(p, p.difference())
        rows.append((p.measure, p.case, str(len(p.tamsel)),
                     shown_value(p, statistics.median(p.tamsel)),
                     shown_value(p, statistics.median(p.baseline)),
                     diff if diff.startswith("-") else "+" + diff,
                     f"{p.ratio():.2f}", f"{p.ratio_p90():.2f}", goal, result))
    widths = [max(len(row[i]) for row in rows) for i in range(len(header))]
    for row in rows:
        print("  ".join(cell.ljust(w) if i < 2 else cell.rjust(w)
                        for i, (cell, w) in enumerate(zip(row, widths))).rstrip())


def print_spread(runs):
    """How far the medians of the ratios and of the differences moved between
    the runs."""
    print(f"\nBetween the {len(runs)} runs (lowest to highest median):")
    for key, first in runs[0].items():
        ratios = [run[key].ratio() for run in runs if key in run]
        diffs = [run[key].difference() for run in runs if key in run]
        print(f"  {key[0]} {key[1]}: ratio {min(ratios):.2f} to {max(ratios):.2f}, "
              f"diff {shown_value(first, min(diffs))} to {shown_value(first, max(diffs))}")


def machine():
    model = "unknown processor"
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            model = next(line.split(":", 1)[1].strip() for line in f
                         if line.startswith("model name"))
    except (OSError, StopIteration):
        pass
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True,
                          check=False).stdout.strip()
    return f"{model}, {os.cpu_count()} cores, {platform.system()} {platform.release()}, {wine}"


def load():
    return " ".join(f"{x:.2f}" for x in os.getloadavg())


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("build", help="the windows preset's build tree, such as build/windows")
    parser.add_argument("--runs", type=int, default=1, help="measure this many times")
    args = parser.parse_args(argv[1:])
    bench = Bench(args.build)
    print(f"bench: {datetime.datetime.now():%Y-%m-%d %H:%M}, {machine()}")
    print(f"bench: load average at the start {load()}")
    runs = []
    bench.start()
    try:
        for i in range(args.runs):
            runs.append(bench.run_once())
            print(f"\nRun {i + 1} of {args.runs}, load average {load()}: "
                  "times are medians, diff the median of Tamsel - baseline per pair,\n"
                  "ratio and p90 the median and 90th percentile of Tamsel / baseline per pair.\n")
            print_table(runs[-1])
    finally:
        bench.stop()
    if len(runs) > 1:
        print_spread(runs)
    for note in dict.fromkeys(bench.notes):
        print(f"note: {note}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
