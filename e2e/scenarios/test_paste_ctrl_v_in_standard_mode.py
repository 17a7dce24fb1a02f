"""In the mode of the standard keys Tamsel holds Ctrl+V itself. Pressing it
pastes plain text: the program lets go of its own Ctrl+V for the one
synthetic V, or the system would hand that V back to it instead of to the
application. The edit control receives the text once per press, and
afterwards Tamsel holds Ctrl+V again, so a second press does the same."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import EXIT_DEADLINE, START_DEADLINE, check, wait_for  # noqa: E402
from paste_target import PASTED, PasteTarget, check_converted  # noqa: E402

CTRL_V = "2:0x56"
STANDARD_KEYS = 2


def paste(env, target, expected):
    env.helper("clipboard_fill")
    code, _ = env.x("xdotool", "key", "ctrl+v")
    check(code == 0, "xdotool could not press Ctrl+V")
    text = wait_for(lambda: len(target.text()) >= len(expected) and target.text(),
                    START_DEADLINE, "the paste to arrive in the edit control", interval=0.1)
    check(text == expected, f"the edit control holds {text.hex()}, not {expected.hex()}")
    check_converted(env)
    check(env.held(CTRL_V)[CTRL_V], "Tamsel does not hold Ctrl+V again after the paste")


def run(env):
    env.set_setting("hookkey", STANDARD_KEYS)
    tamsel = env.start_tamsel()
    wait_for(env.main_windows, START_DEADLINE, "the main window")
    wait_for(lambda: env.held(CTRL_V)[CTRL_V], START_DEADLINE, "Ctrl+V to be held")
    target = PasteTarget(env)
    try:
        target.focus()
        paste(env, target, PASTED)
        paste(env, target, PASTED + PASTED)
        check(env.run_tamsel("q") == 0, "the start with q failed")
        check(env.wait_exit(tamsel, EXIT_DEADLINE) == 0, "Tamsel did not end with exit code 0")
        check(target.text() == PASTED + PASTED, f"the edit control changed to {target.text().hex()}")
    finally:
        target.close()


harness.main(run)
