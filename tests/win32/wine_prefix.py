"""A private WINEPREFIX for a test's Windows programs, and the tally of its
checks. The prefix's wineserver is stopped by the prefix, never by name."""

import contextlib
import os
import re
import shutil
import subprocess
import tempfile
import time


class Wine:
    def __init__(self, prefix):
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winscard=n")
        self.env.pop("DISPLAY", None)
        self.prefix = prefix

    def run(self, *args, timeout=120):
        started = time.monotonic()
        done = subprocess.run(["wine", *args], env=self.env, capture_output=True,
                              timeout=timeout)
        print(f"# wine {' '.join(args)}: {time.monotonic() - started:.1f} s")
        return done.returncode, done.stdout.decode("utf-8", "replace").replace("\r\n", "\n")

    def drive_c(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)

    def start(self):
        """A persistent wineserver and the prefix's services, started with no
        pipe of ours: a wine call that writes to a pipe otherwise waits for
        every process that inherited it, services included."""
        quiet = {"env": self.env, "stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
                 "stderr": subprocess.DEVNULL}
        subprocess.run(["wineserver", "-p"], timeout=60, **quiet)
        subprocess.run(["wine", "wineboot", "-i"], timeout=300, **quiet)
        # Windows without a display; the prefix's desktop must start with it.
        subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics",
                        "/d", "null", "/f"], timeout=60, **quiet)
        self.stop()
        subprocess.run(["wineserver", "-p"], timeout=60, **quiet)
        subprocess.run(["wine", "wineboot"], timeout=300, **quiet)

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=60)


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, name, detail=""):
        if ok:
            self.passed += 1
            print(f"ok {name}")
        else:
            self.failed += 1
            print(f"FAIL {name}: {detail}")

    def script_summary(self, name, output):
        """The last line of a page script: 'N passed, N failed'."""
        print(output.rstrip())
        summary = re.search(r"^(\d+) passed, (\d+) failed$", output, re.M)
        self.check(summary is not None and int(summary[1]) > 0 and summary[2] == "0",
                   name, summary[0] if summary else "no summary line")


@contextlib.contextmanager
def private_prefix(work_dir, name):
    """A fresh prefix under work_dir, started, then stopped and removed."""
    os.makedirs(work_dir, exist_ok=True)
    prefix = tempfile.mkdtemp(prefix=name, dir=work_dir)
    wine = Wine(prefix)
    try:
        wine.start()
        yield wine
    finally:
        wine.stop()
        shutil.rmtree(prefix, ignore_errors=True)
