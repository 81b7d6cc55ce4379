#!/usr/bin/env python3
"""A bank's own build: the project configured in a folder of its own with
two other allowed hosts and a key of the bank's, as README's section for a
bank's IT says. The extension's manifest and allowed origins name the new
hosts only; the extension id is the one the bank's key gives (not this
build's); the control's own check, built with those hosts, admits the new
sites and refuses the old ones; a host 0 that is no IPv4 address or a host 1
that is no DNS name stops the configure with a message naming it.

    bank_build_test.py SOURCE_DIR WORK_DIR THIS_BUILDS_ID
"""

import hashlib
import json
import os
import re
import subprocess
import sys

NEW_HOSTS = ("198.51.100.7", "Online.Bank.example.org")
ADMITTED = ["https://198.51.100.7/", "https://online.bank.example.org/pay",
            "https://ONLINE.bank.example.org:8443/", "https://www.online.bank.example.org/"]
REFUSED = ["https://192.0.2.10/", "https://card.kestrova.example.com/",
           "http://online.bank.example.org/", "https://bank.example.org/",
           "https://198.51.100.77/"]
BAD_VALUES = [("KESTROVA_ALLOWED_HOST_0", "bank.example.org", "must be a dotted-decimal IPv4"),
              ("KESTROVA_ALLOWED_HOST_1", "198.51.100.7/x", "must be a DNS host name")]


def configure(source, build, *definitions):
    return subprocess.run(["cmake", "-S", source, "-B", build, "-G", "Ninja",
                           "-DKESTROVA_TESTS=OFF", *(f"-D{d}" for d in definitions)],
                          capture_output=True, text=True, check=False)


def key_id(pem):
    der = subprocess.run(["openssl", "pkey", "-in", pem, "-pubout", "-outform", "DER"],
                         capture_output=True, check=True).stdout
    return "".join(chr(ord("a") + int(d, 16)) for d in hashlib.sha256(der).hexdigest()[:32])


def main():
    source, work, this_id = sys.argv[1:4]
    failures = []
    os.makedirs(work, exist_ok=True)
    pem = os.path.join(work, "bank-key.pem")
    if not os.path.exists(pem):
        subprocess.run(["openssl", "genpkey", "-algorithm", "RSA", "-pkeyopt",
                        "rsa_keygen_bits:2048", "-out", pem], capture_output=True, check=True)
    build = os.path.join(work, "build")
    done = configure(source, build, f"KESTROVA_ALLOWED_HOST_0={NEW_HOSTS[0]}",
                     f"KESTROVA_ALLOWED_HOST_1={NEW_HOSTS[1]}",
                     f"KESTROVA_EXTENSION_PRIVATE_KEY={pem}")
    if done.returncode != 0:
        print(done.stdout + done.stderr, file=sys.stderr)
        return 1

    extension = os.path.join(build, "bridge/extension/unpacked")
    with open(os.path.join(extension, "manifest.json"), encoding="utf-8") as file:
        manifest = json.load(file)
    with open(os.path.join(extension, "allowed_origins.js"), encoding="utf-8") as file:
        origins = re.findall(r'"(https://[^"]*)"', file.read())
    wanted = ["https://198.51.100.7", "https://online.bank.example.org"]
    if origins != wanted:
        failures.append(f"allowed origins {origins}, not {wanted}")
    patterns = [manifest["content_scripts"][0]["matches"],
                manifest["web_accessible_resources"][0]["matches"]]
    if any(found != [origin + "/*" for origin in wanted] for found in patterns):
        failures.append(f"match patterns {patterns}")
    with open(os.path.join(build, "extension_identity_used.cmake"), encoding="utf-8") as file:
        used = re.search(r'KESTROVA_CHROMIUM_EXTENSION_ID "([a-p]{32})"', file.read())
    bank_id = key_id(pem)
    if used is None or used[1] != bank_id or bank_id == this_id:
        failures.append(f"the bank's build has the id {used and used[1]}, its key gives "
                        f"{bank_id}, this build's is {this_id}")

    subprocess.run(["cmake", "--build", build, "--target", "kestrova_allowed_hosts_probe"],
                   capture_output=True, check=True)
    probe = subprocess.run([os.path.join(build, "bin", "kestrova_allowed_hosts_probe"),
                            *ADMITTED, *REFUSED], capture_output=True, text=True, check=True)
    wanted_lines = [f"admitted {url}" for url in ADMITTED] + [f"refused {url}" for url in REFUSED]
    if probe.stdout.splitlines() != wanted_lines:
        failures.append("the control's check in the bank's build:\n" + probe.stdout)

    for name, value, message in BAD_VALUES:
        bad = configure(source, os.path.join(work, "bad-" + name), f"{name}={value}")
        if bad.returncode == 0 or message not in bad.stderr or value not in bad.stderr:
            failures.append(f"{name}={value} was configured: {bad.stderr[-300:]}")
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
