#!/usr/bin/env python3
"""End-to-end tests of Kestrova on the real PC/SC daemon.

One test case is a file of page calls (cases/NAME.kscript) in which every call
carries the result it must print:

    ConnectCard("Virtual PCD 00 00")          #=> 0
    GetReaderStatus("Virtual PCD 00 00", 0)   #daemon=> null  #sim=> "Virtual PCD"

"#=>" holds on both services; "#daemon=>" and "#sim=>" name a result that
differs between them. Lines ":card remove READER" and ":card insert READER"
take a card out or put it back between calls; ":card remove-after MS READER"
and ":card insert-after MS READER" do it MS milliseconds later, while the
calls after them run (a confirmation window waits for that). Header lines
"#! options: ..." add options to kestrova's command line, and each
"#! stderr: TEXT" names a line kestrova must write to standard error, in the
order given (the confirmation window and message boxes of the console view
are written there); without them anything on standard error fails the case.

The case runs twice: on the simulated PC/SC service holding vpcd-profile.json,
and on pcscd with one kestrova-vicc per card of that profile behind vpcd. The
daemon runs in a private mount and network namespace (root is needed), with
its own /run/pcscd and loopback interface, so that neither its socket nor
vpcd's ports meet any other daemon. Everything started is stopped by process
id, also on failure, and every wait has a time limit.

The case "apdu" sends commands straight through pcscd to both cards instead.

Exit status: 0 passed, 1 failed, 77 skipped (no root, no namespaces, pcscd or
vpcd missing; the simulated half has run by then).
"""

import argparse
import ctypes
import fcntl
import glob
import os
import re
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import threading
import time

SKIP = 77
PAGE_URL = "https://card.kestrova.example.com/"
VPCD_PORTS = {"Virtual PCD 00 00": 35963, "Virtual PCD 00 01": 35964}
INSIDE = "KESTROVA_E2E_INSIDE_NAMESPACE"
SHELL_PROMPT = "kestrova> "
WAIT = 15.0  # seconds for any one thing to happen


class Failure(Exception):
    pass


# ---------------------------------------------------------------- case files

class Step:
    def __init__(self, number, text, daemon=None, sim=None, directive=None):
        self.number = number
        self.text = text
        self.expected = {"daemon": daemon, "sim": sim}
        self.directive = directive  # (word, reader, delay in seconds or None)


class Case:
    def __init__(self):
        self.steps = []
        self.options = []
        self.stderr = None  # the lines expected on standard error, in order


ANNOTATION = re.compile(r"#(daemon|sim)?=>")
MOVES = {"remove": ("remove", False), "insert": ("insert", False),
         "remove-after": ("remove", True), "insert-after": ("insert", True)}


def parse_directive(path, number, text):
    words = text.split(None, 2)
    if len(words) != 3 or words[0] != ":card" or words[1] not in MOVES:
        raise Failure(f"{path}:{number}: unknown directive {text}")
    word, delayed = MOVES[words[1]]
    reader = words[2]
    delay = None
    if delayed:
        milliseconds, _, reader = reader.partition(" ")
        if not milliseconds.isdigit() or not reader:
            raise Failure(f"{path}:{number}: {words[1]} takes milliseconds and a reader")
        delay = int(milliseconds) / 1000
    return word, reader.strip(), delay


