"""A start with the saved setting active = 0 shows the inactive-state icon
MAINICON2 in the tray; the first start with the defaults showed MAINICON."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import EXIT_DEADLINE, START_DEADLINE, check, wait_for  # noqa: E402


def screenshot_showing(env, icon, name):
    path = env.screenshot(name, env.tray_icon_area())
    return path if env.tray_icon_shows(icon, path) else None


def start_and_look(env, icon, other, name):
    tamsel = env.start_tamsel()
    wait_for(env.main_windows, START_DEADLINE, "the main window")
    wait_for(env.tray, START_DEADLINE, "the tray icon")
    # The icon is swapped during start-up; wait until the expected one shows.
    path = wait_for(lambda: screenshot_showing(env, icon, name), START_DEADLINE,
                    f"the tray to show {icon}", interval=0.2)
    check(not env.tray_icon_shows(other, path), f"{icon} and {other} look alike in {path}")
    check(env.run_tamsel("q") == 0, "the start with q failed")
    check(env.wait_exit(tamsel, EXIT_DEADLINE) == 0, "Tamsel did not end with exit code 0")


def run(env):
    start_and_look(env, "mainicon", "mainicon2", "tray-default")
    check(env.settings().get("active") == ("REG_DWORD", "0x1"),
          f"the first start did not save active = 1: {env.settings()}")
    env.set_setting("active", 0)
    start_and_look(env, "mainicon2", "mainicon", "tray-inactive")


harness.main(run)
