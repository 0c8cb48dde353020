"""What the end-to-end check scripts share: checks that are counted rather
than stopping the script, so that one run reports every failure, and commands
run with their output captured."""
import argparse
import subprocess

failures = []


def check(condition, what, detail=""):
    """Counts a failed check and says what failed; returns the condition."""
    if not condition:
        failures.append(what + (": " + detail if detail else ""))
        print("FAILED: " + what + (("\n  " + detail.replace("\n", "\n  ")) if detail else ""))
    return condition


def run(command, **kwargs):
    """Runs a command to its end; its output comes back as text."""
    return subprocess.run(command, capture_output=True, text=True, errors="replace", **kwargs)


def finish(success_line):
    """The exit code of a check script: 1 when a check failed."""
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print(success_line)
    return 0


def script_arguments(*extra):
    """The command line every end-to-end check takes (--pack, --setup, --work
    and an optional --pack-exe), with these further required options."""
    parser = argparse.ArgumentParser()
    for option in ("--pack", "--setup") + extra + ("--work",):
        parser.add_argument(option, required=True)
    parser.add_argument("--pack-exe")
    return parser.parse_args()
