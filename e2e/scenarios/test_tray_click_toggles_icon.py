"""With the default settings a left click on the tray icon switches the paste
hotkeys off and on: the icon turns to MAINICON2 and back to MAINICON."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import START_DEADLINE, wait_for  # noqa: E402


def wait_for_icon(env, icon, name):
    def shows():
        path = env.screenshot(name)
        return path if env.tray_icon_shows(icon, path) else None

    wait_for(shows, START_DEADLINE, f"the tray to show {icon}", interval=0.2)


def run(env):
    env.start_tamsel()
    wait_for(env.main_windows, START_DEADLINE, "the main window")
    wait_for_icon(env, "mainicon", "before-click")
    env.click_tray_icon()
    wait_for_icon(env, "mainicon2", "after-first-click")
    env.click_tray_icon()
    wait_for_icon(env, "mainicon", "after-second-click")


harness.main(run)
