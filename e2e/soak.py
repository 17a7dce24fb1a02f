#!/usr/bin/env python3
"""A soak of the real tamsel.exe under Wine, run on demand (./soak.sh), never
by the test command: what a day of use does to a resident program.

    e2e/soak.py BUILD_DIR [--rounds N] [--seed N] [--most-failures N]

BUILD_DIR is a built windows preset (build/windows). The soak starts its own
Xvfb display and Wine prefix in BUILD_DIR/soak, as the test suite does in
BUILD_DIR, so both can run at once; logs go to BUILD_DIR/soak/artifacts.

With the default settings (paste hotkey Alt+Insert, the text stored with the
Russian locale), each round of ten:
- 30 pastes of rich contents, alternately into our paste target and into
  Wine's Notepad: rich text, HTML, Unicode text and the locale of Cyrillic and
  Latin text of 1 KiB to 1 MiB are copied, the user clicks into the editor and
  presses Alt+Insert; the editor must receive the whole text exactly once, and
  no key may be left down afterwards;
- 5 openings of the settings page from the tray menu, closed alternately with
  OK and «Отмена»;
- 20 activation toggles with a click on the tray icon, each seen in whether
  Tamsel holds Alt+Insert.
The benchmark's minimal paster (bench/wine/minimal_paster.cpp, on Alt+Home)
runs beside Tamsel as a reference: after Tamsel's pastes of a round it pastes
the same texts, in the same order, into the paste target. Under Wine any
paster's private bytes grow by about 1 KiB a paste, the minimal paster's as
much as Tamsel's; with texts of mixed sizes that shows in the 64 KiB steps in
which Wine's heap commits memory, and the two programs take a step a few
pastes apart. After each round the soak takes tamsel.exe's private bytes and
handle count and the reference's private bytes. Over the second half of the
rounds, tamsel.exe's private bytes may grow at most one heap step and a few
pages more than the reference's: in the first half Wine's heap may rise once
to a higher mark, where the order of the texts puts it, while a leak goes on
growing. From the first round to the last its handles may grow by a few.
Prints a line a round and a short report; exit code 1 on any failure. It
stops after 20 failures (--most-failures): a program that fails that often
fails always.
"""
import argparse
import os
import random
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import harness  # noqa: E402
import settings_page  # noqa: E402
import wine_env  # noqa: E402
from editor import Editor, click, start_notepad  # noqa: E402
from harness import START_DEADLINE, ScenarioFailure, check, wait_for  # noqa: E402
from paste_target import PasteTarget  # noqa: E402

ROUNDS = 10
PASTES_PER_ROUND = 30
OPENINGS_PER_ROUND = 5
TOGGLES_PER_ROUND = 20
SMALLEST, LARGEST = 1024, 1024 * 1024
PAGE = 4096
FEW_PAGES = 4
HEAP_STEP = 64 * 1024
FEW_HANDLES = 4
# Notepad takes some 6 s to take in 1 MiB on an idle machine.
PASTE_DEADLINE = 20
PASTE_DEADLINE_PER_MIB = 40
MOST_FAILURES = 20
ALT_INS = "0x1:0x2d"
ALT_HOME = "0x1:0x24"
REFERENCE_CLASS = "MinimalPaster"
RUSSIAN_LOCALE = 0x0419

CYRILLIC = ("Привет мир буфер обмена текст вставка без форматирования Съешь же ещё этих мягких "
            "французских булок да выпей чаю Ёлка ёжик Широкая электрификация южных губерний "
            "даст мощный толчок подъёму сельского хозяйства № «цитата» — тире").split()
LATIN = ("The quick brown fox jumps over the lazy dog plain text clipboard paste 2024 3.14 "
         "(ok) e-mail Pack my box with five dozen liquor jugs, semicolon; {braces} \\back").split()


# --- Rich contents, as a word processor copies them

