"""A private WINEPREFIX for a test's Windows programs, run with the Wine
loader of their bitness, and the tally of its checks. The prefix's
wineserver is stopped by the prefix, never by name."""

import contextlib
import os
import re
import shutil
import subprocess
import tempfile
import time


SKIP = 77


def add_wine_options(parser):
    parser.add_argument("--wine", required=True,
                        help="the Wine loader of the programs' bitness (wine64, or the 32-bit wine)")
    parser.add_argument("--bits", type=int, choices=(32, 64), required=True)


def missing_loader(options):
    """Why the tests of this bitness cannot run, or None when they can."""
    if not os.access(options.wine, os.X_OK):
        package = "wine32:i386" if options.bits == 32 else "wine64"
        return (f"SKIPPED: no {options.bits}-bit Wine loader ({options.wine or 'none found'};"
                f" Debian: apt-get install {package})")
    if not loader_runs(options.wine):
        return (f"SKIPPED: the {options.bits}-bit Wine loader {options.wine} cannot run here"
                f" (this machine's kernel runs no {options.bits}-bit programs: exec format error)")
    return None


def loader_runs(loader):
    """Installed is not enough: a kernel without 32-bit support refuses to
    start the 32-bit loader at all."""
    try:
        return subprocess.run([loader, "--version"], capture_output=True,
                              timeout=60).returncode == 0
    except OSError:
        return False


def prefix_arch(bits):
    """A 64-bit prefix, where 32-bit programs run from syswow64; for 32-bit
    programs KESTROVA_WINE_PREFIX_ARCH=win32 asks for a pure 32-bit one."""
    if bits == 32 and os.environ.get("KESTROVA_WINE_PREFIX_ARCH") == "win32":
        return "win32"
    return "win64"


class Wine:
    def __init__(self, prefix, loader, arch="win64"):
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEARCH=arch,
                        WINEDLLOVERRIDES="mscoree,mshtml=;winscard=n")
        self.env.pop("DISPLAY", None)
        self.prefix = prefix
        self.loader = loader
        self.arch = arch

    def run(self, *args, timeout=120, loader=None):
        """Runs a Windows program with this prefix's loader, or another one
        (a 64-bit program in a 32-bit test)."""
        started = time.monotonic()
        done = subprocess.run([loader or self.loader, *args], env=self.env, capture_output=True,
                              timeout=timeout)
        print(f"# {os.path.basename(loader or self.loader)} {' '.join(args)}:"
              f" {time.monotonic() - started:.1f} s")
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
        subprocess.run([self.loader, "wineboot", "-i"], timeout=300, **quiet)
        # Windows without a display; the prefix's desktop must start with it.
        subprocess.run([self.loader, "reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics",
                        "/d", "null", "/f"], timeout=60, **quiet)
        self.stop()
        subprocess.run(["wineserver", "-p"], timeout=60, **quiet)
        subprocess.run([self.loader, "wineboot"], timeout=300, **quiet)

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
def private_prefix(work_dir, name, options, arch=None):
    """A fresh prefix under work_dir for programs of options.bits, run with
    options.wine (of the arch given, or the one prefix_arch chooses);
    started, then stopped and removed."""
    os.makedirs(work_dir, exist_ok=True)
    prefix = tempfile.mkdtemp(prefix=name, dir=work_dir)
    wine = Wine(prefix, options.wine, arch or prefix_arch(options.bits))
    print(f"# {options.bits}-bit programs with {options.wine} in a {wine.arch} prefix")
    try:
        wine.start()
        yield wine
    finally:
        wine.stop()
        shutil.rmtree(prefix, ignore_errors=True)