def load_case(path):
    case = Case()
    steps = case.steps
    with open(path, encoding="utf-8") as file:
        for number, raw in enumerate(file, 1):
            line = raw.rstrip("\n")
            stripped = line.strip()
            if stripped.startswith("#! options:"):
                case.options += stripped[len("#! options:"):].split()
                continue
            if stripped.startswith("#! stderr:"):
                case.stderr = (case.stderr or []) + [stripped[len("#! stderr:"):].strip()]
                continue
            if not stripped or stripped.startswith("#"):
                continue
            if stripped.startswith(":"):
                steps.append(Step(number, stripped,
                                  directive=parse_directive(path, number, stripped)))
                continue
            marks = list(ANNOTATION.finditer(line))
            if not marks:
                raise Failure(f"{path}:{number}: the call has no #=> result")
            call = line[:marks[0].start()].strip()
            results = {}
            for index, mark in enumerate(marks):
                end = marks[index + 1].start() if index + 1 < len(marks) else len(line)
                results[mark.group(1) or "both"] = line[mark.end():end].strip()
            both = results.get("both")
            steps.append(Step(number, call, results.get("daemon", both), results.get("sim", both)))
            if steps[-1].expected["daemon"] is None or steps[-1].expected["sim"] is None:
                raise Failure(f"{path}:{number}: give #=>, or both #daemon=> and #sim=>")
    return case


def check_stderr(service, case, written):
    """The case's lines must come in order; others may fall between them."""
    if case.stderr is None:
        if written:
            raise Failure(f"on the {service} service kestrova wrote to standard error:\n"
                          + "\n".join(written))
        return
    remaining = iter(written)
    for wanted in case.stderr:
        if not any(line == wanted for line in remaining):
            raise Failure(f"on the {service} service standard error lacks {wanted!r} "
                          f"(in order); it holds:\n" + "\n".join(written))


def check_output(service, steps, printed):
    """Compares kestrova's lines with the expected ones, call by call."""
    calls = [step for step in steps if step.directive is None]
    problems = []
    for index, step in enumerate(calls):
        expected = f"{step.text} -> {step.expected[service]}"
        actual = printed[index] if index < len(printed) else "(nothing printed)"
        if actual != expected:
            problems.append(f"  line {step.number}: expected {expected}\n"
                            f"  {' ' * len(str(step.number))}       printed  {actual}")
    for extra in printed[len(calls):]:
        problems.append(f"  printed more: {extra}")
    if problems:
        raise Failure(f"on the {service} service:\n" + "\n".join(problems))


# ---------------------------------------------------------------- processes

def die_with_parent():
    """Runs in each child: ends it when the driver ends, however it ends."""
    libc = ctypes.CDLL(None, use_errno=True)
    pr_set_pdeathsig = 1
    libc.prctl(pr_set_pdeathsig, signal.SIGTERM)


def stop(process, name, log=None):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        print(f"e2e: {name} ignored SIGTERM; killing it", file=log or sys.stderr)
        process.kill()
        process.wait(timeout=5)


def run_checked(command, timeout=60, stdin=None, with_stderr=False):
    started = time.monotonic()
    try:
        result = subprocess.run(command, stdin=stdin, capture_output=True, text=True,
                                timeout=timeout, preexec_fn=die_with_parent)
    except subprocess.TimeoutExpired as expired:
        raise Failure(f"{command[0]} did not finish in {timeout} s") from expired
    elapsed = time.monotonic() - started
    if result.returncode != 0:
        raise Failure(f"{' '.join(command)} exited with {result.returncode}\n"
                      f"stdout:\n{result.stdout}\nstderr:\n{result.stderr}")
    if with_stderr:
        return result.stdout.splitlines(), result.stderr.splitlines(), elapsed
    return result.stdout.splitlines(), elapsed


# ---------------------------------------------------------------- PC/SC client

class ReaderState(ctypes.Structure):
    _fields_ = [("reader", ctypes.c_char_p), ("user_data", ctypes.c_void_p),
                ("current_state", ctypes.c_ulong), ("event_state", ctypes.c_ulong),
                ("atr_length", ctypes.c_ulong), ("atr", ctypes.c_ubyte * 33)]


class IoRequest(ctypes.Structure):
    _fields_ = [("protocol", ctypes.c_ulong), ("pci_length", ctypes.c_ulong)]


SCARD_STATE_EMPTY = 0x10
SCARD_STATE_PRESENT = 0x20
SCARD_E_TIMEOUT = 0x8010000A
SCARD_SHARE_SHARED = 2
SCARD_PROTOCOL_T0 = 1
SCARD_PROTOCOL_T1 = 2
SCARD_LEAVE_CARD = 0


