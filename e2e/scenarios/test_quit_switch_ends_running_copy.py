"""A start whose command line ends in q tells the running copy to quit: that
copy removes its tray icon and ends with exit code 0, the window of class
Tamsel goes away, and the quitting start ends with exit code 0 itself.
Checked with a lone q, -q and /q."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import EXIT_DEADLINE, START_DEADLINE, check, wait_for  # noqa: E402


def run(env):
    for switch in ("q", "-q", "/q"):
        running = env.start_tamsel()
        wait_for(env.main_windows, START_DEADLINE, "the running copy's window")
        wait_for(env.tray, START_DEADLINE, "the running copy's tray icon")

        code = env.run_tamsel(switch)
        check(code == 0, f"the start with {switch} ended with {code}")
        code = env.wait_exit(running, EXIT_DEADLINE, f"the running copy to end after {switch}")
        check(code == 0, f"the running copy ended with {code} after {switch}")
        check(not env.main_windows(), f"a window of class Tamsel is left after {switch}")
        wait_for(lambda: env.tray() is None, EXIT_DEADLINE,
                 f"the tray icon to go away after {switch}")


harness.main(run)
