"""With the default settings (paste hotkey Alt+Insert, the user's locale
stored with the text), the user copies formatted Russian text, clicks into
an edit control and presses Alt+Insert: the edit control receives the text
once, and the clipboard holds only the single-byte text and its locale."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import EXIT_DEADLINE, START_DEADLINE, check, wait_for  # noqa: E402
from paste_target import PASTED, PasteTarget, check_converted  # noqa: E402

ALT_INSERT = "1:0x2d"


def run(env):
    tamsel = env.start_tamsel()
    wait_for(env.main_windows, START_DEADLINE, "the main window")
    wait_for(lambda: env.held(ALT_INSERT)[ALT_INSERT], START_DEADLINE, "Alt+Insert to be held")
    target = PasteTarget(env)
    try:
        target.focus()
        env.helper("clipboard_fill")
        code, _ = env.x("xdotool", "key", "alt+Insert")
        check(code == 0, "xdotool could not press Alt+Insert")
        text = target.wait_text("the paste to arrive in the edit control")
        check(text == PASTED, f"the edit control holds {text.hex()}, not {PASTED.hex()}")
        check_converted(env)
        check(env.run_tamsel("q") == 0, "the start with q failed")
        check(env.wait_exit(tamsel, EXIT_DEADLINE) == 0, "Tamsel did not end with exit code 0")
        check(target.text() == PASTED, f"the edit control changed to {target.text().hex()}")
    finally:
        target.close()


harness.main(run)