class Pcsc:
    """The system's PC/SC client library, for waiting on pcscd and for raw commands."""

    def __init__(self):
        self.lib = ctypes.CDLL("libpcsclite.so.1")
        self.context = ctypes.c_long(0)
        self.check(self.lib.SCardEstablishContext(2, None, None, ctypes.byref(self.context)),
                   "SCardEstablishContext")

    @staticmethod
    def check(result, what):
        if result & 0xFFFFFFFF:
            raise Failure(f"{what} failed: 0x{result & 0xFFFFFFFF:08X}")

    def close(self):
        self.lib.SCardReleaseContext(self.context)

    def readers(self):
        length = ctypes.c_ulong(0)
        self.check(self.lib.SCardListReaders(self.context, None, None, ctypes.byref(length)),
                   "SCardListReaders")
        names = ctypes.create_string_buffer(length.value)
        self.check(self.lib.SCardListReaders(self.context, None, names, ctypes.byref(length)),
                   "SCardListReaders")
        return [name.decode() for name in names.raw[:length.value].split(b"\0") if name]

    def wait_for_card(self, reader, present):
        """Until pcscd itself sees the card in (or out of) the reader."""
        wanted = SCARD_STATE_PRESENT if present else SCARD_STATE_EMPTY
        state = ReaderState(reader.encode(), None, 0, 0, 0)
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline:
            result = self.lib.SCardGetStatusChange(self.context, ctypes.c_ulong(200),
                                                   ctypes.byref(state), ctypes.c_ulong(1))
            if result & 0xFFFFFFFF not in (0, SCARD_E_TIMEOUT):
                self.check(result, "SCardGetStatusChange")
            if state.event_state & wanted:
                return
            state.current_state = state.event_state & ~0x2  # without SCARD_STATE_CHANGED
        raise Failure(f"pcscd did not see the card {'in' if present else 'out of'} {reader}")

    def connect(self, reader):
        card = ctypes.c_long(0)
        protocol = ctypes.c_ulong(0)
        self.check(self.lib.SCardConnect(self.context, reader.encode(), SCARD_SHARE_SHARED,
                                         SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1,
                                         ctypes.byref(card), ctypes.byref(protocol)),
                   f"SCardConnect({reader})")
        return card, protocol.value

    def transmit(self, card, protocol, command_hex):
        pci_name = "g_rgSCardT0Pci" if protocol == SCARD_PROTOCOL_T0 else "g_rgSCardT1Pci"
        pci = IoRequest.in_dll(self.lib, pci_name)
        command = bytes.fromhex(command_hex)
        response = (ctypes.c_ubyte * 258)()
        length = ctypes.c_ulong(len(response))
        self.check(self.lib.SCardTransmit(card, ctypes.byref(pci), command, len(command), None,
                                          response, ctypes.byref(length)), "SCardTransmit")
        return bytes(response[:length.value]).hex().upper()

    def disconnect(self, card):
        self.lib.SCardDisconnect(card, SCARD_LEAVE_CARD)


# ---------------------------------------------------------------- the daemon

def bring_loopback_up():
    siocgifflags, siocsifflags, iff_up = 0x8913, 0x8914, 0x1
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        request = struct.pack("16sh", b"lo", 0)
        flags = struct.unpack("16sh", fcntl.ioctl(probe, siocgifflags, request))[1]
        fcntl.ioctl(probe, siocsifflags, struct.pack("16sh", b"lo", flags | iff_up))


def find_pcscd():
    return shutil.which("pcscd") or next(
        (path for path in ("/usr/sbin/pcscd", "/sbin/pcscd") if os.access(path, os.X_OK)), None)


