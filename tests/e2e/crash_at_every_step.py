#!/usr/bin/env python3
"""A crash at each step of a confirmed transfer, on pcscd.

A page (kestrova-host through its pipes, the text window pressing OK once it
may) connects the T=1 card and starts a transfer. At one step of it, one
party goes at once:

- the host: SIGKILL;
- the browser side: the host's input closed (the page closed);
- pcscd: SIGKILL, then a new pcscd with the same cards in its readers.

The steps: before the VERIFY, after the VERIFY, during the window, right
after the write command, after OK. kestrova-vicc's hold-after-command stops
the card right after the command named (what pcscd sends next waits), so
the crash lands between two commands of the one call, which no timing could
hit; the window is recognised by its first line on standard error.

For each row: nothing hangs (every wait has a limit; a host whose input
closed exits by itself); a new page connects, reads and makes a transfer on
the card; a page is told SNUM and TAC only for a write the person confirmed;
and the card's own transaction file, read through pcscd afterwards, holds
each record a page was told about at the place its SNUM says, with the TAC
the card key gives it. The table of what happened is printed.

The daemon runs in private namespaces as in e2e_driver.py; skipped (77)
where that is impossible.
"""

import json
import os
import select
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_driver as driver  # noqa: E402
from page_pipes import CallError, HostPage, ProcessGone, WINDOW_UP  # noqa: E402

READER = "Virtual PCD 00 01"
PIN = "654321"
CARD_KEY = "0123456789ABCDEFFEDCBA9876543210"  # the profile's default
ACCOUNTS = "0080111122223333;"
TRANSFER = "WriteRecordWithSNUMTACProc"

# (step, the hold: a command's first bytes and which one of the call)
STEPS = [
    ("before VERIFY", ("00A404", 1)),
    ("after VERIFY", ("0020", 1)),
    ("during the window", None),
    ("after the write", ("00E2", 1)),
    ("after OK", ("00A404", 2)),
]
CRASHES = ["host killed", "browser gone", "pcscd killed"]


def record(number, code="252"):
    """A transfer record of its own for each row: the amount is the row."""
    return code + "0" + f"{number:014d}" + " " * 30 + "00409876543210980080111122223333"


def empty(value):
    return value in (None, "")


class Crash:
    def __init__(self, args, daemon, number, step, hold, crash):
        self.args = args
        self.daemon = daemon
        self.number = number
        self.step = step
        self.hold = hold
        self.crash = crash
        self.vicc = daemon.viccs[READER]
        self.record = record(number)
        self.answer = "none"  # what the transfer answered, if anybody heard it
        self.told = None  # (SNUM, TAC) a page was given

    def vicc_says(self, line, wanted):
        self.vicc.process.stdin.write(line + "\n")
        self.vicc.process.stdin.flush()
        self.vicc.expect(wanted)

    def release(self):
        if self.hold is not None:
            self.vicc_says("release", "released")

    def run(self):
        page = HostPage(self.args.host, self.args.work_dir, name="crashing")
        try:
            if page.call("ConnectCard", READER) != 0:
                raise driver.Failure("the card could not be connected")
            if self.hold is not None:
                self.vicc_says("hold-after-command %s %d" % self.hold, "armed")
            since = page.errors.mark()
            number = page.request(TRANSFER, READER, "", "1003", len(self.record), self.record,
                                  PIN, "<Tag1>轉帳確認</Tag1>")
            if self.step in ("during the window", "after OK"):
                page.errors.wait_for(WINDOW_UP, since)
            if self.step == "after OK":
                self.daemon.card("remove", READER)
                self.daemon.card("insert", READER)
            if self.hold is not None:
                self.vicc.expect("held")
            getattr(self, self.crash.replace(" ", "_"))(page, number)
        finally:
            page.stop()

    def host_killed(self, page, _number):
        page.process.kill()
        page.process.wait(timeout=driver.WAIT)
        self.release()

    def browser_gone(self, page, _number):
        page.close_input()
        self.release()
        status = page.finish()
        if status != 0:
            raise driver.Failure(f"the host exited with {status} after its input closed")
        # Nobody reads it any more, but the host may still have answered.
        replies = leftover_replies(page)
        if replies:
            self.answer = f"{replies[-1].get('result')} (unread)"

    def pcscd_killed(self, page, number):
        self.daemon.kill_pcscd()
        self.release()
        for vicc in self.daemon.viccs.values():
            vicc.expect("card removed")
        self.answer = page.answer(TRANSFER, number, timeout=driver.WAIT * 2)
        snum, tac = page.call("GetRespSNUM"), page.call("GetRespTAC")
        if not empty(snum) or not empty(tac):
            self.told = (snum, tac)
        self.daemon.put_cards_back()
        page.call("DisconnectCard", READER)
        status = page.finish()
        if status != 0:
            raise driver.Failure(f"the host exited with {status}:\n"
                                 + "\n".join(page.errors.lines[-30:]))


