#!/usr/bin/env python3
"""kestrova-host.exe under Wine, driven through pipes as a browser drives it:
started with the extension's origin as its argument, the browsers' framing
on standard input and output (binary: a 0x0A or 0x1A byte in a length must
pass untouched), bad input, a page's whole session on the simulated
winscard.dll with the results `kestrova run --json` gives on Linux for the
same calls, and the end of input while the confirmation window is open.
Everything runs in one private WINEPREFIX whose wineserver is stopped at the
end."""

import argparse
import json
import os
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "win32"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
sys.dont_write_bytecode = True
from wine_prefix import Results, add_wine_options, missing_loader, private_prefix  # noqa: E402
import transfer_call  # noqa: E402

SKIP = 77
HOST = r"C:\kestrova\kestrova-host.exe"
ORIGIN = "https://card.kestrova.example.com"
READER = "Kestrova Virtual Reader 0"

# The page's session: (method, arguments).
SESSION = [
    ("ListReaders", []), ("GetReaderNumber", []), ("GetReaderName", [0]),
    ("ConnectCard", [READER]), ("GetCardStatus", []), ("ListEF1001Accounts", []),
    ("ListEF1001AccountString", []), ("GetIssuerBank", []), ("ReadCardSN", []),
    ("VerifyPIN", [READER, "", "123456"]), ("GetLastError", []),
    ("DES", [0, 8, "0123456789ABCDEF", "4E6F772069732074"]), ("GetRespData", []),
    ("ConvertHexToInt", [2, "FF"]), ("GetReaderName", [7]),
    ("DisconnectCard", [READER]),
]


def frame(body):
    data = body.encode() if isinstance(body, str) else body
    return struct.pack("<I", len(data)) + data


def padded(message, length):
    """The message as JSON padded with blanks to exactly `length` bytes."""
    text = json.dumps(message, ensure_ascii=False)
    return text + " " * (length - len(text.encode()))


def replies(output):
    """The frames of the host's output, and whether they ended whole."""
    found = []
    while len(output) >= 4:
        (length,) = struct.unpack("<I", output[:4])
        if len(output) < 4 + length:
            return found, False
        found.append(json.loads(output[4:4 + length]))
        output = output[4 + length:]
    return found, not output