def text_of_size(rng, size):
    """Lines of mixed Cyrillic and Latin words, exactly `size` bytes in
    Windows-1251, with Windows line breaks."""
    lines, length = [], 0
    while length < size:
        cyrillic_share = rng.random()
        words = [rng.choice(CYRILLIC if rng.random() < cyrillic_share else LATIN)
                 for _ in range(rng.randint(1, 16))]
        line = " ".join(words) + rng.choice([".", ",", "!", "?", ":", ""])
        length += len(line) + (2 if lines else 0)
        lines.append(line)
    text = "\r\n".join(lines)[:size]
    if text.endswith("\r"):  # a line break is never cut in half
        text = text[:-1] + "."
    return text


def rtf(text):
    """Rich text with the Cyrillic letters as Windows-1251 escapes and every
    other line in bold."""
    body = []
    for number, line in enumerate(text.split("\r\n")):
        escaped = "".join(f"\\{c}" if c in "\\{}" else c if ord(c) < 128
                          else f"\\'{c.encode('cp1251')[0]:02x}" for c in line)
        body.append(("{\\b " + escaped + "}" if number % 2 else escaped) + "\\par\r\n")
    return ("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}"
            "\\f0\\fs20 " + "".join(body) + "}").encode("ascii") + b"\0"


def html(text):
    """The HTML clipboard format: a header of byte offsets, then the page."""
    lines = (line.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
             for line in text.split("\r\n"))
    fragment = "".join(f"<p><b>{line}</b></p>" if n % 3 == 0 else f"<p>{line}</p>"
                       for n, line in enumerate(lines)).encode("utf-8")
    header = ("Version:0.9\r\nStartHTML:{:010d}\r\nEndHTML:{:010d}\r\n"
              "StartFragment:{:010d}\r\nEndFragment:{:010d}\r\n")
    before = b"<html><body><!--StartFragment-->"
    after = b"<!--EndFragment--></body></html>"
    start = len(header.format(0, 0, 0, 0).encode("ascii"))
    offsets = (start, start + len(before) + len(fragment) + len(after),
               start + len(before), start + len(before) + len(fragment))
    return header.format(*offsets).encode("ascii") + before + fragment + after + b"\0"


def copy_rich(env, text):
    """Puts the text on the clipboard in the formats a word processor stores."""
    env.put_clipboard({
        "Rich Text Format": rtf(text),
        "HTML Format": html(text),
        "13": text.encode("utf-16-le") + b"\0\0",  # CF_UNICODETEXT
        "16": struct.pack("<I", RUSSIAN_LOCALE),  # CF_LOCALE
    })


# --- The user

def run_helper(env, name, *args):
    """A helper's output. Under load Wine now and then ends a program with
    exit code 1 before it runs; such a helper is run again."""
    def ask():
        code, output = env.wine([os.path.join(env.helpers, name + ".exe"), *args])
        check(code in (0, 1), f"helper {name} {' '.join(args)} ended with {code}")
        return code == 0 and (output,)

    return wait_for(ask, START_DEADLINE, f"helper {name} to run")[0]


def keys_down(env):
    return [line.strip() for line in run_helper(env, "keys_down").splitlines() if line.strip()]


def arrived(editor, expected, folder):
    """The editor receives the whole text, once."""
    deadline = round(PASTE_DEADLINE + PASTE_DEADLINE_PER_MIB * len(expected) / 2 ** 20)
    try:
        length = wait_for(lambda: (lambda s: s and s[2] >= len(expected) and s[2])(editor.state()),
                          deadline, f"{len(expected)} bytes to arrive in {editor.name}")
    except ScenarioFailure as failure:
        state = editor.state()
        if state and state[3]:
            raise ScenarioFailure(f"{failure}: its menu bar opened instead") from None
        raise
    check(length == len(expected), f"{editor.name} received {length} bytes, not {len(expected)}")
    received = editor.text(folder)
    if received != expected:
        at = next((i for i, (a, b) in enumerate(zip(received, expected)) if a != b),
                  min(len(received), len(expected)))
        raise ScenarioFailure(f"{editor.name} received other text: from byte {at} "
                              f"{received[at:at + 16].hex()}, not {expected[at:at + 16].hex()}")
    check(editor.length() in (length, None), f"a second paste arrived in {editor.name}")


