#!/usr/bin/env python3
"""The sample bank page in the browsers, through the extension and the host.

Each case starts its own web server (https and http on one port, with a
certificate made for the run), its own browser with the unpacked extension
and a host manifest naming a wrapper of kestrova-host (the wrapper records
each start and passes the case's host options), and stops them by process id.

  chromium_simulated  the page's whole session on the simulated readers, the
                      transfer cancelled in the window; the results equal
                      kestrova run's for the same calls; wrong calls get
                      their errors; the host exits when the page is closed
  chromium_refusals   another host, http, the right host on another port: no
                      window.kestrova and no host started; without the host
                      installed the page says so
  chromium_daemon     on pcscd with the virtual card behind vpcd: a transfer
                      confirmed with the card taken out and put back while the
                      window waits, a cancelled one, and a page closed while
                      the window waits (the host exits, the card is free, and
                      a new page tells a person when the card is missing);
                      the results equal kestrova run's on the same daemon
  firefox_daemon      the confirmed transfer's session in Firefox ESR

The daemon cases run in the private namespaces of tests/e2e/e2e_driver.py
(root); Firefox's server listens on 443 there. Exit status: 0 passed,
1 failed, 77 skipped (no browser, no python3-websocket, no root).
"""

import argparse
import ctypes
import os
import shutil
import signal
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "e2e"))
sys.dont_write_bytecode = True  # leave no cache in the source folders

import e2e_driver  # noqa: E402
from e2e_driver import Failure, SKIP  # noqa: E402

try:
    import websocket  # noqa: F401  (python3-websocket drives both browsers)
except ImportError:
    websocket = None

if websocket is not None:
    import bank_page_session as session  # noqa: E402
    from chromium_browser import BrowserError, Chromium, find_chromium  # noqa: E402
    from firefox_browser import Firefox, find_firefox  # noqa: E402
    from https_server import WebServer  # noqa: E402

SITE = "card.kestrova.example.com"
OTHER_SITE = "other.kestrova.example.com"
WAIT = 15.0
SCARD_SHARE_EXCLUSIVE = 1
# What the host's text window writes when it opens.
WINDOW_SHOWN = "OK disabled"
# Long enough for the window's polling to see the card out of the reader.
WINDOW_NOTICES = 0.6
# The same card moves in `kestrova run`, timed from the transfer's call.
REMOVE_AFTER = 1.5
INSERT_AFTER = 3.0


class HostWrapper:
    """The program the host manifest names: records its process id, then
    runs kestrova-host with the case's options and the browser's arguments."""

    def __init__(self, args):
        self.host = args.host
        self.path = os.path.join(args.work_dir, "kestrova-host-wrapper")
        self.starts = os.path.join(args.work_dir, "host-starts")
        self.log = os.path.join(args.work_dir, "host-stderr")
        for path in (self.starts, self.log):
            open(path, "w").close()

    def use(self, *options):
        """Options for the hosts started from now on."""
        quoted = " ".join(f"'{option}'" for option in options)
        with open(self.path + ".new", "w") as script:
            script.write(f"#!/bin/sh\necho $$ >> '{self.starts}'\n"
                         f"exec '{self.host}' {quoted} \"$@\" 2>> '{self.log}'\n")
        os.chmod(self.path + ".new", 0o755)
        os.replace(self.path + ".new", self.path)

    def started(self):
        with open(self.starts) as starts:
            return [int(line) for line in starts if line.strip()]

    def stderr(self):
        with open(self.log, encoding="utf-8", errors="replace") as log:
            return log.read()

    def chromium_manifest(self, args):
        return {"name": args.host_name, "description": "Kestrova", "path": self.path,
                "type": "stdio", "allowed_origins": [f"chrome-extension://{args.chromium_id}/"]}

    def firefox_manifest(self, args):
        return {"name": args.host_name, "description": "Kestrova", "path": self.path,
                "type": "stdio", "allowed_extensions": [args.gecko_id]}


