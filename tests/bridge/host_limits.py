#!/usr/bin/env python3
"""kestrova-host's bounds, measured on the program as a browser starts it.

flood:    while the confirmation window waits, the page sends 256 calls of
          1 MiB each; the host's resident memory stays within 64 MiB of what
          it was when it got ready (unbounded, it held all 256 MiB). When the
          input closes the window is cancelled and every call is answered in
          order: those accepted with their result, the excess refused.
sessions: a --simulate host through many page sessions (readers, accounts,
          issuer, serial, PIN, a record): resident memory after the last is
          within 1 MiB of what it was after the first 100.

usage: host_limits.py [--sanitized] HOST CHROMIUM_EXTENSION_ID {flood | sessions [COUNT]}

--sanitized: the host was built with AddressSanitizer, which holds on to
freed memory on purpose; resident memory is then printed, not checked.
"""
import json
import os
import struct
import subprocess
import sys
import tempfile
import threading

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import transfer_call  # noqa: E402

READER = "Kestrova Virtual Reader 0"
ORIGIN = "https://card.kestrova.example.com"
BUSY = -32002
MIB = 1024 * 1024


def frame(message):
    body = json.dumps(message).encode()
    return struct.pack("=I", len(body)) + body


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


class Host:
    """The host on pipes; its replies are collected as they come."""

    def __init__(self, program, extension_id, config):
        self.process = subprocess.Popen(
            [program, "--simulate", "--ui=console", "--confirm=ok",
             f"chrome-extension://{extension_id}/"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            env=dict(os.environ, KESTROVA_HOST_CONFIG=config))
        self.replies = []
        self.arrived = threading.Condition()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        out = self.process.stdout
        while True:
            head = out.read(4)
            if len(head) < 4:
                break
            (length,) = struct.unpack("=I", head)
            reply = json.loads(out.read(length))
            with self.arrived:
                self.replies.append(reply)
                self.arrived.notify_all()

    def send(self, message):
        self.process.stdin.write(frame(message) if isinstance(message, dict) else message)
        self.process.stdin.flush()

    def wait_for(self, count):
        with self.arrived:
            self.arrived.wait_for(lambda: len(self.replies) >= count, timeout=60)
            return len(self.replies) >= count

    def finish(self):
        self.process.stdin.close()
        status = self.process.wait(timeout=60)
        self.reader.join(timeout=60)
        return status


MEMORY_CHECKED = True


def check_memory(condition, message, failures):
    if MEMORY_CHECKED:
        check(condition, message, failures)
    else:
        print("(not checked under the sanitizer) " + message)


def check(condition, message, failures):
    print(("ok    " if condition else "FAIL  ") + message)
    if not condition:
        failures.append(message)


def flood(host, failures):
    host.send({"origin": ORIGIN})
    host.send({"id": 1, "method": "ConnectCard", "args": [READER]})
    check(host.wait_for(2) and host.replies[1].get("result") == 0, "the card is connected",
          failures)
    ready_kib = resident_kib(host.process.pid)
    # The window waits for the card to be taken out, which nobody does.
    host.send({"id": 2, "method": transfer_call.METHOD, "args": transfer_call.arguments(READER)})
    calls = 64
    pad = "x" * (MIB - 100)
    peak_kib = ready_kib
    for i in range(calls):
        host.send({"id": 100 + i, "method": "GetAPIVersion", "args": [], "pad": pad})
        if i % 16 == 15:
            peak_kib = max(peak_kib, resident_kib(host.process.pid))
    peak_kib = max(peak_kib, resident_kib(host.process.pid))
    print(f"resident: {ready_kib} KiB when ready, at most {peak_kib} KiB under "
          f"{calls} MiB of calls")
    check_memory(peak_kib - ready_kib < 24 * 1024, "resident memory grew by less than 24 MiB",
                 failures)
    status = host.finish()
    check(status == 0, f"the host ended with 0 once its input closed (got {status})", failures)
    ids = [reply.get("id") for reply in host.replies[2:]]
    check(ids == [2] + list(range(100, 100 + calls)), "every call answered, in order", failures)
    answered = host.replies[3:]
    accepted = [r for r in answered if r.get("result") == "1.0.0.1"]
    refused = [r for r in answered if r.get("error", {}).get("code") == BUSY]
    print(f"{len(accepted)} accepted, {len(refused)} refused")
    check(len(accepted) >= 1 and len(accepted) + len(refused) == calls and
          answered[:len(accepted)] == accepted,
          "the accepted calls come first with their results, the excess refused", failures)


def sessions(host, count, failures):
    host.send({"origin": ORIGIN})
    host.send({"id": 1, "method": "ConnectCard", "args": [READER]})
    host.wait_for(2)
    # What a page reads before a transaction; the connect and disconnect
    # around it would only add their pauses.
    page = [("ListReaders", []), ("ListEF1001Accounts", []), ("ListEF1001AccountString", []),
            ("GetIssuerBank", []), ("ReadCardSN", []), ("VerifyPIN", [READER, "", "123456"]),
            ("FiscSelectAID", []), ("FiscReadRecord", [1])]
    expected = 2
    after_100 = 0
    for number in range(1, count + 1):
        for method, args in page:
            host.send({"id": expected, "method": method, "args": args})
            expected += 1
        if not host.wait_for(expected):
            check(False, f"session {number} answered", failures)
            return
        if number == 100:
            after_100 = resident_kib(host.process.pid)
    last = resident_kib(host.process.pid)
    print(f"resident: {after_100} KiB after 100 sessions, {last} KiB after {count}")
    check(all("result" in reply for reply in host.replies[1:]), "every call has a result",
          failures)
    check_memory(last - after_100 <= 1024, f"within 1024 KiB after {count} sessions "
                 f"(grew {last - after_100} KiB)", failures)
    check(host.finish() == 0, "the host ended with 0", failures)


def main():
    global MEMORY_CHECKED
    arguments = sys.argv[1:]
    if arguments and arguments[0] == "--sanitized":
        MEMORY_CHECKED = False
        arguments = arguments[1:]
    program, extension_id, kind = arguments[:3]
    failures = []
    with tempfile.NamedTemporaryFile("w", suffix=".conf") as config:
        host = Host(program, extension_id, config.name)
        try:
            if kind == "flood":
                flood(host, failures)
            else:
                sessions(host, int(arguments[3]) if len(arguments) > 3 else 2000, failures)
        finally:
            if host.process.poll() is None:
                host.process.kill()
                host.process.wait()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
