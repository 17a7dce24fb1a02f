#!/usr/bin/env python3
"""Checks a CI workflow that cannot run here against the commands it follows.

    check_workflow.py WORKFLOW DOC HEADING

WORKFLOW must parse as YAML, and the lines of its run steps, in order, must
be the command lines of the first sh block under the line HEADING in DOC:
the workflow is checked by reading it beside the documented commands.
"""
import sys

import yaml


def workflow_lines(path):
    with open(path, encoding="utf-8") as f:
        workflow = yaml.safe_load(f)
    lines = []
    for job in workflow["jobs"].values():
        for step in job["steps"]:
            lines += [line.strip() for line in step.get("run", "").splitlines() if line.strip()]
    return lines


def documented_lines(path, heading):
    with open(path, encoding="utf-8") as f:
        text = f.read().splitlines()
    if heading not in text:
        sys.exit(f"check_workflow: {path} has no line {heading!r}")
    start = text.index("```sh", text.index(heading)) + 1
    end = text.index("```", start)
    return [line.strip() for line in text[start:end]
            if line.strip() and not line.strip().startswith("#")]


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    workflow, documented = workflow_lines(argv[1]), documented_lines(argv[2], argv[3])
    if workflow != documented:
        print(f"check_workflow: the run steps of {argv[1]}:", *workflow, sep="\n  ")
        print(f"differ from the commands in {argv[2]}:", *documented, sep="\n  ")
        return 1
    print(f"check_workflow: {argv[1]} runs the {len(workflow)} commands of {argv[2]}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