def paste(env, editor, text, folder, keys="alt+Insert", keys_checked=True):
    """One paste of rich contents into an editor. Keys left down are let go
    again, so that the next paste starts from a clean keyboard; they count as
    a failure unless keys_checked is false (the reference: the minimal paster
    presses Alt again whenever it saw Alt held, even when the user has just
    let go of it)."""
    expected = text.encode("cp1251")
    editor.clear()
    editor.focus()
    copy_rich(env, text)
    code, _ = env.x("xdotool", "key", keys)
    check(code == 0, f"xdotool could not press {keys}")
    problems = []
    try:
        arrived(editor, expected, folder)
    except ScenarioFailure as failure:
        problems.append(str(failure))
    down = keys_down(env)
    if down:
        run_helper(env, "keys_down", "release")
        if keys_checked:
            problems.append(f"keys left down: {', '.join(down)}")
    check(not problems, "; ".join(problems))


def paste_sizes(rng):
    """A round's sizes, spread evenly on a log scale from the smallest to the
    largest; the smallest comes last, so that every round ends holding the
    same clipboard."""
    steps = PASTES_PER_ROUND - 1
    sizes = [round(SMALLEST * (LARGEST / SMALLEST) ** (i / steps)) for i in range(1, steps + 1)]
    rng.shuffle(sizes)
    return sizes + [SMALLEST]


# --- The settings page and the activation

