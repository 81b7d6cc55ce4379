#!/usr/bin/env python3
"""A whole transaction on pcscd: kestrova against its floor.

Both sides run as fresh processes on the real pcscd, with the virtual T=0 card
of tests/e2e/vpcd-profile.json behind vpcd:

- kestrova: `kestrova run` on a page's calls (ListReaders, ConnectCard,
  WriteRecordWithSNUMTACProc with a record no confirmation window is shown
  for, the getters of its results, DisconnectCard);
- the floor: kestrova_transaction_floor, a bare PC/SC client that makes the
  same PC/SC calls, sends the same card commands and pauses as long as the
  component must (100 ms after ConnectCard's test connection, 200 ms after
  DisconnectCard).

Once, untimed, each side runs through the tracing PC/SC library
(kestrova_pcsc_call_trace): the two call lists are compared, and the time of
each side is split into start-up, PC/SC calls, the time between calls and
the end. Then the sides run --runs times each, alternating, and the medians,
their ratio and kestrova's overhead in percent are printed.

The daemon runs in private namespaces as in the end-to-end tests (root).
Exit status: 0 measured (whatever the ratio), 1 a run failed or the two sides
did not do the same work, 77 the daemon cannot run here.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
sys.dont_write_bytecode = True  # leave no cache in the tests folder

import e2e_driver  # noqa: E402  (beside the end-to-end tests, used as it is)
from e2e_driver import Daemon, Failure, PAGE_URL, SKIP  # noqa: E402

INSIDE = e2e_driver.INSIDE
READER = "Virtual PCD 00 00"
FILE_ID = "1003"
PIN = "123456"
# Transaction code 999: no confirmation window; then the amount, and the two
# accounts where a transfer's window would read them.
RECORD = ("9990" + "00000000123456" + " " * 30 + "0040987654321098" + "0040123456789012")
# Between two calls, a gap at least this long is counted as a pause.
PAUSE_GAP_US = 20000

SCRIPT = f""":page {PAGE_URL}
ListReaders()
ConnectCard("{READER}")
WriteRecordWithSNUMTACProc("{READER}", "", "{FILE_ID}", {len(RECORD)}, "{RECORD}", "{PIN}", "")
GetRespSNUM()
GetRespTAC()
GetTransactionIssuer()
GetTransactionRemark()
GetTransactionAccount()
DisconnectCard("{READER}")
"""

EXPECTED_RESULTS = {
    "ListReaders": "0",
    "ConnectCard": "0",
    "WriteRecordWithSNUMTACProc": "0",
    "GetTransactionIssuer": '"00400012"',
    "GetTransactionAccount": '"0040123456789012"',
    "DisconnectCard": "0",
}


class Side:
    def __init__(self, name, command, environment=None):
        self.name = name
        self.command = command
        self.environment = environment
        self.times = []

    def run(self, extra_environment=None):
        """Runs the side once; returns (seconds, started, ended, stdout)."""
        environment = dict(os.environ if self.environment is None else self.environment)
        environment.update(extra_environment or {})
        started = time.monotonic()
        result = subprocess.run(self.command, capture_output=True, text=True, timeout=60,
                                env=environment, preexec_fn=e2e_driver.die_with_parent)
        ended = time.monotonic()
        if result.returncode != 0:
            raise Failure(f"{self.name} exited with {result.returncode}\n"
                          f"stdout:\n{result.stdout}\nstderr:\n{result.stderr}")
        self.check(result.stdout)
        return ended - started, started, ended, result.stdout

    def check(self, output):
        if self.name == "floor":
            if not output.startswith("SNUM "):
                raise Failure(f"the floor printed {output!r}")
            return
        results = {}
        for line in output.splitlines():
            call, _, result = line.partition(" -> ")
            results[call.split("(", 1)[0]] = result
        for method, expected in EXPECTED_RESULTS.items():
            if results.get(method) != expected:
                raise Failure(f"kestrova: {method} gave {results.get(method)}, not {expected}\n"
                              f"{output}")
        if results.get("GetRespSNUM") in (None, "null", '""'):
            raise Failure(f"kestrova published no SNUM\n{output}")


def preload_list(executable, library):
    """LD_PRELOAD for `library`; a sanitizer runtime the executable links
    must come first, so it is named first."""
    linked = subprocess.run(["ldd", executable], capture_output=True, text=True).stdout
    runtimes = [line.split("=>")[1].split()[0] for line in linked.splitlines()
                if "=>" in line and ("libasan" in line or "libubsan" in line)]
    return " ".join(runtimes + [library])


def read_trace(path):
    calls = []
    with open(path) as trace:
        for line in trace:
            microseconds, _, text = line.rstrip("\n").partition("\t")
            calls.append((int(microseconds), text))
    return calls


def traced_run(side, trace_path):
    if os.path.exists(trace_path):
        os.remove(trace_path)
    _, started, ended, _ = side.run({"KESTROVA_PCSC_TRACE": trace_path})
    calls = read_trace(trace_path)
    if not calls:
        raise Failure(f"{side.name} made no traced PC/SC call")
    return calls, int(started * 1e6), int(ended * 1e6)


def since_previous(calls, started):
    times = [started] + [microseconds for microseconds, _ in calls]
    return [(times[i + 1] - times[i]) / 1000 for i in range(len(calls))]


def compare_calls(kestrova_trace, floor_trace):
    """Prints both sides' calls, each with the ms since the previous one."""
    (kestrova_calls, kestrova_started, _), (floor_calls, floor_started, _) = (kestrova_trace,
                                                                                floor_trace)
    ours = [text for _, text in kestrova_calls]
    theirs = [text for _, text in floor_calls]
    if ours == theirs:
        print(f"PC/SC calls: the same {len(ours)} on both sides; ms since the previous call "
              f"(the first: since the process started), kestrova | floor:")
        gaps = zip(since_previous(kestrova_calls, kestrova_started),
                   since_previous(floor_calls, floor_started))
        for text, (ours_ms, theirs_ms) in zip(ours, gaps):
            print(f"  {ours_ms:7.1f} | {theirs_ms:7.1f}  {text[:100]}")
        return True
    print("PC/SC calls DIFFER (kestrova | floor):")
    for index in range(max(len(ours), len(theirs))):
        left = ours[index] if index < len(ours) else "-"
        right = theirs[index] if index < len(theirs) else "-"
        print(f"  {'  ' if left == right else '! '}{left} | {right}")
    return False