def wait_for_exit(pid, what):
    """Until the process has ended (gone, or a zombie left to its parent)."""
    deadline = time.monotonic() + WAIT
    while time.monotonic() < deadline:
        try:
            with open(f"/proc/{pid}/stat") as stat:
                if stat.read().rsplit(")", 1)[1].split()[0] == "Z":
                    return
        except (FileNotFoundError, ProcessLookupError):  # gone between open and read
            return
        time.sleep(0.05)
    raise Failure(f"{what}: the host (process {pid}) did not exit")


def wait_for_window(wrapper, count):
    """Until the host's text window has been shown `count` times."""
    deadline = time.monotonic() + WAIT
    while wrapper.stderr().count(WINDOW_SHOWN) < count:
        if time.monotonic() > deadline:
            raise Failure("the confirmation window did not open; the host wrote:\n"
                          + wrapper.stderr())
        time.sleep(0.05)


def wait_until_card_free(daemon):
    """Until pcscd lets another program have the card to itself."""
    pcsc = daemon.pcsc
    card, protocol = ctypes.c_long(0), ctypes.c_ulong(0)
    both = e2e_driver.SCARD_PROTOCOL_T0 | e2e_driver.SCARD_PROTOCOL_T1
    deadline = time.monotonic() + WAIT
    while True:
        result = pcsc.lib.SCardConnect(pcsc.context, session.READER.encode(),
                                       SCARD_SHARE_EXCLUSIVE, both, ctypes.byref(card),
                                       ctypes.byref(protocol))
        if result == 0:
            pcsc.disconnect(card)
            return
        if time.monotonic() > deadline:
            raise Failure(f"the card is still held (0x{result & 0xFFFFFFFF:08X})")
        time.sleep(0.1)


def chromium(args, wrapper, port, manifest=True):
    resolve = {SITE: f"127.0.0.1:{port}", OTHER_SITE: f"127.0.0.1:{port}"}
    return Chromium(args.work_dir, args.extension,
                    wrapper.chromium_manifest(args) if manifest else None, resolve)


def compare(args, log, confirm):
    """The page's calls once more through `kestrova run` on the simulated
    service: every result must be the page's."""
    return session.compare_with_kestrova_run(args.kestrova, args.profile, log,
                                             ["--ui", "console", "--confirm", confirm])


def compare_on_daemon(args, daemon, log, confirm, moves=False):
    """The page's calls once more through `kestrova run` on the same pcscd,
    on fresh cards (a new kestrova-vicc each), with the card moved as it was
    while the page's window waited: every result must be the page's."""
    for reader in list(daemon.viccs):
        daemon.viccs[reader].stop(daemon.log)
        daemon.pcsc.wait_for_card(reader, present=False)
        daemon.viccs[reader] = e2e_driver.Vicc(args, reader, daemon.log)
        daemon.pcsc.wait_for_card(reader, present=True)
    case = e2e_driver.Case()
    case.options = ["--ui", "console", "--confirm", confirm]
    case.stderr = []  # the text window writes there; nothing is required
    pins = iter(session.typed_pins(log))
    write = session.index_of(log, "WriteRecordWithSNUMTACProc") if moves else None
    for index, entry in enumerate(log):
        if "result" not in entry:
            raise Failure(f"the page's call {entry['method']} failed: {entry['error']}")
        if index == write:
            case.steps += [e2e_driver.Step(index, ":card", directive=(word, session.READER, delay))
                           for word, delay in (("remove", REMOVE_AFTER),
                                               ("insert", INSERT_AFTER))]
        result = session.call_syntax(entry["result"])
        case.steps.append(
            e2e_driver.Step(index + 1, session.call_line(entry, pins), result, result))
    path = os.path.join(args.work_dir, "page-calls.kscript")
    with open(path, "w", encoding="utf-8") as script:
        script.writelines(step.text + "\n" for step in case.steps if step.directive is None)
    printed, _ = e2e_driver.run_on_daemon(args, daemon, case, path)
    e2e_driver.check_output("daemon", case.steps, printed)
    return len(log)


def close_and_expect_exit(page, wrapper, what):
    pid = wrapper.started()[-1]
    page.close()
    wait_for_exit(pid, what)


# ---------------------------------------------------------------- cases

