#!/usr/bin/env python3
"""The extension as a customer gets it: the build installed by `cmake
--install` into a staging root, that root laid over /usr and /etc in a
private mount namespace (the real system is not touched), and each browser
started headless with a fresh profile and no extension flags at all.

- Chromium installs the CRX named by /usr/share/chromium/extensions/<id>.json;
  the sample bank page on the allowed origin gets window.kestrova and a whole
  session on the simulated readers (the transfer cancelled in the window)
  works; another origin gets nothing. Then a host that announces another protocol version
  (put over the installed program) makes kestrova.ready() reject with
  "HostVersion", naming both versions, and the page says so.
- Firefox ESR takes the XPI from its system extension folder, enabled by the
  installed default preferences; the same session works.

    installed_extension_test.py --build BUILD --page-dir DIR --profile JSON
        --work-dir DIR --protocol N

Runs as root (skipped otherwise). Exit status 0 passed, 1 failed, 77 skipped.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "e2e"))
sys.dont_write_bytecode = True

import e2e_driver  # noqa: E402
from e2e_driver import Failure, SKIP  # noqa: E402

try:
    import websocket  # noqa: F401
except ImportError:
    websocket = None

if websocket is not None:
    import bank_page_session as session  # noqa: E402
    from chromium_browser import BrowserError, Chromium, find_chromium  # noqa: E402
    from firefox_browser import Firefox, find_firefox  # noqa: E402
    from https_server import WebServer  # noqa: E402

SITE = "card.kestrova.example.com"
OTHER_SITE = "other.kestrova.example.com"
INSTALLED_HOST = "/usr/lib/kestrova/bin/kestrova-host"
# How long a browser may take to install the extension on its first start.
INSTALL_WAIT = 30.0
LAID_OVER = ("/usr/share", "/usr/lib", "/etc")

# A host of another protocol version: says it is ready, then waits for the
# end of its input as a host does.
OTHER_VERSION_HOST = """#!/usr/bin/python3
import json, struct, sys
length = struct.unpack("=I", sys.stdin.buffer.read(4))[0]
sys.stdin.buffer.read(length)
reply = json.dumps({"ready": True, "version": "9.8.7.6", "protocol": %d}).encode()
sys.stdout.buffer.write(struct.pack("=I", len(reply)) + reply)
sys.stdout.buffer.flush()
sys.stdin.buffer.read()
"""


def stage(args):
    """cmake --install into the work folder, with the host told to serve the
    simulated readers and cancel in its text window (a confirmed transfer
    needs the card taken out and put back, which the simulated readers of a
    host the browser starts cannot do)."""
    shutil.rmtree(args.root, ignore_errors=True)
    subprocess.run(["cmake", "--install", args.build, "--prefix", "/usr"], check=True,
                   stdout=subprocess.DEVNULL, env=dict(os.environ, DESTDIR=args.root))
    with open(os.path.join(args.root, "etc/kestrova/host.conf"), "a") as conf:
        conf.write(f"simulate={args.profile}\nui=console\nconfirm=cancel\n")
    fake = os.path.join(args.work_dir, "other-version-host")
    with open(fake, "w") as script:
        script.write(OTHER_VERSION_HOST % (args.protocol + 1))
    os.chmod(fake, 0o755)


def lay_over_system(args):
    """The staged tree over the system's folders, read-only, in this
    process's own mount namespace."""
    subprocess.run(["mount", "--make-rprivate", "/"], check=True)
    for folder in LAID_OVER:
        staged = args.root + folder
        subprocess.run(["mount", "-t", "overlay", "overlay", "-o",
                        f"lowerdir={staged}:{folder}", folder], check=True)


def open_when_installed(browser, url):
    """The page, once the browser has installed the extension and its
    content script has put window.kestrova there (reloaded until then)."""
    waited = 0.0
    while True:
        page = browser.open(url)
        try:
            page.wait_for("window.kestrova !== undefined", timeout=2.0)
            return page, waited
        except BrowserError:
            page.close()
            waited += 2.0
            if waited >= INSTALL_WAIT:
                raise Failure(f"no window.kestrova on {url} after {INSTALL_WAIT} s: "
                              "the browser did not install the extension")


def whole_session(page):
    session.open_card(page)
    session.start_transfer(page)
    session.expect_transfer_done(page, confirmed=False)


