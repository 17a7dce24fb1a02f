"""The user presses Alt+Insert and lets go of both keys at once, twenty times
in a row, while another program's keyboard hook takes a few milliseconds over
every injected key. Wine hands the user's releases on whenever the editor
reads them: before, between or after Tamsel's own keystrokes, which the slow
hook draws out. Each time the text arrives, and once Tamsel's keystrokes are
over no key is left down, as the hook sees the events and as the system's key
state says at the end.

Then the user pastes into Wine's Notepad, which has a menu bar, ten times as
quickly as xdotool can, while two busy programs keep the cores loaded. The
user's Alt release often reaches Notepad before Tamsel's first key, so
Notepad sees Alt go down and up alone and opens its menu bar; each time the
menu is closed again before the paste, and the text arrives."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from editor import start_notepad  # noqa: E402
from harness import START_DEADLINE, ScenarioFailure, check, wait_for  # noqa: E402
from key_events import events, left_down, watched_paste  # noqa: E402
from paste_target import PASTED  # noqa: E402

ROUNDS = 20
CTRL_UP_INJECTED = (0x11, False, True)  # Tamsel's last key but its own releases
KEYS_DEADLINE = 5
SLOW_HOOK_MS = 2
QUICK_PASTES = 10
BUSY_PROCESSES = 2


def keys_left_down(watch):
    """The keys still down once Tamsel's releases, if any, have come."""
    end = time.monotonic() + KEYS_DEADLINE
    while left_down(events(watch)) and time.monotonic() < end:
        time.sleep(0.05)
    return [hex(vk) for vk in left_down(events(watch))]


def quick_pastes_under_load(env):
    process, notepad = start_notepad(env)
    busy = [subprocess.Popen(["yes"], stdout=subprocess.DEVNULL) for _ in range(BUSY_PROCESSES)]
    try:
        notepad.focus()
        for number in range(1, QUICK_PASTES + 1):
            code, _ = env.x("xdotool", "key", "--delay", "0", "alt+Insert")
            check(code == 0, "xdotool could not press Alt+Insert")
            try:
                wait_for(lambda: notepad.length() == number * len(PASTED), START_DEADLINE,
                         f"quick paste {number} to arrive in Notepad")
            except ScenarioFailure as failure:
                menu = (notepad.state() or (0, 0, 0, 0))[3]
                env.x("xdotool", "key", "Escape")
                raise ScenarioFailure(f"{failure}{': its menu bar opened instead' if menu else ''}")
    finally:
        for program in busy:
            os.kill(program.pid, 9)
            program.wait()
        notepad.close()
        env.wait_exit(process, what="Notepad to end")


def run(env):
    with watched_paste(env, SLOW_HOOK_MS) as (target, watch):
        for round in range(ROUNDS):
            before, mark = len(target.text()), len(events(watch))
            code, _ = env.x("xdotool", "key", "alt+Insert")
            check(code == 0, "xdotool could not press Alt+Insert")
            wait_for(lambda: len(target.text()) > before, START_DEADLINE, f"paste {round}")
            wait_for(lambda: CTRL_UP_INJECTED in events(watch)[mark:], START_DEADLINE,
                     f"the end of Tamsel's keystrokes of paste {round}")
            down = keys_left_down(watch)
            check(not down, f"paste {round} left {down} down: {events(watch)[mark:]}")
    quick_pastes_under_load(env)
    still = [line for line in env.helper("keys_down").splitlines() if line.strip()]
    check(not still, f"the system's key state shows down: {still}")


harness.main(run)