def host(wine, stdin_bytes, *arguments, close_after=None):
    """Runs the host with `stdin_bytes` as its input; with close_after, the
    input stays open that many seconds before it ends. Returns (status,
    output bytes)."""
    process = subprocess.Popen([wine.loader, HOST, *arguments], env=wine.env,
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
    process.stdin.write(stdin_bytes)
    process.stdin.flush()
    if close_after is not None:
        time.sleep(close_after)
    process.stdin.close()
    output = process.stdout.read()
    return process.wait(timeout=120), output


def call_line(method, arguments):
    return f"{method}({', '.join(json.dumps(a, ensure_ascii=False) for a in arguments)})"


def expected_results(kestrova, work, calls, confirm="cancel"):
    path = os.path.join(work, "calls.txt")
    with open(path, "w") as file:
        file.write("".join(call_line(m, a) + "\n" for m, a in calls))
    done = subprocess.run([kestrova, "run", "--json", "--simulate", "--ui", "console",
                           "--confirm", confirm, "--page-url", ORIGIN + "/", path],
                          capture_output=True, timeout=120, check=True)
    return [json.loads(line)["result"] for line in done.stdout.decode().splitlines()]


def check_refusals(wine, results, caller):
    for arguments, what in [((), "no caller"),
                            (("chrome-extension://abcdefghijklmnopabcdefghijklmnop/",),
                             "another extension")]:
        status, output = host(wine, frame(json.dumps({"origin": ORIGIN})), *arguments)
        results.check(status == 1 and output == b"", f"refused: {what}", (status, output))
    # Chrome on Windows adds its window's handle.
    status, output = host(wine, frame(json.dumps({"origin": ORIGIN})), caller,
                          "--parent-window=0")
    found, whole = replies(output)
    results.check(status == 0 and whole and len(found) == 1 and found[0].get("ready") is True
                  and isinstance(found[0].get("protocol"), int),
                  "Chrome's --parent-window is accepted", (status, output))


def check_framing(wine, results, caller):
    # Lengths 0x010A and 0x011A put 0x0A and 0x1A bytes into the prefixes.
    first = padded({"origin": ORIGIN}, 0x10A)
    call = padded({"id": 12345678, "method": "GetAPIVersion", "args": []}, 0x11A)
    stream = frame(first) + frame(call) + frame("not json") + frame(
        json.dumps({"id": 2, "method": "NoSuchMethod", "args": []}))
    status, output = host(wine, stream, caller)
    found, whole = replies(output)
    results.check(status == 0 and whole and len(found) == 4, "framing: four whole replies",
                  (status, output[:200]))
    if len(found) == 4:
        results.check(found[1].get("id") == 12345678 and "result" in found[1],
                      "framing: the padded call's answer", found[1])
        results.check(found[2].get("error", {}).get("code") == -32700,
                      "bad input: not JSON is a parse error, the session goes on", found[2])
        results.check(found[3].get("error", {}).get("code") == -2147352570,
                      "bad input: an unknown method", found[3])
    # A length over 1 MiB: refused with an error, and the host ends.
    status, output = host(wine, frame(json.dumps({"origin": ORIGIN})) +
                          struct.pack("<I", 2 << 20) + b"{}", caller)
    found, whole = replies(output)
    results.check(whole and len(found) == 2 and found[1].get("error", {}).get("code") == -32600,
                  "a frame over 1 MiB is refused", (status, found))


def check_session(wine, results, caller, kestrova, work):
    expected = expected_results(kestrova, work, SESSION)
    stream = frame(json.dumps({"origin": ORIGIN}))
    for number, (method, arguments) in enumerate(SESSION, 1):
        stream += frame(json.dumps({"id": number, "method": method, "args": arguments},
                                   ensure_ascii=False))
    status, output = host(wine, stream, caller)
    found, whole = replies(output)
    results.check(status == 0 and whole and len(found) == len(SESSION) + 1,
                  "session: every call answered", (status, len(found)))
    got = [reply.get("result", reply.get("error")) for reply in found[1:]]
    for (method, _), want, have in zip(SESSION, expected, got):
        results.check(want == have, f"session: {method} as kestrova run gives it",
                      f"{have!r}, not {want!r}")


def check_end_during_window(wine, results, caller, kestrova, work):
    transfer = (transfer_call.METHOD,
                transfer_call.arguments(READER, "<CAPTION>Transfer</CAPTION>"))
    cancelled = expected_results(kestrova, work, [("ConnectCard", [READER]), transfer])[1]
    stream = frame(json.dumps({"origin": ORIGIN})) + frame(
        json.dumps({"id": 1, "method": "ConnectCard", "args": [READER]})) + frame(
        json.dumps({"id": 2, "method": transfer[0], "args": transfer[1]}))
    started = time.monotonic()
    status, output = host(wine, stream, caller, close_after=4)
    found, whole = replies(output)
    print(f"# the host ended {time.monotonic() - started:.1f} s after it started")
    results.check(status == 0 and whole and len(found) == 3 and found[2].get("result") == cancelled,
                  "the page goes while the window waits: cancelled, answered, the host ends",
                  (status, found, cancelled))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", required=True)
    parser.add_argument("--winscard", required=True)
    parser.add_argument("--kestrova", required=True, help="the Linux kestrova command")
    parser.add_argument("--extension-id", required=True)
    parser.add_argument("--work-dir", required=True)
    add_wine_options(parser)
    options = parser.parse_args()
    skipped = missing_loader(options)
    if skipped:
        print(skipped)
        return SKIP
    if not os.path.exists(options.kestrova):
        print(f"{options.kestrova} is not built: build the dev preset first")
        return SKIP

    results = Results()
    caller = f"chrome-extension://{options.extension_id}/"
    with private_prefix(options.work_dir, "wine-host-", options) as wine:
        folder = wine.drive_c("kestrova")
        os.makedirs(folder)
        shutil.copy(options.host, folder)
        # Beside the program, it is found before the system's own.
        shutil.copy(options.winscard, os.path.join(folder, "winscard.dll"))
        check_refusals(wine, results, caller)
        check_framing(wine, results, caller)
        check_session(wine, results, caller, options.kestrova, options.work_dir)
        check_end_during_window(wine, results, caller, options.kestrova, options.work_dir)
    print(f"{results.passed} passed, {results.failed} failed")
    return 0 if results.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