def other_version_refused(args, browser):
    fake = os.path.join(args.work_dir, "other-version-host")
    subprocess.run(["mount", "--bind", fake, INSTALLED_HOST], check=True)
    try:
        page = browser.open(f"https://{SITE}/")
        outcome = page.evaluate("kestrova.ready().then((v) => 'resolved ' + v, "
                                "(e) => [e.code, e.message])")
        if not isinstance(outcome, list) or outcome[0] != "HostVersion" \
                or "9.8.7.6" not in outcome[1] or f"protocol version {args.protocol + 1}" \
                not in outcome[1] or f"speaks {args.protocol}" not in outcome[1]:
            raise Failure(f"ready() with a host of another protocol gave {outcome}")
        status = session.wait_until_ready(page)
        if "do not fit" not in status or "9.8.7.6" not in status:
            raise Failure(f"the page says {status!r} for a host of another protocol")
        call = page.evaluate("kestrova.ListReaders().then(() => 'resolved', (e) => e.code)")
        if call != "HostVersion":
            raise Failure(f"a call on a host of another protocol gave {call!r}")
        page.close()
    finally:
        subprocess.run(["umount", INSTALLED_HOST], check=True)


def chromium(args):
    resolve = {SITE: "127.0.0.1:443", OTHER_SITE: "127.0.0.1:443"}
    os.makedirs(os.path.join(args.work_dir, "chromium"), exist_ok=True)
    with Chromium(os.path.join(args.work_dir, "chromium"), None, None, resolve) as browser:
        page, waited = open_when_installed(browser, f"https://{SITE}/")
        versions = page.evaluate("kestrova.ready().then((v) => [v.version, v.protocol])")
        if versions[1] != args.protocol:
            raise Failure(f"ready() resolved with {versions}")
        whole_session(page)
        page.close()
        page = browser.open(f"https://{OTHER_SITE}/")
        if page.evaluate("typeof window.kestrova") != "undefined":
            raise Failure(f"https://{OTHER_SITE}/ has window.kestrova")
        page.close()
        other_version_refused(args, browser)
    return f"Chromium installed and enabled it by itself (page had it after {waited:.0f} s)"


def firefox(args):
    os.makedirs(os.path.join(args.work_dir, "firefox"), exist_ok=True)
    with Firefox(os.path.join(args.work_dir, "firefox"), None, None, [SITE]) as browser:
        page, waited = open_when_installed(browser, f"https://{SITE}/")
        whole_session(page)
        page.close()
    return f"Firefox ESR installed and enabled it by itself (page had it after {waited:.0f} s)"


def inside(args):
    lay_over_system(args)
    e2e_driver.bring_loopback_up()
    reports = []
    with WebServer(args.page_dir, args.work_dir, [SITE, OTHER_SITE], port=443):
        for run in (chromium, firefox):
            try:
                reports.append(run(args))
            except (BrowserError, session.SessionFailure) as failure:
                raise Failure(f"{run.__name__}: {failure}") from failure
    return "; ".join(reports)


def unavailable():
    if websocket is None:
        return "python3-websocket is missing"
    if find_chromium() is None or find_firefox() is None:
        return "Chromium or Firefox ESR is not installed"
    if os.geteuid() != 0:
        return "needs root for a private mount namespace"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    for option in ("build", "page-dir", "profile", "work-dir"):
        parser.add_argument(f"--{option}", required=True)
    parser.add_argument("--protocol", type=int, required=True)
    parser.add_argument("--time-limit", type=int, default=150)
    args = parser.parse_args()
    for option in ("build", "page_dir", "profile", "work_dir"):
        setattr(args, option, os.path.abspath(getattr(args, option)))
    args.root = os.path.join(args.work_dir, "root")

    def out_of_time(*_):
        raise Failure(f"the test took longer than {args.time_limit} s")

    signal.signal(signal.SIGALRM, out_of_time)
    signal.signal(signal.SIGTERM, out_of_time)
    signal.alarm(args.time_limit)
    try:
        if os.environ.get(e2e_driver.INSIDE) == "1":
            print(f"browser installed_extension: {inside(args)}")
            return 0
        reason = unavailable()
        if reason is not None:
            print(f"browser installed_extension: skipped: {reason}")
            return SKIP
        os.makedirs(args.work_dir, exist_ok=True)
        stage(args)
    except Failure as failure:
        print(f"browser installed_extension: FAILED {failure}", file=sys.stderr)
        return 1
    e2e_driver.reexec_in_namespaces()
    return 1


if __name__ == "__main__":
    sys.exit(main())
