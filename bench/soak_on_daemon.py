#!/usr/bin/env python3
"""A day of a bank page on pcscd: thousands of sessions on one control.

Two pages run at the same time, each on its own card of
tests/e2e/vpcd-profile.json behind vpcd, on a private pcscd:

- host: one kestrova-host process driven through its pipes as a browser
  drives it (tests/e2e/page_pipes.py), on "Virtual PCD 00 01" (T=1);
- run: one `kestrova run --json -` process, on "Virtual PCD 00 00" (T=0).

Each does --sessions page sessions in a row: ListReaders, ConnectCard, the
accounts, VerifyPIN, a transfer confirmed in the text window (the card is
taken out and put back while the window waits; the window presses OK once
it may), DES and MAC, DisconnectCard (with --no-window a transfer that shows no
window, so that only the pauses set the ceiling); after each session its share of
--free-calls calls that need no card. Every session's results must equal
the first session's (the SNUM one more each time).

Printed: sessions per second against the ceilings that the required pauses
(100 ms in ConnectCard, 200 ms in DisconnectCard) and the card's trips out
and back set; resident memory and open descriptors of each process after
10 sessions, half way and at the end; pcscd's memory and descriptors before
and after; every result that differed. With --check the run fails (exit 1)
on a descriptor more at the end than after the first sessions, on resident
memory grown by more than --rss-limit KiB since then (not judged under
AddressSanitizer, whose own records grow), on a result that changed, or on pcscd keeping descriptors after both pages have gone: counts
and KiB, never a time.

The daemon runs in private namespaces as in the end-to-end tests (root).
Exit status: 0 measured (and checked), 1 failed, 77 the daemon cannot run.
"""

import argparse
import os
import sys
import threading
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
sys.dont_write_bytecode = True  # leave no cache in the tests folder

import e2e_driver as driver  # noqa: E402
from e2e_driver import Failure  # noqa: E402
from page_pipes import HostPage, RunPage, WINDOW_UP, resident_kib  # noqa: E402

PAUSES_S = 0.300  # ConnectCard's 100 ms and DisconnectCard's 200 ms
WARM_UP = 10  # sessions after which memory and descriptors must stay flat
KEY = "0123456789ABCDEF"
BLOCK = "4E6F772069732074"
TRIPLE_KEY = "0123456789ABCDEFFEDCBA9876543210"
# A transfer (code 252) that the window shows: amount, payee, bank.
RECORD = "252000000000123456" + " " * 30 + "00409876543210980080111122223333"
# The same without a window (code 999), for --no-window.
PLAIN_RECORD = "999" + RECORD[3:]
MESSAGE = "<Tag1>轉帳確認</Tag1><Tag6>轉入帳號</Tag6>"
CARDS = {"Virtual PCD 00 00": "123456", "Virtual PCD 00 01": "654321"}
FREE_CALLS = [
    ("GetAPIVersion",), ("DES", 1, 8, KEY, "3FA40E8A984D4815"), ("GetRespData",),
    ("ConvertHexToInt", 2, "FF"), ("MAC", 16, TRIPLE_KEY, "0000000000000000", 8, BLOCK),
    ("GetRespData",), ("GetReaderName", 7), ("GetLastError",),
]


def session_calls(reader):
    """The session's calls; None stands for the transfer with its window."""
    pin = CARDS[reader]
    return [
        ("ListReaders",), ("GetReaderNumber",), ("GetReaderName", 0), ("ConnectCard", reader),
        ("GetCardStatus",), ("ListEF1001Accounts",), ("ListEF1001AccountString",),
        ("GetIssuerBank",), ("ReadCardSN",), ("VerifyPIN", reader, "", pin), ("GetLastError",),
        None, ("GetRespSNUM",), ("GetRespTAC",), ("GetTransactionAccount",),
        ("DES", 0, 8, KEY, BLOCK), ("GetRespData",),
        ("MAC", 16, TRIPLE_KEY, "0000000000000000", 8, BLOCK), ("GetRespData",),
        ("DisconnectCard", reader),
    ]