def leftover_replies(page):
    data = page.output
    while select.select([page.process.stdout], [], [], 0)[0]:
        chunk = os.read(page.process.stdout.fileno(), 65536)
        if not chunk:
            break
        data += chunk
    replies = []
    while len(data) >= 4:
        (length,) = struct.unpack("=I", data[:4])
        replies.append(json.loads(data[4:4 + length]))
        data = data[4 + length:]
    return replies


def next_session(args, number):
    """A new page on the card after the crash: connects, reads, writes; and
    the TAC the card key gives a record, by the control's own MAC."""
    page = HostPage(args.host, args.work_dir, name="next")
    try:
        results = [page.call("ListReaders"), page.call("ConnectCard", READER),
                   page.call("ListEF1001AccountString")]
        plain = record(number, code="999")  # no window
        results.append(page.call(TRANSFER, READER, "", "1003", len(plain), plain, PIN, ""))
        if results != [0, 0, ACCOUNTS, 0]:
            raise driver.Failure(f"the next page got {results}")
        snum = page.call("GetRespSNUM")
        page.call("DisconnectCard", READER)

        def tac_of(text):
            page.call("MAC", 16, CARD_KEY, "0" * 16, len(text), text.encode().hex().upper())
            return page.call("GetRespData")

        return plain, snum, tac_of, page
    except Exception:
        page.stop()
        raise


def transaction_file(daemon):
    """The records of the card's transaction file 10 03, newest first."""
    pcsc = daemon.pcsc
    card, protocol = pcsc.connect(READER)
    try:
        for command in ("00A4040008A000000172950001", "00A40200021003"):
            if not pcsc.transmit(card, protocol, command).endswith("9000"):
                raise driver.Failure(f"{command} was refused")
        records = []
        for number in range(1, 17):
            answer = pcsc.transmit(card, protocol, f"00B2{number:02X}0400")
            if not answer.endswith("9000"):
                break
            records.append(bytes.fromhex(answer[:-4]).decode())
        return records
    finally:
        pcsc.disconnect(card)


def check(crash, args, daemon):
    plain, snum_next, tac_of, page = next_session(args, crash.number)
    try:
        records = transaction_file(daemon)
        problems = []
        if not records or records[0] != plain:
            problems.append(f"the card's newest record is not the next page's: {records[:2]}")
        written = crash.record in records
        if crash.told is not None:
            snum, tac = crash.told
            place = int(snum_next) - int(snum) if str(snum).isdigit() else -1
            if crash.step != "after OK":
                problems.append(f"SNUM {snum} and TAC {tac} for a write nobody confirmed")
            if not 0 <= place < len(records) or records[place] != crash.record:
                problems.append(f"the card holds no record {crash.record!r} for SNUM {snum}")
            if tac != tac_of(crash.record):
                problems.append(f"TAC {tac} is not the card's for the record")
        page.finish()
    finally:
        page.stop()
    told = "SNUM %s TAC %s" % crash.told if crash.told else "nothing"
    return problems, (f"{crash.crash:13} {crash.step:18} answer {str(crash.answer):22} "
                      f"told {told:35} card wrote it: {'yes' if written else 'no'}")


def crash_at_every_step(args, daemon):
    rows = []
    problems = []
    number = 0
    for crash_kind in CRASHES:
        for step, hold in STEPS:
            number += 1
            crash = Crash(args, daemon, number, step, hold, crash_kind)
            try:
                crash.run()
                found, row = check(crash, args, daemon)
            except (driver.Failure, CallError, ProcessGone) as failure:
                found, row = [str(failure)], f"{crash_kind:13} {step:18} FAILED"
            rows.append(row)
            problems += [f"{crash_kind}, {step}: {p}" for p in found]
    print("\n".join(rows), flush=True)
    if problems:
        raise driver.Failure("\n".join(problems))
    return f"{len(rows)} crashes, each ended cleanly and left the card usable"


def main():
    return driver.daemon_script_main("crash_at_every_step", __doc__, crash_at_every_step,
                                     program="--host")


if __name__ == "__main__":
    sys.exit(main())