def daemon_unavailable():
    """Why the daemon half cannot run here, or None."""
    if os.geteuid() != 0:
        return "needs root for a private mount and network namespace"
    if shutil.which("unshare") is None:
        return "unshare (util-linux) is missing"
    if find_pcscd() is None:
        return "pcscd is not installed (apt-get install pcscd)"
    if not glob.glob("/usr/lib/pcsc/drivers/serial/libifdvpcd.so*") and not glob.glob(
            "/usr/lib/*/pcsc/drivers/serial/libifdvpcd.so*"):
        return "vpcd is not installed (apt-get install vsmartcard-vpcd)"
    try:
        ctypes.CDLL("libpcsclite.so.1")
    except OSError:
        return "libpcsclite.so.1 is missing (apt-get install libpcsclite1)"
    probe = subprocess.run(["unshare", "--mount", "--net", "true"], capture_output=True,
                           timeout=30)
    if probe.returncode != 0:
        return "namespaces are not allowed here: " + probe.stderr.decode(errors="replace")
    return None


class Vicc:
    def __init__(self, args, reader, log):
        self.reader = reader
        self.process = subprocess.Popen(
            [args.vicc, "--profile", args.profile, "--reader", reader,
             "--port", str(VPCD_PORTS[reader]), "--connect-timeout", str(int(WAIT))],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=log, text=True, bufsize=1,
            preexec_fn=die_with_parent)
        self.said = b""
        self.expect("card inserted")

    def expect(self, wanted):
        """The next line must be `wanted`. Lines are split here, not by a
        buffered reader, so that two lines that come at once are both seen."""
        deadline = time.monotonic() + WAIT + 5
        while b"\n" not in self.said and time.monotonic() < deadline:
            ready, _, _ = select.select([self.process.stdout], [], [], 0.2)
            if ready:
                chunk = os.read(self.process.stdout.fileno(), 4096)
                if not chunk:
                    break
                self.said += chunk
        if b"\n" not in self.said:
            raise Failure(f"kestrova-vicc for {self.reader} did not say {wanted!r}")
        line, _, self.said = self.said.partition(b"\n")
        if line.decode().strip() != wanted:
            raise Failure(f"kestrova-vicc for {self.reader} said {line.decode()!r}, "
                          f"not {wanted!r}")

    def command(self, word):
        self.process.stdin.write(word + "\n")
        self.process.stdin.flush()
        self.expect("card removed" if word == "remove" else "card inserted")

    def stop(self, log):
        if self.process.poll() is None:
            try:
                self.process.stdin.write("quit\n")
                self.process.stdin.flush()
                self.process.wait(timeout=5)
            except (BrokenPipeError, subprocess.TimeoutExpired):
                pass
        stop(self.process, "kestrova-vicc", log)


