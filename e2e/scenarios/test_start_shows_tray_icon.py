"""A first start leaves one hidden main window of class Tamsel and puts the
active-state icon into the tray; the process keeps running."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import START_DEADLINE, check, wait_for  # noqa: E402


def run(env):
    tamsel = env.start_tamsel()
    windows = wait_for(env.main_windows, START_DEADLINE, "a window of class Tamsel")
    check(len(windows) == 1, f"expected one main window, found {windows}")
    window = windows[0]
    check(not window.visible, "the main window is visible")
    check(window.title == "Tamsel - Параметры", f"the main window's title is {window.title!r}")
    check(window.exstyle & harness.WS_EX_TOOLWINDOW, f"not a tool window: {window.exstyle:#x}")
    check(window.exstyle & harness.WS_EX_TOPMOST, f"not topmost: {window.exstyle:#x}")
    # Centred on the 1024x768 screen, 636x320 outside.
    check((window.left, window.top, window.right, window.bottom) == (194, 224, 830, 544),
          f"the main window is at {window.left},{window.top}-{window.right},{window.bottom}")

    wait_for(env.tray, START_DEADLINE, "the tray icon")
    # The first start writes the default settings, with the paste hotkeys on.
    shot = env.screenshot("tray-active", env.tray_icon_area())
    check(env.tray_icon_shows("mainicon", shot),
          f"the tray icon is not MAINICON (see {shot})")
    check(tamsel.poll() is None, f"tamsel.exe ended with {tamsel.returncode}")


harness.main(run)
