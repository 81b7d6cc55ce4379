#!/usr/bin/env python3
"""A call's round trip through the browser bridge: kestrova-host against an
echo host.

In headless Chromium with the extension, a page on the allowed https site
calls `kestrova.GetAPIVersion()` (no card work): page -> content script ->
background -> native host -> back. Two hosts answer it, in the same run:

- kestrova-host, which carries the call out on its control;
- kestrova_echo_host, which answers the same frame at once without a control
  (the floor of the browser's own messaging).

For each host, in rounds that alternate which goes first: the first call of
a fresh page (the host's start-up included; a new page starts a new host),
and --calls calls in a row on an open page (timed in batches, as the page's
clock counts in steps of 0.1 ms). Then, without the browser, each host's
start-up to its first answer. Prints the medians, kestrova-host's additional
time per call and the median per-round ratio of the first calls. Timings are
reported, never judged. Exit status: 0 measured, 1 a run failed, 77 no
Chromium or python3-websocket.
"""

import argparse
import json
import os
import re
import statistics
import struct
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "browser"))
sys.dont_write_bytecode = True  # leave no cache in the tests folder

SKIP = 77
SITE = "card.kestrova.example.com"
# The page does nothing by itself: the benchmark makes every call.
PAGE = "<!doctype html><title>round trip</title><p>bridge round trip</p>\n"
# The page's clock counts in steps of 0.1 ms: each sample is the mean of a
# batch of calls made one after another.
BATCH = 10
CALLS_IN_A_ROW = """(async (batches) => {
  await kestrova.GetAPIVersion();
  const times = [];
  for (let b = 0; b < batches; b++) {
    const started = performance.now();
    for (let i = 0; i < %d; i++) {
      await kestrova.GetAPIVersion();
    }
    times.push((performance.now() - started) / %d);
  }
  return times;
})(%%d)""" % (BATCH, BATCH)
FIRST_CALL = """(async () => {
  const started = performance.now();
  await kestrova.GetAPIVersion();
  return performance.now() - started;
})()"""


def host_manifest(name, extension_id, path):
    return {"name": name, "description": "Kestrova", "path": path, "type": "stdio",
            "allowed_origins": [f"chrome-extension://{extension_id}/"]}


def measure(args, browser, manifest_path, hosts):
    times = {name: {"first": [], "row": []} for name in hosts}
    url = f"https://{SITE}/"
    # The browser's first page and first native host (the manifest as
    # written at start) warm up its caches, unmeasured.
    page = browser.open(url)
    page.evaluate(FIRST_CALL)
    page.close()
    for round_number in range(args.rounds):
        # Each host goes first in every other round.
        order = list(hosts.items())
        for name, path in order if round_number % 2 == 0 else reversed(order):
            # Chromium reads the manifest at each connection: this page's host.
            with open(manifest_path, "w") as manifest:
                json.dump(host_manifest(args.host_name, args.chromium_id, path), manifest)
            page = browser.open(url)
            times[name]["first"].append(page.evaluate(FIRST_CALL))
            times[name]["row"] += page.evaluate(CALLS_IN_A_ROW % (args.calls // BATCH),
                                                   timeout=120)
            page.close()
    return times


def start_up_alone(path, runs, extension_id):
    """Without the browser: from starting the host to its answer to a first
    call (the origin frame, then GetAPIVersion), as the browser starts it."""
    frames = b""
    for message in ({"origin": f"https://{SITE}"},
                    {"id": 1, "method": "GetAPIVersion", "args": []}):
        body = json.dumps(message, separators=(",", ":")).encode()
        frames += struct.pack("=I", len(body)) + body
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        host = subprocess.Popen([path, f"chrome-extension://{extension_id}/"],
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        host.stdin.write(frames)
        host.stdin.flush()
        for _ in range(2):  # the ready frame, then the call's answer
            length = struct.unpack("=I", host.stdout.read(4))[0]
            host.stdout.read(length)
        times.append((time.perf_counter() - started) * 1000)
        host.stdin.close()
        host.wait(timeout=10)
    return statistics.median(times)


def report(times, alone):
    host, echo = times["kestrova-host"], times["echo host"]
    print(f"{'':16}{'first call (ms)':>18}{'call on an open page (ms)':>28}"
          f"{'start-up alone (ms)':>22}")
    for name, side in times.items():
        print(f"{name:16}{statistics.median(side['first']):>18.3f}"
              f"{statistics.median(side['row']):>28.3f}{alone[name]:>22.3f}")
    added = statistics.median(host["row"]) - statistics.median(echo["row"])
    # Both hosts' first calls of a round are made back to back: their ratio
    # is taken per round, so that the machine's load in that moment cancels.
    ratios = [mine / floor for mine, floor in zip(host["first"], echo["first"])]
    print(f"kestrova-host adds {added:.3f} ms to the median round trip "
          f"({len(host['row'])} batches of {BATCH} calls each)")
    print(f"first call of a page: kestrova-host / echo host = "
          f"{statistics.median(ratios):.2f} (median of {len(ratios)} rounds' ratios)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", default=os.path.join(REPO, "build-release"))
    parser.add_argument("--rounds", type=int, default=40)
    parser.add_argument("--calls", type=int, default=200)
    parser.add_argument("--host-name", default="com.kestrova.bridge")
    parser.add_argument("--chromium-id",
                        help="the extension id (default: the one the build derived from its key)")
    args = parser.parse_args()
    if args.chromium_id is None:
        with open(os.path.join(args.build_dir, "extension_identity_used.cmake")) as identity:
            args.chromium_id = re.search(r'KESTROVA_CHROMIUM_EXTENSION_ID "([a-p]{32})"',
                                         identity.read())[1]
    try:
        from chromium_browser import BrowserError, Chromium, find_chromium
        from https_server import WebServer
    except ImportError as missing:
        print(f"bridge round trip skipped: {missing} (apt-get install python3-websocket)")
        return SKIP
    if find_chromium() is None:
        print("bridge round trip skipped: chromium is not installed")
        return SKIP
    build = os.path.abspath(args.build_dir)
    hosts = {"kestrova-host": os.path.join(build, "bin", "kestrova-host"),
             "echo host": os.path.join(build, "bin", "kestrova_echo_host")}
    extension = os.path.join(build, "bridge", "extension", "unpacked")
    for path in list(hosts.values()) + [extension]:
        if not os.path.exists(path):
            print(f"bridge round trip: {path} is missing (build the release preset)",
                  file=sys.stderr)
            return 1
    with tempfile.TemporaryDirectory(prefix="kestrova-bridge-bench-") as work:
        site = os.path.join(work, "site")
        os.makedirs(site)
        with open(os.path.join(site, "index.html"), "w") as page:
            page.write(PAGE)
        try:
            with WebServer(site, work, [SITE]) as server, \
                    Chromium(work, extension, host_manifest(args.host_name, args.chromium_id,
                                                            hosts["echo host"]),
                             {SITE: f"127.0.0.1:{server.port}"}) as browser:
                manifest_path = os.path.join(browser.profile, "NativeMessagingHosts",
                                             args.host_name + ".json")
                times = measure(args, browser, manifest_path, hosts)
        except BrowserError as failure:
            print(f"bridge round trip: FAILED {failure}", file=sys.stderr)
            return 1
    alone = {name: start_up_alone(path, args.rounds * 5, args.chromium_id)
             for name, path in hosts.items()}
    report(times, alone)
    return 0


if __name__ == "__main__":
    sys.exit(main())
