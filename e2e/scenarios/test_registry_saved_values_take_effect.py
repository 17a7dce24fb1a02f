"""Settings written with reg before a start are the ones the program uses, and
it leaves them as they are:
- a start with the quit switch and no running copy does not touch them;
- mode 1 (hookkey 1), active: Alt+V and Alt+Ins are held while Tamsel runs,
  and so is the activation hotkey from activekey; all are free after it quit;
- the same with active 0: the tray shows MAINICON2 and only the activation
  hotkey is held;
- mode 5 with its own keycp: that combination is held, the default
  Alt+Insert is not."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import EXIT_DEADLINE, START_DEADLINE, check, wait_for  # noqa: E402

ALT_V = "0x1:0x56"
ALT_INS = "0x1:0x2d"
CTRL_SHIFT_F12 = "0x6:0x7b"  # activekey 0x037B: HOTKEYF_SHIFT | HOTKEYF_CONTROL, VK_F12
CTRL_ALT_F10 = "0x3:0x79"  # keycp 0x0679: HOTKEYF_CONTROL | HOTKEYF_ALT, VK_F10
ALL = (ALT_V, ALT_INS, CTRL_SHIFT_F12, CTRL_ALT_F10)

SETTINGS = {"active": 1, "hookkey": 1, "codepage": 2, "iconclick": 0, "usercodepage": 0x409,
            "activekey": 0x037B, "keycp": 0x0679, "keycc": 0x0245}


def shown(values):
    return ", ".join(f"{name}={number:#x}" for name, number in values.items())


def store(env, settings):
    for name, value in settings.items():
        env.set_setting(name, value)
    check(env.dwords() == settings, f"reg wrote {shown(env.dwords())}")


def start(env, ready_combination):
    """Starts Tamsel and waits until it holds the combination it registers last."""
    tamsel = env.start_tamsel()
    wait_for(lambda: env.held(ready_combination)[ready_combination], START_DEADLINE,
             f"Tamsel to hold {ready_combination}")
    return tamsel


def quit_and_check_released(env, tamsel):
    check(env.run_tamsel("q") == 0, "the start with q failed")
    check(env.wait_exit(tamsel, EXIT_DEADLINE) == 0, "Tamsel did not end with exit code 0")
    wait_for(lambda: not any(env.held(*ALL).values()), EXIT_DEADLINE,
             "every hotkey to be free after Tamsel quit")


def tray_shows(env, icon, name):
    path = env.screenshot(name)
    return env.tray_icon_shows(icon, path)


def run(env):
    store(env, SETTINGS)
    check(env.run_tamsel("q") == 0, "the start with q and no running copy failed")
    check(env.dwords() == SETTINGS, f"the start with q changed the settings: {shown(env.dwords())}")

    # Mode 1, active: its two paste hotkeys and the activation hotkey.
    tamsel = start(env, CTRL_SHIFT_F12)
    state = env.held(*ALL)
    check(state == {ALT_V: True, ALT_INS: True, CTRL_SHIFT_F12: True, CTRL_ALT_F10: False},
          f"mode 1, active: {state}")
    check(env.dwords() == SETTINGS, f"the start changed the settings: {shown(env.dwords())}")
    quit_and_check_released(env, tamsel)

    # Inactive: the activation hotkey only, and the inactive icon.
    env.set_setting("active", 0)
    tamsel = start(env, CTRL_SHIFT_F12)
    wait_for(lambda: tray_shows(env, "mainicon2", "tray-inactive"), START_DEADLINE,
             "the tray to show MAINICON2", interval=0.2)
    state = env.held(*ALL)
    check(state == {ALT_V: False, ALT_INS: False, CTRL_SHIFT_F12: True, CTRL_ALT_F10: False},
          f"mode 1, inactive: {state}")
    quit_and_check_released(env, tamsel)

    # Mode 5, active, with its own paste hotkey instead of Alt+Insert.
    env.set_setting("active", 1)
    env.set_setting("hookkey", 5)
    tamsel = start(env, CTRL_SHIFT_F12)
    state = env.held(*ALL)
    check(state == {ALT_V: False, ALT_INS: False, CTRL_SHIFT_F12: True, CTRL_ALT_F10: True},
          f"mode 5 with keycp 0x0679: {state}")
    quit_and_check_released(env, tamsel)
    check(env.dwords() == dict(SETTINGS, hookkey=5),
          f"the settings changed while Tamsel ran: {shown(env.dwords())}")


harness.main(run)