# Calls a page makes wrongly, each answered on its own, the connection kept.
PAGE_API_MISTAKES = [
    ("kestrova.call('NoSuchMethod')", {"error": -2147352570}),  # unknown name
    ("kestrova.GetReaderName()", {"error": -2147352562}),  # bad parameter count
    ("kestrova.GetReaderName([0])", {"error": "Refused"}),  # not a value a page passes
    ("kestrova.GetReaderName('x'.repeat(1 << 20))", {"error": "Refused"}),  # over 1 MiB
    ("kestrova.GetReaderName(0)", {"result": session.READER}),
]


def check_page_api_mistakes(page):
    for expression, wanted in PAGE_API_MISTAKES:
        outcome = page.evaluate(f"{expression}.then((result) => ({{ result }}), "
                                "(error) => ({ error: error.code }))")
        if outcome != wanted:
            raise Failure(f"{expression} gave {outcome}, not {wanted}")


def chromium_simulated(args):
    wrapper = HostWrapper(args)
    wrapper.use(f"--simulate={args.profile}", "--ui=console", "--confirm=cancel")
    with WebServer(args.page_dir, args.work_dir, [SITE]) as server, \
            chromium(args, wrapper, server.port) as browser:
        page = browser.open(f"https://{SITE}/")
        session.open_card(page)
        session.start_transfer(page)
        session.expect_transfer_done(page, confirmed=False)
        log = session.call_log(page)
        check_page_api_mistakes(page)
        close_and_expect_exit(page, wrapper, "page closed")
    if len(wrapper.started()) != 1:
        raise Failure(f"one page started {len(wrapper.started())} hosts")
    calls = compare(args, log, "cancel")
    return f"{calls} calls gave kestrova run's results; the host exited with the page"


def chromium_refusals(args):
    wrapper = HostWrapper(args)
    wrapper.use(f"--simulate={args.profile}")
    refused = [f"https://{OTHER_SITE}/", f"http://{SITE}/", f"https://{SITE}:8443/"]
    with WebServer(args.page_dir, args.work_dir, [SITE, OTHER_SITE]) as server:
        with chromium(args, wrapper, server.port) as browser:
            for url in refused:
                page = browser.open(url)
                if page.evaluate("typeof window.kestrova") != "undefined":
                    raise Failure(f"{url} has window.kestrova")
                if url.endswith(":8443/"):
                    call_from_content_script_world(page)
                page.close()
            # The same browser does reach the host from the allowed origin.
            page = browser.open(f"https://{SITE}/")
            status = session.wait_until_ready(page)
            if not status.endswith(" is ready."):
                raise Failure(f"the allowed page says {status!r}")
            page.close()
        if len(wrapper.started()) != 1:
            raise Failure(f"{len(wrapper.started())} hosts started, not only the allowed "
                          "page's one")
        with chromium(args, wrapper, server.port, manifest=False) as browser:
            page = browser.open(f"https://{SITE}/")
            status = session.wait_until_ready(page)
            if "Kestrova itself is not installed" not in status:
                raise Failure(f"without the host the page says {status!r}")
            code = page.evaluate("kestrova.ListReaders().then(() => 'resolved', (e) => e.code)")
            if code != "NotInstalled":
                raise Failure(f"a call without the host gave {code!r}")
    return f"{len(refused)} other origins saw no window.kestrova and started no host"


