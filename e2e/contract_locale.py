#!/usr/bin/env python3
"""The system contract cases in another locale than the test command's.

    contract_locale.py BUILD_DIR LOCALE     for instance build/windows en_US.UTF-8

Runs BUILD_DIR/contract_tests.exe once, all cases in one process, in a Wine
prefix and on an Xvfb display of its own (BUILD_DIR/contract-LOCALE, made by
e2e/wine_env.py, the prefix only when missing), so that it can run beside
the Wine tests of BUILD_DIR. Wine takes its code pages from the locale:
en_US.UTF-8 gives ANSI 1252, as a Windows in English has. It passes when no
case fails and each case that skips says what it assumes ("assumes ..."),
and prints the counts.
"""
import os
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

import wine_env

RUN_DEADLINE = 300  # seconds; the cases take a few under Wine
REPORT = "contract-report.xml"


def run_cases(exe, home, env):
    """Runs every case; returns the report's path, or None when there is none.
    Wine now and then ends a program before any of its code runs: a run that
    wrote no report is started once more."""
    report = os.path.join(home, REPORT)
    for _ in range(2):
        if os.path.exists(report):
            os.remove(report)
        # The report's name is relative: Wine would read a Unix path as one on
        # its current drive.
        subprocess.run(["wine", exe, "--gtest_brief=1", "--gtest_output=xml:" + REPORT], cwd=home,
                       env=env, stdin=subprocess.DEVNULL, timeout=RUN_DEADLINE, check=False)
        if os.path.exists(report):
            return report
        print("contract_locale: the run wrote no report; starting it once more")
    return None


def judge(report):
    """(passed, skips, failures): the skips and failures as lines to print."""
    passed, skips, failures = 0, [], []
    for case in ElementTree.parse(report).getroot().iter("testcase"):
        name = f"{case.get('classname')}.{case.get('name')}"
        if case.find("failure") is not None or case.find("error") is not None:
            failures.append(f"{name} failed")
        elif case.find("skipped") is not None:
            message = case.find("skipped").get("message", "")
            # The first line is where it skipped; the last says why.
            reason = message.strip().splitlines()[-1] if message.strip() else ""
            skips.append(f"{name} skipped: {reason}")
            if not reason.startswith("assumes "):
                failures.append(f"{name} skipped without saying what it assumes")
        else:
            passed += 1
    return passed, skips, failures


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    build, locale = os.path.abspath(argv[1]), argv[2]
    home = os.path.join(build, "contract-" + locale.split(".")[0])
    started = time.monotonic()
    wine_env.setup(home, helpers=os.path.join(build, "e2e-helpers"), locale=locale)
    try:
        env = dict(os.environ, **wine_env.read_state(wine_env.paths(home)["state"]))
        report = run_cases(os.path.join(build, "contract_tests.exe"), home, env)
    finally:
        wine_env.cleanup(home)
    if not report:
        print(f"contract_locale: no report of the cases under {locale}", file=sys.stderr)
        return 1
    passed, skips, failures = judge(report)
    for line in skips + failures:
        print("contract_locale: " + line)
    print(f"contract_locale: under {locale}, {passed} passed, {len(skips)} skipped, "
          f"{len(failures)} failed, in {time.monotonic() - started:.0f} s")
    return 1 if failures or passed + len(skips) == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
