#!/usr/bin/env python3
"""The confirmation window on pcscd: taken out and put back, the card enables OK.

pcscd keeps the window's exclusive handle answering SCARD_W_REMOVED_CARD after
the card is back, and refuses a fresh connect meanwhile; the window must still
see the card return. Runs kestrova-vicc behind vpcd in private namespaces like
e2e_driver.py, and is skipped (77) where that is impossible.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_driver as driver  # noqa: E402

READER = "Virtual PCD 00 00"


def check(args, daemon):
    probe = subprocess.Popen([args.probe, READER], stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, text=True, bufsize=1)
    try:
        opened = probe.stdout.readline().strip()
        if opened != "open 0":
            raise driver.Failure(f"the probe could not open the card: {opened!r}")

        def tick(expected_ok, what):
            probe.stdin.write("tick\n")
            probe.stdin.flush()
            state = probe.stdout.readline().strip()
            if not state.startswith(f"ok={expected_ok} "):
                raise driver.Failure(f"{what}: the window shows {state!r}")

        tick(0, "card in, not yet taken out")
        daemon.card("remove", READER)
        for _ in range(3):
            tick(0, "card out")
        daemon.card("insert", READER)
        tick(1, "card back")
        tick(1, "card still back")
        daemon.card("remove", READER)
        tick(0, "card out again")
        tick(0, "card still out")
        daemon.card("insert", READER)
        tick(1, "card back again")
    finally:
        probe.stdin.close()
        probe.wait(timeout=10)
    return "OK follows the card on pcscd"


def main():
    return driver.daemon_script_main("confirm_window", __doc__, check, program="--probe")


if __name__ == "__main__":
    sys.exit(main())