def chromium_popup(args):
    """The action's popup for a bank page shows the host's versions and the
    readers; for another site it says that it is not a bank page. Opened as
    a page of its own, naming the tab it describes."""
    wrapper = HostWrapper(args)
    host_log = os.path.join(args.work_dir, "popup-host.log")
    open(host_log, "w").close()
    wrapper.use(f"--simulate={args.profile}")
    with WebServer(args.page_dir, args.work_dir, [SITE, OTHER_SITE]) as server, \
            chromium(args, wrapper, server.port) as browser:
        bank = browser.open(f"https://{SITE}/")
        session.wait_until_ready(bank)
        # Only the popup's hosts keep a log.
        wrapper.use(f"--simulate={args.profile}", f"--log={host_log}")
        other = browser.open(f"https://{OTHER_SITE}/")
        popup_url = f"chrome-extension://{args.chromium_id}/popup.html"
        finder = browser.open(popup_url)
        tabs = finder.evaluate("chrome.tabs.query({}).then((tabs) => tabs.map("
                               "(t) => [t.id, t.url ?? null]))")
        bank_tab = next(tab for tab, url in tabs if url and url.startswith(f"https://{SITE}"))
        other_tab = next(tab for tab, url in tabs
                         if tab != bank_tab and not (url or "").startswith("chrome-extension:"))
        finder.close()
        shown = {}
        for name, tab in (("bank", bank_tab), ("other", other_tab)):
            popup = browser.open(f"{popup_url}?tab={tab}")
            popup.wait_for("document.getElementById('readers').textContent !== '…'")
            shown[name] = popup.evaluate(
                "({page: page.textContent, host: host.textContent, readers: readers.textContent,"
                " report: document.getElementById('report').textContent})")
            popup.close()
        bank.close()
        other.close()
    expect_in = [
        ("bank", "page", f"https://{SITE}: a bank page Kestrova serves"),
        ("bank", "host", f"answers: version {args.version}, protocol {args.protocol}"),
        ("bank", "readers", "2 connected, 2 with a card in it"),
        ("other", "page", "not a bank page"),
        ("other", "host", f"answers: version {args.version}, protocol {args.protocol}"),
        ("bank", "report", "Card readers: 2 connected"),
    ]
    for name, field, text in expect_in:
        if text not in shown[name][field]:
            raise Failure(f"the popup for the {name} page shows {field} {shown[name][field]!r}, "
                          f"not {text!r}")
    with open(host_log, encoding="utf-8") as log:
        logged = log.read()
    # The popup of the bank page asked for the status; no popup made a call.
    if logged.count("status: ") != 1 or "call: " in logged:
        raise Failure(f"the popup's hosts logged:\n{logged}")
    return "the popup tells a bank page from another and shows the host's versions and readers"


def call_from_content_script_world(page):
    """The content script runs on the right host's other port too (match
    patterns ignore ports) and declines; a port opened from its world anyway
    must be closed by the background without starting a host."""
    world = page.extension_world("Kestrova")
    outcome = page.evaluate("""new Promise((resolve) => {
        const port = chrome.runtime.connect({ name: "kestrova-page" });
        port.onMessage.addListener((message) => resolve("answered " + JSON.stringify(message)));
        port.onDisconnect.addListener(() => resolve("disconnected"));
        port.postMessage({ id: 1, method: "ListReaders", args: [] });
    })""", context=world)
    if outcome != "disconnected":
        raise Failure(f"a port from the page on another port was {outcome}")


def transfer_with_card_moves(daemon, page, wrapper):
    """Once the window is open, the card goes out and comes back in."""
    windows = wrapper.stderr().count(WINDOW_SHOWN)
    session.start_transfer(page)
    wait_for_window(wrapper, windows + 1)
    daemon.card("remove", session.READER)
    time.sleep(WINDOW_NOTICES)
    daemon.card("insert", session.READER)
    session.expect_transfer_done(page, confirmed=True)


def use_card_taken_out_and_back(page, daemon):
    """What a person sees using a reader without the card, then with it."""
    session.wait_until_ready(page)
    session.step(page, "list-readers")
    session.fill(page, "reader", session.READER)
    daemon.card("remove", session.READER)
    session.expect("without the card", session.step(page, "connect"),
                   "There is no card in the reader. Insert your card. (code 0x8010000C)")
    daemon.card("insert", session.READER)
    session.expect("with the card back", session.step(page, "connect"),
                   f"Your card in {session.READER} is ready.")