class Daemon:
    """pcscd with vpcd's two readers, a kestrova-vicc behind each."""

    def __init__(self, args):
        self.args = args
        self.pcscd = None
        self.viccs = {}
        self.pcsc = None
        os.makedirs(args.work_dir, exist_ok=True)
        self.log_path = os.path.join(args.work_dir, f"{args.case}.daemon.log")
        self.log = open(self.log_path, "w")

    def __enter__(self):
        os.makedirs("/run/pcscd", exist_ok=True)
        subprocess.run(["mount", "-t", "tmpfs", "-o", "mode=0755", "tmpfs", "/run/pcscd"],
                       check=True, timeout=30)
        bring_loopback_up()
        self.start()
        return self

    def start(self):
        """pcscd, then a kestrova-vicc behind each of vpcd's readers."""
        self.start_pcscd()
        for reader in VPCD_PORTS:
            self.viccs[reader] = Vicc(self.args, reader, self.log)
            self.pcsc.wait_for_card(reader, present=True)

    def start_pcscd(self):
        """pcscd with vpcd's two readers, its cards not yet in."""
        if os.path.exists("/run/pcscd/pcscd.comm"):
            os.unlink("/run/pcscd/pcscd.comm")
        self.pcscd = subprocess.Popen([find_pcscd(), "--foreground"], stdout=self.log,
                                      stderr=subprocess.STDOUT, preexec_fn=die_with_parent)
        deadline = time.monotonic() + WAIT
        while not os.path.exists("/run/pcscd/pcscd.comm"):
            if self.pcscd.poll() is not None or time.monotonic() > deadline:
                raise Failure("pcscd did not start")
            time.sleep(0.05)
        self.pcsc = Pcsc()
        self.wait_for_readers()

    def restart(self):
        """pcscd stopped and started again, as a service restart does; the
        cards come back behind the new daemon's readers."""
        self.pcsc.close()
        self.pcsc = None
        for vicc in self.viccs.values():
            vicc.stop(self.log)
        self.viccs = {}
        stop(self.pcscd, "pcscd", self.log)
        self.start()

    def kill_pcscd(self):
        """pcscd ends at once, as in a crash. The cards stay with their
        kestrova-vicc, which says "card removed" once it has seen the
        daemon go, until put_cards_back()."""
        self.pcsc = None  # its context went with the daemon
        self.pcscd.kill()
        self.pcscd.wait(timeout=WAIT)

    def put_cards_back(self):
        """A new pcscd, and the cards that outlived the last one in its readers."""
        self.start_pcscd()
        for reader, vicc in self.viccs.items():
            vicc.command("insert")
            self.pcsc.wait_for_card(reader, present=True)

    def __exit__(self, *exception):
        if self.pcsc is not None:
            self.pcsc.close()
        for vicc in self.viccs.values():
            vicc.stop(self.log)
        stop(self.pcscd, "pcscd", self.log)
        self.log.close()
        if exception[0] is not None:
            with open(self.log_path) as log:
                sys.stderr.write(f"---- {self.log_path}\n{log.read()}----\n")
        return False

    def wait_for_readers(self):
        readers = []
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline:
            try:
                readers = self.pcsc.readers()
            except Failure:
                readers = []  # none yet
            if sorted(readers) == sorted(VPCD_PORTS):
                return
            time.sleep(0.05)
        raise Failure(f"pcscd lists {readers}, not vpcd's two readers")

    def card(self, word, reader):
        if reader not in self.viccs:
            raise Failure(f"no kestrova-vicc serves {reader}")
        self.viccs[reader].command(word)
        self.pcsc.wait_for_card(reader, present=word == "insert")


class CardMoves:
    """Card moves due later, made in order by one thread while calls run."""

    def __init__(self, daemon):
        self.daemon = daemon
        self.due = []
        self.failure = None
        self.lock = threading.Condition()
        self.closing = False
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def schedule(self, delay, word, reader):
        with self.lock:
            self.due.append((time.monotonic() + delay, word, reader))
            self.due.sort(key=lambda move: move[0])
            self.lock.notify()

    def run(self):
        while True:
            with self.lock:
                while not self.closing and (
                        not self.due or self.due[0][0] > time.monotonic()):
                    wait = self.due[0][0] - time.monotonic() if self.due else None
                    self.lock.wait(wait)
                if self.closing and not self.due:
                    return
                _, word, reader = self.due.pop(0)
            try:
                self.daemon.card(word, reader)
            except Failure as failure:
                self.failure = self.failure or failure

    def finish(self):
        """Waits for the moves still due, then reports the first that failed."""
        with self.lock:
            self.closing = True
            self.lock.notify()
        self.thread.join(timeout=WAIT * 2)
        if self.thread.is_alive():
            raise Failure("a scheduled card move did not finish")
        if self.failure is not None:
            raise self.failure


# ---------------------------------------------------------------- running a case

def run_on_simulated(args, case, case_path):
    """kestrova run --simulate does the directives itself and prints each one."""
    printed, written, elapsed = run_checked(
        [args.kestrova, "run", "--simulate=" + args.profile, "--page-url", PAGE_URL]
        + case.options + [case_path], with_stderr=True)
    check_stderr("sim", case, written)
    directives = [step.text for step in case.steps if step.directive is not None]
    echoed = [line for line in printed if line.startswith(":")]
    if echoed != directives:
        raise Failure(f"on the sim service the directives printed {echoed}, not {directives}")
    return [line for line in printed if not line.startswith(":")], elapsed


