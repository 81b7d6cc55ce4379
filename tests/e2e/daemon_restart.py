#!/usr/bin/env python3
"""pcscd restarted while a page is open, on a daemon of its own.

A page connects the T=0 card and reads it; pcscd is then stopped and started
again (its readers and cards come back). The page's next calls must
establish a new context and work, starting with the first one after the
restart, without the page doing anything special. The card handle of the old
daemon is gone with it, so the page connects again, as after any loss of its
card. The daemon runs in private namespaces as in e2e_driver.py; skipped (77)
where that is impossible.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_driver as driver  # noqa: E402

READER = "Virtual PCD 00 00"
SERIAL = '"8886000012345678"'

# (call, what it must print); None marks the restart.
SESSION = [
    ("ListReaders()", "0"),
    (f'ConnectCard("{READER}")', "0"),
    ("ReadCardSN()", SERIAL),
    None,
    ("ListReaders()", "0"),
    ("GetReaderNumber()", "2"),
    (f'ConnectCard("{READER}")', "0"),
    ("ReadCardSN()", SERIAL),
    None,
    # Straight to the card this time: the connect is the first call.
    (f'ConnectCard("{READER}")', "0"),
    ("ReadCardSN()", SERIAL),
    (f'DisconnectCard("{READER}")', "0"),
]


def restart_session(args, daemon):
    shell = subprocess.Popen(
        [args.kestrova, "shell", "--page-url", driver.PAGE_URL], stdin=subprocess.PIPE,
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, preexec_fn=driver.die_with_parent)
    written = []
    restarts = 0
    try:
        driver.read_until_prompt(shell, written)
        for step in SESSION:
            if step is None:
                daemon.restart()
                restarts += 1
                continue
            call, wanted = step
            shell.stdin.write(call.encode() + b"\n")
            shell.stdin.flush()
            printed = driver.read_until_prompt(shell, written)
            result = printed[-1].rpartition(" -> ")[2] if printed else None
            if result != wanted:
                raise driver.Failure(f"after {restarts} restarts {call} printed {printed}, "
                                     f"not {wanted}")
        shell.stdin.close()
        shell.wait(timeout=driver.WAIT)
    finally:
        driver.stop(shell, "kestrova shell")
    return f"{len(SESSION) - restarts} calls across {restarts} restarts of pcscd gave their results"


def main():
    return driver.daemon_script_main("daemon_restart", __doc__, restart_session)


if __name__ == "__main__":
    sys.exit(main())