def chromium_daemon(args, daemon):
    wrapper = HostWrapper(args)
    with WebServer(args.page_dir, args.work_dir, [SITE]) as server, \
            chromium(args, wrapper, server.port) as browser:
        wrapper.use("--ui=console", "--confirm=ok")
        page = browser.open(f"https://{SITE}/")
        session.open_card(page)
        transfer_with_card_moves(daemon, page, wrapper)
        confirmed = session.call_log(page)
        close_and_expect_exit(page, wrapper, "confirmed transfer")

        wrapper.use("--ui=console", "--confirm=cancel")
        page = browser.open(f"https://{SITE}/")
        session.open_card(page)
        session.start_transfer(page)
        session.expect_transfer_done(page, confirmed=False)
        cancelled = session.call_log(page)
        close_and_expect_exit(page, wrapper, "cancelled transfer")

        # Nobody answers this window: the page goes away while it waits.
        wrapper.use("--ui=console", "--confirm=ok")
        page = browser.open(f"https://{SITE}/")
        session.open_card(page)
        windows = wrapper.stderr().count(WINDOW_SHOWN)
        session.start_transfer(page)
        wait_for_window(wrapper, windows + 1)
        close_and_expect_exit(page, wrapper, "page closed during the window")
        wait_until_card_free(daemon)
        page = browser.open(f"https://{SITE}/")
        use_card_taken_out_and_back(page, daemon)
        page.close()
    calls = compare_on_daemon(args, daemon, confirmed, "ok", moves=True)
    calls += compare_on_daemon(args, daemon, cancelled, "cancel")
    return (f"{calls} calls gave kestrova run's results; the host of a page closed during "
            "the window exited")


def firefox_daemon(args, daemon):
    wrapper = HostWrapper(args)
    wrapper.use("--ui=console", "--confirm=ok")
    with WebServer(args.page_dir, args.work_dir, [SITE], port=443), \
            Firefox(args.work_dir, args.extension, wrapper.firefox_manifest(args),
                    [SITE]) as browser:
        page = browser.open(f"https://{SITE}/")
        session.open_card(page)
        transfer_with_card_moves(daemon, page, wrapper)
        log = session.call_log(page)
        close_and_expect_exit(page, wrapper, "page closed")
    calls = compare_on_daemon(args, daemon, log, "ok", moves=True)
    return f"{calls} calls in Firefox gave kestrova run's results"


CASES = {"chromium_simulated": (chromium_simulated, False),
         "chromium_refusals": (chromium_refusals, False),
         "chromium_daemon": (chromium_daemon, True),
         "firefox_daemon": (firefox_daemon, True),
         "chromium_popup": (chromium_popup, False)}


def unavailable(args):
    if websocket is None:
        return "python3-websocket is missing (apt-get install python3-websocket)"
    if shutil.which("openssl") is None:
        return "openssl is missing"
    find = find_firefox if args.case.startswith("firefox") else find_chromium
    if find() is None:
        return "the browser is not installed (scripts/install-deps.sh)"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--case", required=True, choices=CASES)
    for option in ("host", "kestrova", "vicc", "extension", "page-dir", "profile",
                   "work-dir", "host-name", "chromium-id", "gecko-id"):
        parser.add_argument(f"--{option}", required=True)
    parser.add_argument("--time-limit", type=int, default=150)
    parser.add_argument("--version", default="", help="the host's product version")
    parser.add_argument("--protocol", default="", help="the host's protocol version")
    args = parser.parse_args()
    # The browser starts the host in a folder of its own choosing.
    for option in ("host", "kestrova", "vicc", "extension", "page_dir", "profile", "work_dir"):
        setattr(args, option, os.path.abspath(getattr(args, option)))
    args.work_dir = os.path.join(args.work_dir, args.case)
    os.makedirs(args.work_dir, exist_ok=True)
    run, on_daemon = CASES[args.case]
    reason = unavailable(args)
    if reason is not None:
        print(f"browser {args.case}: skipped: {reason}")
        return SKIP

    def out_of_time(*_):
        raise Failure(f"the case took longer than {args.time_limit} s")

    signal.signal(signal.SIGALRM, out_of_time)
    signal.signal(signal.SIGTERM, out_of_time)
    signal.alarm(args.time_limit)
    if on_daemon:
        return e2e_driver.daemon_check_main(args, lambda *both: as_failure(run, *both))
    try:
        print(f"browser {args.case}: {as_failure(run, args)}")
        return 0
    except Failure as failure:
        print(f"browser {args.case}: FAILED {failure}", file=sys.stderr)
        return 1


def as_failure(run, *arguments):
    """The browser's and the session's failures, as the driver reports them."""
    try:
        return run(*arguments)
    except (BrowserError, session.SessionFailure) as failure:
        raise Failure(str(failure)) from failure


if __name__ == "__main__":
    sys.exit(main())
