#!/usr/bin/env python3
"""`kestrova doctor` against an installation staged by `cmake --install`.

On the simulated service and then on pcscd with the virtual cards behind
vpcd, the untouched installation passes every check (exit 0); then one thing
at a time is broken and each must give its own problem line, only that one,
and exit 1. No output ever holds a card's PIN, serial or account number.
The daemon half runs in private namespaces as in e2e_driver.py; skipped (77)
where that is impossible.

    doctor_checks.py --kestrova K --build-dir B --profile P --vicc V --work-dir W
"""

import argparse
import json
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_driver as driver  # noqa: E402

GECKO_ID = "bridge@kestrova.example.com"
HOST_CONF = "etc/kestrova/host.conf"
CHROMIUM_MANIFEST = "etc/chromium/native-messaging-hosts/com.kestrova.bridge.json"
CHROME_MANIFEST = "etc/opt/chrome/native-messaging-hosts/com.kestrova.bridge.json"
FIREFOX_XPI = ("usr/share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}/"
               + GECKO_ID + ".xpi")


def edit_json(path, change):
    with open(path, encoding="utf-8") as file:
        document = json.load(file)
    change(document)
    with open(path, "w", encoding="utf-8") as file:
        json.dump(document, file)


def write(path, text):
    with open(path, "w", encoding="utf-8") as file:
        file.write(text)


# (what is broken, the check that must report it, its outcome, how to break it)
BREAKAGES = [
    ("a manifest names a missing program", "chromium-host", "problem",
     lambda root: edit_json(os.path.join(root, CHROMIUM_MANIFEST),
                            lambda m: m.update(path="/usr/lib/kestrova/bin/gone"))),
    ("a manifest allows another extension", "chrome-host", "problem",
     lambda root: edit_json(os.path.join(root, CHROME_MANIFEST),
                            lambda m: m.update(allowed_origins=["chrome-extension://other/"]))),
    ("the extension file is missing", "firefox-extension", "problem",
     lambda root: os.unlink(os.path.join(root, FIREFOX_XPI))),
    ("simulate is on", "configuration", "warning",
     lambda root: write(os.path.join(root, HOST_CONF), "simulate\n")),
    ("host.conf has a bad line", "configuration", "problem",
     lambda root: write(os.path.join(root, HOST_CONF), "ui=sometimes\n")),
]


def stage(args):
    """The build installed under a scratch root, as the package installs it."""
    root = os.path.join(args.work_dir, "doctor-stage")
    shutil.rmtree(root, ignore_errors=True)
    subprocess.run(["cmake", "--install", args.build_dir, "--prefix", "/usr"], check=True,
                   stdout=subprocess.DEVNULL, env=dict(os.environ, DESTDIR=root), timeout=120)
    return root


def card_secrets(profile):
    with open(profile, encoding="utf-8") as file:
        text = "\n".join(line for line in file if not line.lstrip().startswith("//"))
    secrets = []
    for reader in json.loads(text)["readers"]:
        card = reader.get("card", {})
        secrets += [card.get("pin"), card.get("serial", "").split(" ")[0]]
        for name in ("ef1001", "ef1002"):
            secrets += card.get(name, {}).get("accounts", [])
    return [secret for secret in secrets if secret]


def doctor(args, root, service):
    """The JSON report and the exit status, after checking the text form says
    the same and neither holds a secret of the cards."""
    command = [args.kestrova, "doctor", "--root", root] + service
    environment = {k: v for k, v in os.environ.items() if k != "KESTROVA_HOST_CONFIG"}
    runs = [subprocess.run(command + extra, capture_output=True, text=True, timeout=60,
                           env=environment) for extra in (["--json"], [])]
    report = json.loads(runs[0].stdout)
    if runs[0].returncode != runs[1].returncode:
        raise driver.Failure(f"--json exits {runs[0].returncode}, text {runs[1].returncode}")
    for check in report["checks"]:
        if check["result"] not in runs[1].stdout or check["fix"] not in runs[1].stdout:
            raise driver.Failure(f"the text form lacks {check}:\n{runs[1].stdout}")
    for secret in card_secrets(args.profile):
        if secret in runs[0].stdout + runs[1].stdout:
            raise driver.Failure(f"the report holds the card's {secret}")
    return report, runs[0].returncode, runs[1].stdout


def wrong(report):
    return [(c["check"], c["outcome"]) for c in report["checks"] if c["outcome"] != "ok"]


def expect_all_pass(args, root, service, readers):
    report, status, text = doctor(args, root, service)
    if status != 0 or wrong(report) or not report["ok"]:
        raise driver.Failure(f"the installation does not pass (exit {status}):\n{text}")
    listed = [c["title"] for c in report["checks"] if c["check"] == "reader"]
    atrs = [c["result"] for c in report["checks"] if c["check"] == "reader"]
    if listed != [f'Reader "{name}"' for name in readers] or \
            not all(result.startswith("a card is in it, ATR 3B") for result in atrs):
        raise driver.Failure(f"the readers are reported as {listed} {atrs}:\n{text}")


def expect_one_problem(args, root, service, what, check, outcome):
    report, status, text = doctor(args, root, service)
    if status != 1 or wrong(report) != [(check, outcome)]:
        raise driver.Failure(f"{what}: exit {status}, {wrong(report)}, not only {check} "
                             f"({outcome}):\n{text}")


def simulated_half(args):
    service = ["--simulate=" + args.profile]
    readers = ["Virtual PCD 00 00", "Virtual PCD 00 01"]
    expect_all_pass(args, stage(args), service, readers)
    for what, check, outcome, breaking in BREAKAGES:
        root = stage(args)
        breaking(root)
        expect_one_problem(args, root, service, what, check, outcome)
    print(f"e2e {args.case}: the staged installation passes on the simulated service; "
          f"{len(BREAKAGES)} breakages each reported alone")


def daemon_half(args, daemon):
    root = stage(args)
    expect_all_pass(args, root, [], list(driver.VPCD_PORTS))
    daemon.pcsc.close()
    daemon.pcsc = None
    for vicc in daemon.viccs.values():
        vicc.stop(daemon.log)
    daemon.viccs = {}
    driver.stop(daemon.pcscd, "pcscd", daemon.log)
    expect_one_problem(args, root, [], "pcscd stopped", "pcsc-service", "problem")
    return "passes on pcscd; with pcscd stopped the service alone is reported"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    for name in ("--kestrova", "--build-dir", "--profile", "--vicc", "--work-dir"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    args.case = "doctor"
    return driver.daemon_check_main(args, daemon_half, before=simulated_half)


if __name__ == "__main__":
    sys.exit(main())
