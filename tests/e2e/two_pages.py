#!/usr/bin/env python3
"""Two pages of the bank at once (two tabs: two kestrova-host processes) on
one reader of pcscd.

Page A connects the card, which holds it exclusively until A disconnects.
While A holds it, once between two of A's calls and once while A's
confirmation window waits for the card to go out and back, page B lists the
readers, connects, reads the accounts and the serial number, verifies a PIN
and tries a transfer. What each page sees:

- B lists the readers as usual: listing needs no card;
- B's ConnectCard answers SCARD_E_SHARING_VIOLATION (0x8010000B), and every
  card call after it fails with an error of its own, never a result: B gets
  no account, no serial number, no card status, and never A's SNUM or TAC;
- A's transfer completes as if B were not there: OK, its SNUM and TAC, the
  record on the card;
- once A has disconnected, B's next ConnectCard works, and so do its reads
  and its transfer (the card's next SNUM).

The daemon runs in private namespaces as in e2e_driver.py; skipped (77)
where that is impossible.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_driver as driver  # noqa: E402
from page_pipes import HostPage, WINDOW_UP  # noqa: E402
import transfer_call  # noqa: E402

READER = "Virtual PCD 00 01"
PIN = "654321"
SHARING_VIOLATION = 0x8010000B - (1 << 32)
RECORD = transfer_call.record("0080111122223333")
# The same without a window (code 999), for B's transfer once the card is free.
PLAIN_RECORD = transfer_call.record("0080111122223333", code="999")
ACCOUNTS = "0080111122223333;"


def transfer(record):
    return (transfer_call.METHOD,
            *transfer_call.arguments(READER, "<Tag1>轉帳確認</Tag1>", record, PIN))


# B's calls while A holds the card, each with what B must get: a number, or
# a test of the result.
def failed(result):
    return isinstance(result, int) and result != 0


def empty(result):
    return result in (None, "")


B_WHILE_HELD = [
    (("ListReaders",), 0),
    (("GetReaderNumber",), 2),
    (("ConnectCard", READER), SHARING_VIOLATION),
    (("GetCardStatus",), empty),
    (("ListEF1001Accounts",), failed),
    (("ListEF1001AccountString",), empty),
    (("ReadCardSN",), empty),
    (("VerifyPIN", READER, "", PIN), failed),
    (transfer(PLAIN_RECORD), failed),
    (("GetRespSNUM",), empty),
    (("GetRespTAC",), empty),
    (("GetTransactionAccount",), empty),
]

B_ONCE_FREE = [
    (("ConnectCard", READER), 0),
    (("ListEF1001AccountString",), ACCOUNTS),
    (transfer(PLAIN_RECORD), 0),
]


def check_calls(page, calls, moment, problems):
    """Makes B's calls; what they gave, for the report."""
    seen = []
    for call, wanted in calls:
        result = page.call(*call)
        seen.append(f"{call[0]} {result!r}")
        good = wanted(result) if callable(wanted) else result == wanted
        if not good:
            problems.append(f"{moment}: B's {call[0]} gave {result!r}, wanted "
                            f"{getattr(wanted, '__name__', wanted)!r}")
    return seen


def two_pages(args, daemon):
    a = HostPage(args.host, args.work_dir, name="page-a")
    b = HostPage(args.host, args.work_dir, name="page-b")
    problems = []
    try:
        if a.call("ListReaders") != 0 or a.call("ConnectCard", READER) != 0:
            raise driver.Failure("page A could not connect the card")
        check_calls(b, B_WHILE_HELD, "A connected", problems)
        accounts_of_a = a.call("ListEF1001AccountString")

        since = a.errors.mark()
        number = a.request(*transfer(RECORD))
        a.errors.wait_for(WINDOW_UP, since)
        seen = check_calls(b, B_WHILE_HELD, "A's window waiting", problems)
        daemon.card("remove", READER)
        daemon.card("insert", READER)
        result_of_a = a.answer(transfer_call.METHOD, number)
        snum_of_a, tac_of_a = a.call("GetRespSNUM"), a.call("GetRespTAC")
        if accounts_of_a != ACCOUNTS or result_of_a != 0 or empty(snum_of_a) or empty(tac_of_a):
            problems.append(f"A's session was disturbed: accounts {accounts_of_a!r}, transfer "
                            f"{result_of_a}, SNUM {snum_of_a!r}, TAC {tac_of_a!r}")
        if a.call("DisconnectCard", READER) != 0:
            problems.append("A's DisconnectCard failed")

        check_calls(b, B_ONCE_FREE, "A disconnected", problems)
        snum_of_b = b.call("GetRespSNUM")
        if empty(snum_of_a) or snum_of_b != f"{int(snum_of_a) + 1:08d}":
            problems.append(f"B's transfer got SNUM {snum_of_b!r} after A's {snum_of_a!r}")
        b.call("DisconnectCard", READER)
        for name, page in (("A", a), ("B", b)):
            status = page.finish()
            if status != 0:
                problems.append(f"page {name}'s host exited with {status}")
    finally:
        a.stop()
        b.stop()
    if problems:
        raise driver.Failure("\n".join(problems))
    return (f"while A's window waited B got: {', '.join(seen)}; A's transfer got SNUM "
            f"{snum_of_a}, B's next one {snum_of_b}")


def main():
    return driver.daemon_script_main("two_pages", __doc__, two_pages, program="--host")


if __name__ == "__main__":
    sys.exit(main())