class Soak:
    """One page's sessions, with what they measured."""

    def __init__(self, name, page, reader, daemon, args):
        self.name = name
        self.page = page
        self.reader = reader
        self.daemon = daemon
        self.sessions = args.sessions
        self.free_per_session = max(1, args.free_calls // args.sessions)
        self.checkpoints = sorted({min(WARM_UP, args.sessions), args.sessions // 2,
                                   args.sessions} - {0})
        self.measured = {}  # session: (rss KiB, descriptors)
        self.first = None
        self.first_free = None
        self.differences = []
        self.elapsed = 0.0
        self.card_trips = 0.0  # from the window's start until the card was back
        self.free_elapsed = 0.0
        self.free_calls = 0
        self.failure = None
        self.sanitized = False
        self.plain = args.no_window

    def transfer(self, pcsc):
        if self.plain:
            return self.page.call("WriteRecordWithSNUMTACProc", self.reader, "", "1003",
                                  len(PLAIN_RECORD), PLAIN_RECORD, CARDS[self.reader], "")
        errors = self.page.errors
        since = errors.mark()
        number = self.page.request("WriteRecordWithSNUMTACProc", self.reader, "", "1003",
                                   len(RECORD), RECORD, CARDS[self.reader], MESSAGE)
        errors.wait_for(WINDOW_UP, since)
        started = time.monotonic()
        vicc = self.daemon.viccs[self.reader]
        vicc.command("remove")
        pcsc.wait_for_card(self.reader, present=False)
        vicc.command("insert")
        pcsc.wait_for_card(self.reader, present=True)
        self.card_trips += time.monotonic() - started
        return self.page.answer("WriteRecordWithSNUMTACProc", number)

    def one_session(self, pcsc):
        results = []
        for call in session_calls(self.reader):
            if call is None:
                results.append(("WriteRecordWithSNUMTACProc", self.transfer(pcsc)))
            else:
                results.append((call[0], self.page.call(*call)))
        return results

    def compare(self, number, results):
        for index, ((method, got), (_, first)) in enumerate(zip(results, self.first)):
            wanted = first
            if method == "GetRespSNUM" and isinstance(first, str) and first.isdigit():
                wanted = f"{int(first) + number - 1:0{len(first)}d}"
            if got != wanted:
                self.differences.append(f"session {number}, call {index + 1} {method}: "
                                        f"{got!r}, first session {wanted!r}")

    def free(self, number):
        started = time.monotonic()
        results = [self.page.call(*FREE_CALLS[i % len(FREE_CALLS)])
                   for i in range(self.free_per_session)]
        self.free_elapsed += time.monotonic() - started
        self.free_calls += len(results)
        if self.first_free is None:
            self.first_free = results
        elif results != self.first_free:
            self.differences.append(f"session {number}: the calls without a card gave "
                                    f"{results}, first {self.first_free}")

    def run(self):
        pcsc = driver.Pcsc()
        try:
            started = time.monotonic()
            for number in range(1, self.sessions + 1):
                results = self.one_session(pcsc)
                if self.first is None:
                    self.first = results
                else:
                    self.compare(number, results)
                self.free(number)
                if number in self.checkpoints:
                    self.measured[number] = resident_kib(self.page.pid)
                    self.sanitized = under_sanitizer(self.page.pid)
            self.elapsed = time.monotonic() - started
            status = self.page.finish()
            if status != 0:
                raise Failure(f"{self.name} exited with {status}")
        except Failure as failure:
            self.failure = failure
        finally:
            pcsc.close()
            self.page.stop()

    def session_seconds(self):
        return (self.elapsed - self.free_elapsed) / self.sessions


def pcscd_usage(daemon):
    return resident_kib(daemon.pcscd.pid)


def settled_pcscd_descriptors(daemon, wanted):
    """pcscd closes a gone client's socket by itself a little later."""
    deadline = time.monotonic() + driver.WAIT
    descriptors = pcscd_usage(daemon)[1]
    while descriptors > wanted and time.monotonic() < deadline:
        time.sleep(0.1)
        descriptors = pcscd_usage(daemon)[1]
    return descriptors


def report(soaks, pcscd_before, pcscd_after):
    lines = [f"{'page':6} {'sessions':>8} {'s/session':>9} {'card trip':>9} {'pauses':>6} "
             f"{'rest':>6} {'sessions/s':>10} {'ceiling':>7} {'of it':>6} {'free calls/s':>12}"]
    for soak in soaks:
        per_session = soak.session_seconds()
        trip = soak.card_trips / soak.sessions
        ceiling = 1 / (PAUSES_S + trip)
        lines.append(
            f"{soak.name:6} {soak.sessions:8} {per_session:9.3f} {trip:9.3f} {PAUSES_S:6.3f} "
            f"{per_session - trip - PAUSES_S:6.3f} {1 / per_session:10.3f} {ceiling:7.3f} "
            f"{100 / per_session / ceiling:5.1f}% "
            f"{soak.free_calls / max(soak.free_elapsed, 1e-9):12.0f}")
    lines.append(f"(ceiling: 1 / (the {PAUSES_S * 1000:.0f} ms of required pauses + the card's "
                 f"trip out and back); the pauses alone allow {1 / PAUSES_S:.2f} sessions/s)")
    lines.append("")
    lines.append(f"{'page':6} " + " ".join(f"{'after ' + str(n):>18}" for n in soaks[0].checkpoints))
    for soak in soaks:
        lines.append(f"{soak.name:6} " + " ".join(
            f"{soak.measured[n][0]:>9} KiB {soak.measured[n][1]:>3} fd"
            for n in soak.checkpoints))
    lines.append(f"pcscd  before {pcscd_before[0]} KiB {pcscd_before[1]} fd, "
                 f"after {pcscd_after[0]} KiB {pcscd_after[1]} fd")
    for soak in soaks:
        lines.append(f"{soak.name}: {len(soak.differences)} results differ from the first "
                     "session's" + "".join("\n  " + d for d in soak.differences[:20]))
    return "\n".join(lines)


def under_sanitizer(pid):
    """AddressSanitizer keeps freed memory in quarantine and grows its own
    records of allocation sites: resident memory says nothing there."""
    with open(f"/proc/{pid}/maps") as maps:
        return "libasan" in maps.read()


def problems(soaks, pcscd_before, pcscd_after, rss_limit):
    found = []
    for soak in soaks:
        base, end = soak.measured[soak.checkpoints[0]], soak.measured[soak.checkpoints[-1]]
        if end[1] > base[1]:
            found.append(f"{soak.name}: {end[1] - base[1]} descriptors more after "
                         f"{soak.checkpoints[-1]} sessions than after {soak.checkpoints[0]}")
        if soak.sanitized:
            print(f"{soak.name}: resident memory not judged under AddressSanitizer", flush=True)
        elif end[0] - base[0] > rss_limit:
            found.append(f"{soak.name}: resident memory grew by {end[0] - base[0]} KiB from "
                         f"session {soak.checkpoints[0]} to {soak.checkpoints[-1]}")
        if soak.differences:
            found.append(f"{soak.name}: {len(soak.differences)} results changed")
    if pcscd_after[1] > pcscd_before[1]:
        found.append(f"pcscd holds {pcscd_after[1] - pcscd_before[1]} descriptors more after "
                     "both pages have gone")
    return found


def soak(args, daemon):
    pcscd_before = pcscd_usage(daemon)
    soaks = [Soak("host", HostPage(args.host, args.work_dir), "Virtual PCD 00 01", daemon, args),
             Soak("run", RunPage(args.kestrova), "Virtual PCD 00 00", daemon, args)]
    threads = [threading.Thread(target=s.run) for s in soaks]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for s in soaks:
        if s.failure is not None:
            raise Failure(f"{s.name}: {s.failure}")
    pcscd_after = (pcscd_usage(daemon)[0], settled_pcscd_descriptors(daemon, pcscd_before[1]))
    print(report(soaks, pcscd_before, pcscd_after), flush=True)
    if args.check:
        found = problems(soaks, pcscd_before, pcscd_after, args.rss_limit)
        if found:
            raise Failure("; ".join(found))
    return (f"{args.sessions} sessions and {soaks[0].free_calls} calls without a card on each "
            "page" + (", memory, descriptors and results flat" if args.check else ""))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--kestrova", required=True)
    parser.add_argument("--host", required=True, help="kestrova-host")
    parser.add_argument("--vicc", required=True)
    parser.add_argument("--profile", default=os.path.join(REPO, "tests", "e2e",
                                                          "vpcd-profile.json"))
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--sessions", type=int, default=2000)
    parser.add_argument("--free-calls", type=int, default=20000)
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--no-window", action="store_true",
                        help="a transfer that shows no window: only the pauses set the ceiling")
    parser.add_argument("--rss-limit", type=int, default=300, help="KiB")
    args = parser.parse_args()
    args.case = "soak"
    return driver.daemon_check_main(args, soak)


if __name__ == "__main__":
    sys.exit(main())
