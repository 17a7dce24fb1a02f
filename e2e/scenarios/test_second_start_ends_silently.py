"""A second start without the quit switch ends at once with exit code 0; the
running copy keeps its window, its tray icon and its process. An upper-case
Q is not the switch."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import START_DEADLINE, check, wait_for  # noqa: E402


def run(env):
    first = env.start_tamsel()
    window = wait_for(env.main_windows, START_DEADLINE, "the first copy's window")[0]
    wait_for(env.tray, START_DEADLINE, "the first copy's tray icon")

    for args in ((), ("Q",)):
        code = env.run_tamsel(*args)
        check(code == 0, f"the second start {args} ended with {code}")
        check(first.poll() is None, f"the first copy ended with {first.returncode} after {args}")
        check(env.main_windows() == [window],
              f"the main windows changed after the second start {args}: {env.main_windows()}")
        check(env.tray() is not None, f"the tray icon went away after the second start {args}")


harness.main(run)
