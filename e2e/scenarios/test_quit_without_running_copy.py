"""A start with the quit switch while no copy runs creates nothing: it ends
with exit code 0, leaves no window of class Tamsel and no tray icon, and does
not touch the registry (no settings key appears)."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import check  # noqa: E402


def run(env):
    check(not env.main_windows(), "a copy is running before the scenario")
    code = env.run_tamsel("q")
    check(code == 0, f"the start with q ended with {code}")
    check(not env.main_windows(), "a window of class Tamsel exists after the start with q")
    check(env.tray() is None, "a tray icon is shown after the start with q")
    check(env.settings() is None, f"the start with q wrote settings: {env.settings()}")


harness.main(run)
