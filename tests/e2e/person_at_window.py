#!/usr/bin/env python3
"""Transfers answered the way a person does it, in the real Qt window.

On an X server of its own (Xvfb) `kestrova run --ui qt` writes a transfer on
the virtual card behind pcscd and shows the confirmation window. Like a
person, the test takes the card out, puts it back and then uses the keys:
Tab to the OK button and Enter confirms the transfer, and the page reads the
card's SNUM and TAC; Enter alone, with the focus still on the Cancel button
where the window put it, cancels the next transfer (5123, the box that says
so answered with Enter), and the page reads nothing of it. The daemon runs
in private namespaces as in e2e_driver.py; skipped (77) where that, Xvfb,
xdotool or kestrova's Qt window is missing.
"""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_driver as driver  # noqa: E402
import transfer_call  # noqa: E402

READER = "Virtual PCD 00 00"
CAPTION = "轉帳確認"
MESSAGE = (f"<Tag1>{CAPTION}</Tag1><Tag4>請將晶片卡拔出後再插入，然後按「確定」完成交易。</Tag4>"
           "<Tag6>轉出帳號</Tag6><Tag7>轉入帳號</Tag7><Tag8>交易金額</Tag8>")
TRANSFER = transfer_call.call_line(READER, MESSAGE, transfer_call.record("0040123456789012"))
PAGE = f"""ListReaders()
ConnectCard("{READER}")
{TRANSFER}
GetRespSNUM()
GetRespTAC()
GetTransactionAccount()
DisconnectCard("{READER}")
"""
# (the keys the person presses once the card is back, whether the transfer
# is cancelled, what the page prints), in the order they run: the card counts
# its transfers, the cancelled one too.
CASES = [
    (["Tab", "Return"], False, [
        'ListReaders() -> 0',
        f'ConnectCard("{READER}") -> 0',
        f'{TRANSFER} -> 0',
        'GetRespSNUM() -> "00000001"',
        'GetRespTAC() -> "F2062EE09F809107"',
        'GetTransactionAccount() -> "0040123456789012"',
        f'DisconnectCard("{READER}") -> 0',
    ]),
    (["Return"], True, [
        'ListReaders() -> 0',
        f'ConnectCard("{READER}") -> 0',
        f'{TRANSFER} -> 5123',
        'GetRespSNUM() -> null',
        'GetRespTAC() -> null',
        'GetTransactionAccount() -> null',
        f'DisconnectCard("{READER}") -> 0',
    ]),
]
CANCELLED_BOX = "Kestrova"


def unavailable(args):
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            return f"{tool} is missing (apt-get install xvfb xdotool)"
    probe = subprocess.run([args.kestrova, "run", "--ui", "qt", "-"], input="", text=True,
                           capture_output=True, timeout=30,
                           env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    if probe.returncode != 0:
        return "kestrova has no Qt window: " + probe.stderr.strip()
    return driver.daemon_unavailable()


class XServer:
    def __init__(self, log):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp"], pass_fds=(write_end,), stdout=log, stderr=log,
            preexec_fn=driver.die_with_parent)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + driver.WAIT
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline or self.process.poll() is not None:
                raise driver.Failure("Xvfb did not start")
            chunk = os.read(read_end, 16)
            if not chunk:
                raise driver.Failure("Xvfb did not say its display")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

    def stop(self):
        driver.stop(self.process, "Xvfb")


def press(environment, keys):
    subprocess.run(["xdotool", "key"] + keys, env=environment, check=True, timeout=10)


def wait_for_window(environment, kestrova, name):
    deadline = time.monotonic() + driver.WAIT
    while time.monotonic() < deadline:
        if kestrova.poll() is not None:
            raise driver.Failure(f"kestrova ended before its window {name} showed: "
                                 f"{kestrova.returncode}")
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                               env=environment, capture_output=True, text=True, timeout=10)
        if found.returncode == 0 and found.stdout.strip():
            return
        time.sleep(0.1)
    raise driver.Failure(f"no window named {name} showed")


def ended_within(process, seconds):
    try:
        process.wait(timeout=seconds)
        return True
    except subprocess.TimeoutExpired:
        return False


def answer_like_a_person(args, daemon, x_server, keys, cancelled, expected):
    page = os.path.join(args.work_dir, "person_at_window.txt")
    with open(page, "w", encoding="utf-8") as file:
        file.write(PAGE)
    environment = dict(os.environ, DISPLAY=x_server.display)
    environment.pop("QT_QPA_PLATFORM", None)
    kestrova = subprocess.Popen([args.kestrova, "run", "--ui", "qt", "--page-url",
                                 driver.PAGE_URL, page], env=environment,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                preexec_fn=driver.die_with_parent)
    try:
        wait_for_window(environment, kestrova, CAPTION)
        daemon.card("remove", READER)
        time.sleep(1.0)
        daemon.card("insert", READER)
        time.sleep(1.0)  # the window looks for the card five times a second
        press(environment, keys)
        if cancelled:
            wait_for_window(environment, kestrova, CANCELLED_BOX)
            press(environment, ["Return"])
        if not ended_within(kestrova, driver.WAIT):
            raise driver.Failure(f"{' '.join(keys)} did not end the window once the card was back")
        printed = kestrova.stdout.read().splitlines()
        errors = kestrova.stderr.read()
    finally:
        driver.stop(kestrova, "kestrova")
    if kestrova.returncode != 0:
        raise driver.Failure(f"kestrova exited with {kestrova.returncode}: {errors}")
    if printed != expected:
        raise driver.Failure(f"after {' '.join(keys)} the page printed\n" + "\n".join(printed) +
                             "\ninstead of\n" + "\n".join(expected))


def in_the_window(args, daemon):
    x_server = XServer(daemon.log)
    try:
        for keys, cancelled, expected in CASES:
            answer_like_a_person(args, daemon, x_server, keys, cancelled, expected)
    finally:
        x_server.stop()
    return ("the Qt window was confirmed with Tab and Enter, and cancelled with Enter on its "
            "Cancel button, after the card went out and came back")


def main():
    return driver.daemon_script_main("person_at_window", __doc__, in_the_window, unavailable=unavailable)


if __name__ == "__main__":
    sys.exit(main())