def run_on_daemon(args, daemon, case, case_path):
    if all(step.directive is None for step in case.steps):
        printed, written, elapsed = run_checked(
            [args.kestrova, "run", "--page-url", PAGE_URL] + case.options + [case_path],
            with_stderr=True)
        check_stderr("daemon", case, written)
        return printed, elapsed
    # Directives fall between calls of one control: drive the shell call by call.
    started = time.monotonic()
    shell = subprocess.Popen([args.kestrova, "shell", "--page-url", PAGE_URL] + case.options,
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, preexec_fn=die_with_parent)
    printed = []
    written = []
    moves = CardMoves(daemon)
    try:
        read_until_prompt(shell, written)
        for step in case.steps:
            if step.directive is not None:
                word, reader, delay = step.directive
                if delay is None:
                    daemon.card(word, reader)
                else:
                    moves.schedule(delay, word, reader)
                continue
            shell.stdin.write(step.text.encode() + b"\n")
            shell.stdin.flush()
            printed.extend(read_until_prompt(shell, written))
        shell.stdin.close()
        shell.wait(timeout=WAIT)
        written.extend(shell.stderr.read().decode(errors="replace").splitlines())
        moves.finish()
    finally:
        stop(shell, "kestrova shell")
    check_stderr("daemon", case, written)
    return printed, time.monotonic() - started


def read_until_prompt(shell, written):
    """The lines printed up to the next prompt; standard error goes to `written`."""
    output = b""
    errors = b""
    deadline = time.monotonic() + 60
    while not output.endswith(SHELL_PROMPT.encode()):
        ready, _, _ = select.select([shell.stdout, shell.stderr], [], [], 0.5)
        if shell.stderr in ready:
            errors += os.read(shell.stderr.fileno(), 4096)
            *lines, errors = errors.split(b"\n")
            written.extend(line.decode(errors="replace") for line in lines)
        if shell.stdout in ready:
            chunk = os.read(shell.stdout.fileno(), 4096)
            if not chunk:
                raise Failure("kestrova shell ended early")
            output += chunk
        if time.monotonic() > deadline:
            raise Failure("kestrova shell did not answer")
    return output[:-len(SHELL_PROMPT)].decode().splitlines()


APDU_EXCHANGES = [
    # (reader, command, answer): the card's answers as pcscd passes them on.
    ("Virtual PCD 00 00", "00A4040008A000000172950001", "610C"),
    ("Virtual PCD 00 00", "00C000000C", "6F0A8408A0000001729500019000"),
    ("Virtual PCD 00 00", "00B0000010", "888600001234567828123100000000009000"),
    ("Virtual PCD 00 00", "00A40200021001", "610D"),
    ("Virtual PCD 00 00", "00B2030420", "6C12"),
    ("Virtual PCD 00 00", "00B2030412",
     "0310" + b"0040123456789012".hex().upper() + "9000"),
    ("Virtual PCD 00 00", "0020001008654321FFFFFFFFFF", "63C2"),
    # One byte that is none of vpcd's control codes is a command too.
    ("Virtual PCD 00 00", "05", "6700"),
    ("Virtual PCD 00 01", "00A4040008A00000017295000100", "6F0A8408A0000001729500019000"),
    ("Virtual PCD 00 01", "0020001008654321FFFFFFFFFF", "9000"),
    ("Virtual PCD 00 01", "00E2100308" + b"record 1".hex().upper() + "00",
     "08" + b"00000500".hex().upper() + "1003"),
]


def run_apdu_case(daemon):
    pcsc = daemon.pcsc
    handles = {}
    try:
        for reader, command, answer in APDU_EXCHANGES:
            if reader not in handles:
                handles[reader] = pcsc.connect(reader)
            card, protocol = handles[reader]
            expected_protocol = SCARD_PROTOCOL_T0 if reader.endswith("00") else SCARD_PROTOCOL_T1
            if protocol != expected_protocol:
                raise Failure(f"{reader}: protocol {protocol}, not {expected_protocol}")
            got = pcsc.transmit(card, protocol, command)
            if not got.startswith(answer):
                raise Failure(f"{reader}: {command} answered {got}, expected {answer}...")
    finally:
        for card, _ in handles.values():
            pcsc.disconnect(card)