def breakdown(name, calls, started, ended):
    """Where the time went, from the process start to its end, in ms."""
    first, last = calls[0][0], calls[-1][0]
    pauses = [(calls[i + 1][0] - calls[i][0], calls[i][1])
              for i in range(len(calls) - 1) if calls[i + 1][0] - calls[i][0] >= PAUSE_GAP_US]
    print(f"{name}: {(ended - started) / 1000:.1f} ms in all; "
          f"start-up until the first PC/SC call {(first - started) / 1000:.1f} ms, "
          f"first to last call {(last - first) / 1000:.1f} ms "
          f"(of which gaps of {PAUSE_GAP_US // 1000} ms or more: "
          f"{sum(gap for gap, _ in pauses) / 1000:.1f} ms), "
          f"last call until the end {(ended - last) / 1000:.1f} ms")
    for gap, after in pauses:
        print(f"    {gap / 1000:7.1f} ms after {after}")


def report(sides, runs):
    kestrova, floor = sides
    print(f"\n{runs} runs each, alternating, whole processes:")
    print(f"  {'side':10} {'median ms':>10} {'min ms':>8} {'max ms':>8}")
    for side in sides:
        print(f"  {side.name:10} {statistics.median(side.times) * 1000:10.1f} "
              f"{min(side.times) * 1000:8.1f} {max(side.times) * 1000:8.1f}")
    ratio = statistics.median(kestrova.times) / statistics.median(floor.times)
    print(f"  kestrova/floor {ratio:.3f}: overhead {(ratio - 1) * 100:+.1f} % "
          f"({(statistics.median(kestrova.times) - statistics.median(floor.times)) * 1000:+.1f} ms)"
          f"{'' if ratio < 1.05 else '  (the goal is under 5 %)'}")


def inside_namespace(args):
    os.makedirs(args.work_dir, exist_ok=True)
    script_path = os.path.join(args.work_dir, "transaction.kscript")
    with open(script_path, "w", encoding="utf-8") as script:
        script.write(SCRIPT)
    kestrova = Side("kestrova", [args.kestrova, "run", script_path])
    floor = Side("floor", [args.floor, READER, FILE_ID, RECORD, PIN])
    traced_kestrova = Side("kestrova", [args.kestrova, "run", "--pcsc-library", args.trace,
                                        script_path])
    traced_floor = Side("floor", floor.command,
                        dict(os.environ, LD_PRELOAD=preload_list(args.floor, args.trace)))
    trace_path = os.path.join(args.work_dir, "pcsc-calls")

    daemon_args = argparse.Namespace(work_dir=args.work_dir, case="bench", vicc=args.vicc,
                                     profile=args.profile)
    with Daemon(daemon_args):
        # Once each, untimed: the card and daemon settle, the files are cached.
        kestrova.run()
        floor.run()
        kestrova_trace = traced_run(traced_kestrova, trace_path + ".kestrova")
        floor_trace = traced_run(traced_floor, trace_path + ".floor")
        same = compare_calls(kestrova_trace, floor_trace)
        breakdown("kestrova (traced)", *kestrova_trace)
        breakdown("floor (traced)", *floor_trace)
        for run in range(args.runs):
            order = (kestrova, floor) if run % 2 == 0 else (floor, kestrova)
            for side in order:
                side.times.append(side.run()[0])
        report((kestrova, floor), args.runs)
    if not same:
        raise Failure("the floor does not make kestrova's PC/SC calls")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", required=True, help="a build with KESTROVA_BENCH=ON")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--work-dir", help="default: BUILD-DIR/bench-work")
    args = parser.parse_args()
    build = os.path.abspath(args.build_dir)
    args.kestrova = os.path.join(build, "bin", "kestrova")
    args.vicc = os.path.join(build, "bin", "kestrova-vicc")
    args.floor = os.path.join(build, "bin", "kestrova_transaction_floor")
    args.trace = os.path.join(build, "lib", "libkestrova_pcsc_call_trace.so")
    args.profile = os.path.join(REPO, "tests", "e2e", "vpcd-profile.json")
    args.work_dir = os.path.abspath(args.work_dir or os.path.join(build, "bench-work"))
    if args.runs < 1:
        parser.error("--runs must be at least 1")

    try:
        if os.environ.get(INSIDE) == "1":
            inside_namespace(args)
            return 0
        missing = [path for path in (args.kestrova, args.vicc, args.floor, args.trace)
                   if not os.path.exists(path)]
        if missing:
            raise Failure(f"not built: {', '.join(missing)}")
        reason = e2e_driver.daemon_unavailable()
        if reason is not None:
            print(f"transaction benchmark skipped: {reason}")
            return SKIP
    except Failure as failure:
        print(f"transaction benchmark: FAILED {failure}", file=sys.stderr)
        return 1
    # The same script again, as the one process in fresh namespaces.
    e2e_driver.reexec_in_namespaces()
    return 1


if __name__ == "__main__":
    sys.exit(main())
