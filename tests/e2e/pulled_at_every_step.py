#!/usr/bin/env python3
"""A confirmed transfer on pcscd with the card pulled at each step in turn.

Each row of STEPS takes the card out at one step of the transfer: before
the first SELECT, right after the card answered the VERIFY, right after it
answered the write, while the confirmation window waits, and right after OK
(kestrova-vicc's "remove-after-command" pulls it between two commands of one
call, which no timing could hit). A person at the terminal answers the window
(`kestrova shell --ui console` on a pseudo-terminal: Enter for OK, "c" to
cancel). Every row must end in a clear error or a cancellation, never hang,
publish SNUM and TAC only for a write the person confirmed, and leave the
card, once back, ready for the next transfer. The T=1 card is used: its
answers come whole, so "after the write" is after the whole answer.

The daemon runs in private namespaces as in e2e_driver.py; skipped (77)
where that is impossible.
"""

import os
import pty
import select
import subprocess
import sys
import termios
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_driver as driver  # noqa: E402
import transfer_call  # noqa: E402

READER = "Virtual PCD 00 01"
TRANSFER = transfer_call.call_line(READER, "<Tag1>轉帳確認</Tag1>",
                                   transfer_call.record("0080111122223333"), "654321")
# A record code that shows no window: the next transfer, on the card put back.
NEXT_TRANSFER = TRANSFER.replace('"252', '"999')
CANCELLED = 5123
# What pcscd answers for a card that is gone: SCARD_W_REMOVED_CARD,
# SCARD_E_NO_SMARTCARD, SCARD_W_RESET_CARD, and SCARD_E_NOT_TRANSACTED when
# the card went before pcscd noticed.
CARD_GONE = {code - (1 << 32) for code in (0x80100069, 0x8010000C, 0x80100068, 0x80100016)}

# (step, when the card goes: "before the call", or (command start, which
#  matching command of the call) for kestrova-vicc's remove-after-command,
#  what the person does in the window, what the transfer must answer)
STEPS = [
    ("before the SELECT", "before the call", None, "error"),
    ("after the VERIFY", ("0020", 1), None, "error"),
    ("after the write", ("00E2", 1), "the card is pulled, put the card back, Enter",
     "confirmed"),
    ("during the window", None, "take the card out, Enter, c", "cancelled"),
    # The card answered the SELECT after OK; the account read fails. The
    # person confirmed: SNUM and TAC stand, and the error says what failed.
    ("after OK", ("00A404", 2), "take the card out, put the card back, Enter",
     "confirmed, then error"),
]


class PersonAtTerminal:
    """kestrova shell with a pseudo-terminal as its input, so that its
    console window asks the person; calls and answers are typed there."""

    def __init__(self, args):
        master, slave = pty.openpty()
        attributes = termios.tcgetattr(slave)
        attributes[3] &= ~termios.ECHO
        termios.tcsetattr(slave, termios.TCSANOW, attributes)
        self.keyboard = master
        self.process = subprocess.Popen(
            [args.kestrova, "shell", "--ui", "console", "--page-url", driver.PAGE_URL],
            stdin=slave, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
            preexec_fn=driver.die_with_parent)
        os.close(slave)
        self.printed = b""
        self.written = []  # lines on standard error: the window and its boxes
        self.partial = b""
        self.wait_for_prompt()

    def pump(self, deadline):
        streams = [self.process.stdout, self.process.stderr]
        ready, _, _ = select.select(streams, [], [], max(0.0, deadline - time.monotonic()))
        for stream in ready:
            chunk = os.read(stream.fileno(), 4096)
            if not chunk:
                raise driver.Failure("kestrova shell ended: "
                                     + "\n".join(self.written[-10:]))
            if stream is self.process.stdout:
                self.printed += chunk
            else:
                *lines, self.partial = (self.partial + chunk).split(b"\n")
                self.written += [line.decode(errors="replace") for line in lines]

    def wait_for_prompt(self):
        deadline = time.monotonic() + driver.WAIT
        while not self.printed.endswith(driver.SHELL_PROMPT.encode()):
            if time.monotonic() > deadline:
                raise driver.Failure("kestrova shell hangs; it wrote:\n"
                                     + "\n".join(self.written[-10:]))
            self.pump(deadline)
        lines = self.printed[:-len(driver.SHELL_PROMPT)].decode().splitlines()
        self.printed = b""
        return lines

    def wait_for_window_line(self, wanted, since):
        deadline = time.monotonic() + driver.WAIT
        while wanted not in self.written[since:]:
            if time.monotonic() > deadline:
                raise driver.Failure(f"the window never said {wanted!r}; it wrote:\n"
                                     + "\n".join(self.written[since:]))
            self.pump(deadline)

    def type(self, line):
        os.write(self.keyboard, line.encode() + b"\n")

    def call(self, text):
        self.type(text)
        return self.result(text)

    def result(self, text):
        printed = self.wait_for_prompt()
        if len(printed) != 1 or not printed[0].startswith(text + " -> "):
            raise driver.Failure(f"{text} printed {printed}")
        return printed[0][len(text) + 4:]

    def stop(self):
        os.close(self.keyboard)
        driver.stop(self.process, "kestrova shell")