def reexec_in_namespaces():
    """Runs the calling script again as the one process in fresh namespaces."""
    sys.stdout.flush()
    environment = dict(os.environ, **{INSIDE: "1"})
    os.execvpe("unshare", ["unshare", "--mount", "--net", "--", sys.executable,
                           os.path.abspath(sys.argv[0])] + sys.argv[1:], environment)


def daemon_check_main(args, inside, before=None, unavailable=daemon_unavailable):
    """A check on a daemon of its own: `before(args)` runs first (outside any
    namespace), then, unless `unavailable()` names a reason to skip, the
    script runs again in fresh namespaces where `inside(args, daemon)` runs
    and returns what to report. Returns the exit status."""
    try:
        if os.environ.get(INSIDE) == "1":
            with Daemon(args) as daemon:
                report = inside(args, daemon)
            print(f"e2e {args.case}: {report}")
            return 0
        if before is not None:
            before(args)
        reason = unavailable()
        if reason is not None:
            print(f"e2e {args.case}: daemon half skipped: {reason}")
            return SKIP
    except Failure as failure:
        print(f"e2e {args.case}: FAILED {failure}", file=sys.stderr)
        return 1
    reexec_in_namespaces()
    return 1


def daemon_script_main(case, doc, inside, program="--kestrova", unavailable=None):
    """The command line of a check on a daemon of its own: the program it
    runs (`program`, an option name), the card profile, kestrova-vicc and a
    work folder; then daemon_check_main. `unavailable(args)` may name a
    reason of its own to skip."""
    parser = argparse.ArgumentParser(description=doc.split("\n")[0])
    parser.add_argument(program, required=True)
    parser.add_argument("--profile", required=True)
    parser.add_argument("--vicc", required=True)
    parser.add_argument("--work-dir", required=True)
    args = parser.parse_args()
    args.case = case
    if unavailable is None:
        return daemon_check_main(args, inside)
    return daemon_check_main(args, inside, unavailable=lambda: unavailable(args))


def run_case_on_daemon(args, daemon):
    if args.case == "apdu":
        run_apdu_case(daemon)
        return "every command answered as expected through pcscd"
    case_path = os.path.join(args.cases_dir, args.case + ".kscript")
    case = load_case(case_path)
    printed, elapsed = run_on_daemon(args, daemon, case, case_path)
    check_output("daemon", case.steps, printed)
    return f"daemon gives the expected results ({elapsed * 1000:.0f} ms for the whole script)"


def run_case_on_simulated(args):
    if args.case == "apdu":
        return
    case_path = os.path.join(args.cases_dir, args.case + ".kscript")
    case = load_case(case_path)
    printed, elapsed = run_on_simulated(args, case, case_path)
    check_output("sim", case.steps, printed)
    print(f"e2e {args.case}: simulated service gives the expected results "
          f"({elapsed * 1000:.0f} ms for the whole script)")
    # The time limit is the daemon half's own from here.
    signal.alarm(0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--case", required=True)
    parser.add_argument("--cases-dir", required=True)
    parser.add_argument("--profile", required=True)
    parser.add_argument("--kestrova", required=True)
    parser.add_argument("--vicc", required=True)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--time-limit", type=int, default=150)
    args = parser.parse_args()

    def out_of_time(*_):
        raise Failure(f"the case took longer than {args.time_limit} s")

    signal.signal(signal.SIGALRM, out_of_time)
    signal.signal(signal.SIGTERM, out_of_time)
    signal.alarm(args.time_limit)
    return daemon_check_main(args, run_case_on_daemon, before=run_case_on_simulated)


if __name__ == "__main__":
    sys.exit(main())
