"""A first start, with no settings key, creates HKCU\\Software\\Tamsel holding
the eight defaults as REG_DWORD values (usercodepage the user's locale,
0x419 under ru_RU) and runs with them: mode 5 holds the paste hotkey
Alt+Insert and nothing of mode 1. After the quit switch the hotkey is free
again and the settings are as written."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import EXIT_DEADLINE, START_DEADLINE, check, wait_for  # noqa: E402

DEFAULTS = {"active": 1, "hookkey": 5, "codepage": 4, "iconclick": 1, "usercodepage": 0x419,
            "activekey": 0, "keycp": 0x0C2D, "keycc": 0x0244}
ALT_INSERT = "0x1:0x2d"  # keycp 0x0C2D: MOD_ALT, VK_INSERT
ALT_V = "0x1:0x56"


def shown(values):
    return ", ".join(f"{name}={number:#x}" for name, number in values.items())


def run(env):
    tamsel = env.start_tamsel()
    wait_for(lambda: len(env.dwords()) == len(DEFAULTS), START_DEADLINE,
             "the first start to write eight values")
    check(env.dwords() == DEFAULTS, f"the first start wrote {shown(env.dwords())}")

    wait_for(lambda: env.held(ALT_INSERT)[ALT_INSERT], START_DEADLINE,
             "Tamsel to hold Alt+Insert (keycp)")
    check(not env.held(ALT_V)[ALT_V], "Alt+V is held in mode 5")

    check(env.run_tamsel("q") == 0, "the start with q failed")
    check(env.wait_exit(tamsel, EXIT_DEADLINE) == 0, "Tamsel did not end with exit code 0")
    wait_for(lambda: not env.held(ALT_INSERT)[ALT_INSERT], EXIT_DEADLINE,
             "Alt+Insert to be free after Tamsel quit")
    check(env.dwords() == DEFAULTS, f"the settings changed at shutdown: {shown(env.dwords())}")


harness.main(run)