class Card:
    """Where the card is, with a removal kestrova-vicc was told to make."""

    def __init__(self, daemon):
        self.daemon = daemon
        self.out = False
        self.pull_armed = False

    def take_out(self):
        self.daemon.card("remove", READER)
        self.out = True

    def arm_pull(self, command_start, nth):
        vicc = self.daemon.viccs[READER]
        vicc.process.stdin.write(f"remove-after-command {command_start} {nth}\n")
        vicc.process.stdin.flush()
        vicc.expect("armed")
        self.pull_armed = True

    def settle_pull(self):
        """Waits until the armed removal has happened and pcscd has seen it."""
        if self.pull_armed:
            self.daemon.viccs[READER].expect("card removed")
            self.daemon.pcsc.wait_for_card(READER, present=False)
            self.pull_armed = False
            self.out = True

    def put_back(self):
        if self.out:
            self.daemon.card("insert", READER)
            self.out = False


def answer_window(person, card, acts, since):
    """The person's part while the window waits, `acts` read left to right."""
    person.wait_for_window_line("OK disabled", since)
    for act in acts.split(", "):
        if act == "the card is pulled":
            card.settle_pull()
        elif act == "take the card out":
            card.take_out()
        elif act == "put the card back":
            card.put_back()
            person.wait_for_window_line("OK enabled", since)
        elif act == "Enter":
            person.type("")
        elif act == "c":
            person.wait_for_window_line("OK is not enabled yet", since)
            person.type("c")
        else:
            raise driver.Failure(f"no such act: {act}")


def run_step(person, daemon, step):
    name, pull, acts, outcome = step
    card = Card(daemon)
    if person.call(f'ConnectCard("{READER}")') != "0":
        raise driver.Failure(f"{name}: the card could not be connected")
    if pull == "before the call":
        card.take_out()
    elif pull is not None:
        card.arm_pull(*pull)
    since = len(person.written)
    person.type(TRANSFER)
    if acts is not None:
        answer_window(person, card, acts, since)
    answer = int(person.result(TRANSFER))
    card.settle_pull()
    snum = person.call("GetRespSNUM()")
    tac = person.call("GetRespTAC()")

    confirmed = outcome.startswith("confirmed")
    problems = []
    if outcome == "confirmed" and answer != 0:
        problems.append(f"the confirmed transfer answered {answer}")
    if outcome == "cancelled" and answer != CANCELLED:
        problems.append(f"the cancelled transfer answered {answer}, not {CANCELLED}")
    if outcome.endswith("error") and answer not in CARD_GONE:
        problems.append(f"answered {answer}, not an error that says the card is gone")
    if confirmed != (snum != "null") or confirmed != (tac != "null"):
        problems.append(f"SNUM {snum} and TAC {tac} for a write "
                        f"{'confirmed' if confirmed else 'not confirmed'}")
    if outcome == "cancelled" and "Kestrova: 交易取消！" not in person.written[since:]:
        problems.append("no 交易取消！ box")

    card.put_back()
    if person.call(f'ConnectCard("{READER}")') != "0":
        problems.append("the card put back could not be connected")
    next_answer = person.call(NEXT_TRANSFER)
    next_snum = person.call("GetRespSNUM()")
    if next_answer != "0" or next_snum == "null":
        problems.append(f"the next transfer answered {next_answer}, SNUM {next_snum}")
    person.call(f'DisconnectCard("{READER}")')
    if problems:
        raise driver.Failure("; ".join(problems))
    return f"{name}: {answer}"


def pulled_at_every_step(args, daemon):
    person = PersonAtTerminal(args)
    try:
        answers = []
        for step in STEPS:
            try:
                answers.append(run_step(person, daemon, step))
            except driver.Failure as failure:
                raise driver.Failure(f"card pulled {step[0]}: {failure}\nthe window wrote:\n"
                                     + "\n".join(person.written[-12:])) from failure
    finally:
        person.stop()
    return "every step ends cleanly (" + ", ".join(answers) + ")"


def main():
    return driver.daemon_script_main("pulled_at_every_step", __doc__, pulled_at_every_step)


if __name__ == "__main__":
    sys.exit(main())
