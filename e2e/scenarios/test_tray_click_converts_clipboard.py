"""A left click on the tray icon, with the icon click set to clean the
clipboard, leaves only text of what a word processor put there (rich text,
HTML, Unicode Russian text and its locale), in the form each code-page mode
asks for. What remains is read back with our clipboard dumper, exactly: the
formats in the order the system lists them (the stored ones first, then the
ones it derives on request) and their bytes."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import harness  # noqa: E402
from harness import EXIT_DEADLINE, START_DEADLINE, check, wait_for  # noqa: E402

# "Привет, мир ok" as the filler stores it, and as Windows-1251 bytes.
UNICODE = "1f04400438043204350442042c0020003c043804400420006f006b000000"
CP1251 = "cff0e8e2e5f22c20ece8f0206f6b00"
# The same bytes read as Windows-1252: what a Unicode program sees when the
# text carries an English locale.
AS_1252 = "cf00f000e800e200e500f2002c002000ec00e800f00020006f006b000000"
RUSSIAN = "19040000"
ENGLISH = "09040000"


def dump(env):
    """[(format number, name, hex bytes)] in the order the clipboard lists them."""
    rows = []
    for line in env.helper("clipboard_dump").splitlines():
        fields = line.rstrip("\r").split("\t")
        if len(fields) == 4:
            rows.append((int(fields[0]), fields[1], fields[3]))
    return rows


def stored(rows, count):
    """The first `count` formats, which are the ones stored."""
    return [(name, data) for _, name, data in rows[:count]]


def converted(env):
    rows = dump(env)
    return rows if not any(name == "Rich Text Format" for _, name, _ in rows) else None


def convert_in_mode(env, codepage, usercodepage=None):
    env.delete_settings()
    env.set_setting("iconclick", 0)
    env.set_setting("codepage", codepage)
    if usercodepage is not None:
        env.set_setting("usercodepage", usercodepage)
    tamsel = env.start_tamsel()
    wait_for(env.main_windows, START_DEADLINE, "the main window")
    env.helper("clipboard_fill")
    before = dump(env)
    check([name for _, name, _ in before][:4] ==
          ["Rich Text Format", "HTML Format", "CF_UNICODETEXT", "CF_LOCALE"],
          f"the filler's clipboard is not as expected: {before}")
    env.click_tray_icon()
    rows = wait_for(lambda: converted(env), START_DEADLINE, f"the conversion in mode {codepage}",
                    interval=0.2)
    check(env.run_tamsel("q") == 0, "the start with q failed")
    check(env.wait_exit(tamsel, EXIT_DEADLINE) == 0, "Tamsel did not end with exit code 0")
    return rows


def formats(rows):
    return sorted(number for number, _, _ in rows)


def run(env):
    # Unicode kept: only Unicode text is stored; the system derives the rest.
    rows = convert_in_mode(env, 0)
    check(stored(rows, 1) == [("CF_UNICODETEXT", UNICODE)], f"mode 0: {rows}")
    check(formats(rows) == [1, 7, 13, 16], f"mode 0 left other formats: {rows}")

    # No locale: the single-byte text alone; the locale the system then
    # derives is the current input language, not the one of the copy.
    rows = convert_in_mode(env, 1)
    check(stored(rows, 1) == [("CF_TEXT", CP1251)], f"mode 1: {rows}")
    check(formats(rows) == [1, 7, 13, 16], f"mode 1 left other formats: {rows}")

    # The locale offered at copy time goes along with the text.
    rows = convert_in_mode(env, 2)
    check(stored(rows, 2) == [("CF_TEXT", CP1251), ("CF_LOCALE", RUSSIAN)], f"mode 2: {rows}")
    check(("CF_UNICODETEXT", UNICODE) in stored(rows, 4), f"mode 2 reads back wrongly: {rows}")
    check(formats(rows) == [1, 7, 13, 16], f"mode 2 left other formats: {rows}")

    # The user's chosen locale, here English: the bytes stay, Unicode programs
    # read them through that locale's code page.
    rows = convert_in_mode(env, 4, usercodepage=0x0409)
    check(stored(rows, 2) == [("CF_TEXT", CP1251), ("CF_LOCALE", ENGLISH)], f"mode 4: {rows}")
    check(("CF_UNICODETEXT", AS_1252) in stored(rows, 4), f"mode 4 reads back wrongly: {rows}")
    check(formats(rows) == [1, 7, 13, 16], f"mode 4 left other formats: {rows}")


harness.main(run)