def open_and_close_settings(env, ok):
    """From the tray menu to OK or «Отмена»; after OK Tamsel holds its paste
    hotkey again."""
    settings_page.open_settings(env)
    settings_page.wait_for_page(env)
    button = settings_page.control(env, "OK" if ok else "Отмена")
    click(env, (button.left + button.right) // 2, (button.top + button.bottom) // 2)
    settings_page.wait_closed(env)
    wait_for(lambda: env.held(ALT_INS)[ALT_INS], START_DEADLINE, "Tamsel to hold Alt+Insert")


def toggle(env, active):
    env.click_tray_icon()
    wait_for(lambda: env.held(ALT_INS)[ALT_INS] == active, START_DEADLINE,
             f"Tamsel to {'hold' if active else 'let go of'} Alt+Insert")


def usage(env, classname=harness.MAIN_CLASS):
    """(private bytes, working set, handles) of tamsel.exe, or of the program
    whose window is of `classname`."""
    return tuple(map(int, run_helper(env, "process_usage", classname).split()))


# --- The reference

def start_reference(env, paster):
    process = subprocess.Popen(["wine", paster], env=env.env, stdin=subprocess.DEVNULL,
                               stdout=env.log, stderr=env.log)
    wait_for(lambda: env.held(ALT_HOME)[ALT_HOME], START_DEADLINE,
             "the minimal paster to hold Alt+Home")
    return process


def stop_reference(env, paster, process):
    env.wine([paster, "q"])
    env.wait_exit(process, what="the minimal paster to end")


# --- The run

class GaveUp(Exception):
    pass


class Soak:
    def __init__(self, env, seed, folder, most_failures):
        self.env, self.folder = env, folder
        # Two generators from one seed: the reference pastes the same texts.
        self.rng, self.reference_rng = random.Random(seed), random.Random(seed)
        self.most_failures = most_failures
        self.failures = []
        self.editors = []
        self.counts = dict(pastes=0, pasted=0, openings=0, toggles=0)

    def attempt(self, what, action, *args):
        """Runs one action; a failure is counted and the soak goes on, unless
        Tamsel is gone or it has failed too often."""
        try:
            action(*args)
            return True
        except (ScenarioFailure, subprocess.TimeoutExpired) as failure:
            self.failures.append(f"{what}: {failure}")
            print(f"soak: FAILED {what}: {failure}", flush=True)
            wait_for(self.env.main_windows, START_DEADLINE, f"Tamsel, after {what}")
            if len(self.failures) >= self.most_failures:
                raise GaveUp(f"stopped after {self.most_failures} failures")
            return False

    def round(self, number):
        for i, size in enumerate(paste_sizes(self.rng)):
            editor = self.editors[i % 2]
            text = text_of_size(self.rng, size)
            if self.attempt(f"round {number} paste {i + 1} ({size} bytes into {editor.name})",
                            paste, self.env, editor, text, self.folder):
                self.counts["pasted"] += size
            self.counts["pastes"] += 1
        for i in range(OPENINGS_PER_ROUND):
            ok = i % 2 == 0
            self.attempt(f"round {number} settings opening {i + 1} ({'OK' if ok else 'Cancel'})",
                         open_and_close_settings, self.env, ok)
            self.counts["openings"] += 1
        for i in range(TOGGLES_PER_ROUND):
            self.attempt(f"round {number} toggle {i + 1}", toggle, self.env, i % 2 == 1)
            self.counts["toggles"] += 1

    def reference_round(self, number):
        """The round's texts pasted with the minimal paster, all into the paste
        target: the editor runs in a process of its own and leaves the paster's
        heap alone, and Notepad is slow to take in a MiB."""
        for i, size in enumerate(paste_sizes(self.reference_rng)):
            text = text_of_size(self.reference_rng, size)
            self.attempt(f"round {number} reference paste {i + 1} ({size} bytes)", paste,
                         self.env, self.editors[0], text, self.folder, "alt+Home", False)


def describe(figures):
    (private, workingset, handles), reference = figures
    return (f"private {private // 1024} KiB, working set {workingset // 1024} KiB, "
            f"{handles} handles; the reference's private {reference // 1024} KiB")


def run(env, rounds, seed, most_failures, paster):
    """The rounds, with Tamsel, the minimal paster, the paste target and
    Notepad running throughout; returns the soak and, after each round,
    tamsel.exe's figures with the reference's private bytes."""
    folder = os.path.join(env.artifacts, "clipboard")
    os.makedirs(folder, exist_ok=True)
    env.start_tamsel()
    wait_for(lambda: env.held(ALT_INS)[ALT_INS], START_DEADLINE, "Tamsel to hold Alt+Insert")
    soak = Soak(env, seed, folder, most_failures)
    figures = []
    target = PasteTarget(env, lifetime=24 * 3600)
    reference = None
    try:
        reference = start_reference(env, paster)
        soak.editors.append(Editor(env, "the paste target", "PasteTarget"))
        wait_for(soak.editors[0].state, START_DEADLINE, "the paste target's window")
        notepad_process, notepad = start_notepad(env)
        soak.editors.append(notepad)
        try:
            for number in range(1, rounds + 1):
                started = time.monotonic()
                soak.round(number)
                soak.reference_round(number)
                figures.append((usage(env), usage(env, REFERENCE_CLASS)[0]))
                print(f"soak: round {number}/{rounds} in {time.monotonic() - started:.0f} s, "
                      f"{len(soak.failures)} failures so far; tamsel.exe {describe(figures[-1])}",
                      flush=True)
        except GaveUp as reason:
            print(f"soak: {reason}")
        finally:
            notepad.close()
            env.wait_exit(notepad_process, what="Notepad to end")
    finally:
        if reference:
            stop_reference(env, paster, reference)
        target.close()
    return soak, figures


def middle(figures):
    """The index of the round after which private bytes are judged: the end of
    the first half."""
    return (len(figures) - 1) // 2


def judge(figures):
    """What is wrong with the growth of private bytes over the second half of
    the rounds, beside the reference's through the same pastes, and with the
    growth of handles from the first round to the last."""
    ((private0, _, _), reference0), ((private1, _, handles1), reference1) = \
        figures[middle(figures)], figures[-1]
    handles0 = figures[0][0][2]
    problems = []
    growth, reference_growth = private1 - private0, reference1 - reference0
    if growth - reference_growth > HEAP_STEP + FEW_PAGES * PAGE:
        problems.append(f"private bytes grew by {growth // PAGE} pages, "
                        f"the reference's by {reference_growth // PAGE}")
    if handles1 - handles0 > FEW_HANDLES:
        problems.append(f"handles grew by {handles1 - handles0}")
    return problems


def report(soak, figures, seconds):
    c = soak.counts
    print(f"soak: {len(figures)} rounds in {seconds:.0f} s: {c['pastes']} pastes "
          f"({c['pasted'] / 2 ** 20:.1f} MiB arrived exactly), {c['openings']} settings openings, "
          f"{c['toggles']} toggles; {len(soak.failures)} failures")
    misses = sum(editor.misses for editor in soak.editors)
    if misses:
        print(f"soak: Wine ended edit_text {misses} times with exit code 1 before it ran; "
              "asked again")
    for failure in soak.failures[:10]:
        print(f"  {failure}")
    if len(soak.failures) > 10:
        print(f"  ... and {len(soak.failures) - 10} more")
    problems = []
    if len(figures) >= 2:
        print(f"soak: tamsel.exe after the first round: {describe(figures[0])}")
        print(f"soak: tamsel.exe after round {middle(figures) + 1}:       "
              f"{describe(figures[middle(figures)])}")
        print(f"soak: tamsel.exe after the last round:  {describe(figures[-1])}")
        problems = judge(figures)
        for problem in problems:
            print(f"soak: FAILED: {problem} (at most {HEAP_STEP // 1024} KiB and {FEW_PAGES} pages "
                  f"more than the reference's, and {FEW_HANDLES} handles)")
    return not soak.failures and not problems and len(figures) >= 2


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", help="the windows preset's build directory")
    parser.add_argument("--rounds", type=int, default=ROUNDS, help="rounds (at least 2)")
    parser.add_argument("--seed", type=int, default=1, help="seed of the contents and sizes")
    parser.add_argument("--most-failures", type=int, default=MOST_FAILURES,
                        help="failures after which it stops")
    args = parser.parse_args(argv[1:])
    build = os.path.abspath(args.build)
    private = os.path.join(build, "soak")
    os.environ.update(
        TAMSEL_EXE=os.path.join(build, "tamsel.exe"),
        TAMSEL_HELPERS=os.path.join(build, "e2e-helpers"),
        TAMSEL_WINE_STATE=wine_env.paths(private)["state"],
        TAMSEL_ARTIFACTS=os.path.join(private, "artifacts"))
    wine_env.setup(private, helpers=os.environ["TAMSEL_HELPERS"])
    passed = False
    try:
        env = harness.Environment()
        leftover = env.stop_all_tamsel()
        check(not leftover, f"could not end a copy left from before: {leftover}")
        env.delete_settings()
        try:
            started = time.monotonic()
            soak, figures = run(env, args.rounds, args.seed, args.most_failures,
                                os.path.join(build, "bench-wine", "minimal_paster.exe"))
            passed = report(soak, figures, time.monotonic() - started)
        finally:
            forced = env.stop_all_tamsel()
            if forced:
                print(f"soak: FAILED: cleanup had to force: {forced}")
                passed = False
    except ScenarioFailure as failure:
        print(f"soak: FAILED: {failure}")
    finally:
        wine_env.cleanup(private)
    print(f"soak: {'passed' if passed else 'FAILED'} (logs in {os.environ['TAMSEL_ARTIFACTS']})")
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
