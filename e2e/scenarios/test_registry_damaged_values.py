"""Settings that are missing, out of range or of the wrong type are read the
way the program promises, and a start never writes over them:
- a key holding only hookkey 0x101 and activekey: mode 1 (the low byte),
  active by default;
- active 2 counts as off;
- hookkey stored as a string falls back to mode 5, and a keycp with bits
  above the low 16 registers the combination of its low 16 bits."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import EXIT_DEADLINE, SETTINGS_KEY, START_DEADLINE, check, wait_for  # noqa: E402

ALT_V = "0x1:0x56"
ALT_INS = "0x1:0x2d"
CTRL_SHIFT_F12 = "0x6:0x7b"  # activekey 0x037B: HOTKEYF_SHIFT | HOTKEYF_CONTROL, VK_F12
CTRL_ALT_F10 = "0x3:0x79"  # low 16 bits 0x0679: HOTKEYF_CONTROL | HOTKEYF_ALT, VK_F10
ALL = (ALT_V, ALT_INS, CTRL_SHIFT_F12, CTRL_ALT_F10)


def set_string(env, name, text):
    code, _ = env.reg("add", SETTINGS_KEY, "/v", name, "/t", "REG_SZ", "/d", text, "/f")
    check(code == 0, f"reg add {name}={text!r} as REG_SZ failed")


def hotkeys_of_a_start(env):
    """Starts Tamsel, waits until it holds the activation hotkey (its last
    registration), and returns what it holds then; quits it again."""
    before = env.settings()
    tamsel = env.start_tamsel()
    wait_for(lambda: env.held(CTRL_SHIFT_F12)[CTRL_SHIFT_F12], START_DEADLINE,
             "Tamsel to hold the activation hotkey")
    state = env.held(*ALL)
    check(env.settings() == before, f"the start changed the settings: {env.settings()}")
    check(env.run_tamsel("q") == 0, "the start with q failed")
    check(env.wait_exit(tamsel, EXIT_DEADLINE) == 0, "Tamsel did not end with exit code 0")
    wait_for(lambda: not any(env.held(*ALL).values()), EXIT_DEADLINE,
             "every hotkey to be free after Tamsel quit")
    return state


def run(env):
    env.set_setting("hookkey", 0x101)
    env.set_setting("activekey", 0x037B)
    state = hotkeys_of_a_start(env)
    check(state == {ALT_V: True, ALT_INS: True, CTRL_SHIFT_F12: True, CTRL_ALT_F10: False},
          f"hookkey 0x101 without active: {state}")

    env.set_setting("active", 2)
    state = hotkeys_of_a_start(env)
    check(state == {ALT_V: False, ALT_INS: False, CTRL_SHIFT_F12: True, CTRL_ALT_F10: False},
          f"active 2: {state}")

    env.set_setting("active", 1)
    set_string(env, "hookkey", "1")
    env.set_setting("keycp", 0x10679)
    state = hotkeys_of_a_start(env)
    check(state == {ALT_V: False, ALT_INS: False, CTRL_SHIFT_F12: True, CTRL_ALT_F10: True},
          f"hookkey as a string, keycp 0x10679: {state}")
    check(env.settings() == {"hookkey": ("REG_SZ", "1"), "activekey": ("REG_DWORD", "0x37b"),
                             "active": ("REG_DWORD", "0x1"), "keycp": ("REG_DWORD", "0x10679")},
          f"the settings are not as reg wrote them: {env.settings()}")


harness.main(run)
