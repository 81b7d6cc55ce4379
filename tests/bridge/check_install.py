#!/usr/bin/env python3
"""Installs the build into a scratch folder as `cmake --install` and the
Debian package do, and checks what a browser needs there: each browser's
host manifest naming the installed kestrova-host and our extension the way
that browser wants it, the unpacked extension when the build has one (our
identity and every script its manifest names), and the installed host
answering a page on the simulated readers from where it was installed.

    check_install.py BUILD_DIR CHROMIUM_ID GECKO_ID HOST_NAME"""

import json
import os
import struct
import subprocess
import sys
import tempfile

PROGRAM = "/usr/lib/kestrova/bin/kestrova-host"
EXTENSION = "usr/share/kestrova/extension"
MANIFESTS = {
    "etc/chromium/native-messaging-hosts": "allowed_origins",
    "etc/opt/chrome/native-messaging-hosts": "allowed_origins",
    "usr/lib/mozilla/native-messaging-hosts": "allowed_extensions",
}


def frames(messages):
    return b"".join(struct.pack("=I", len(m)) + m for m in (json.dumps(x).encode() for x in messages))


def replies(output):
    found = []
    while len(output) >= 4:
        (length,) = struct.unpack("=I", output[:4])
        found.append(json.loads(output[4:4 + length]))
        output = output[4 + length:]
    return found


def check_extension(folder, gecko_id, failures):
    """The unpacked extension: its manifest with our identity, and every
    script the manifest names."""
    try:
        with open(os.path.join(folder, "manifest.json"), encoding="utf-8") as file:
            manifest = json.load(file)
    except (OSError, ValueError) as error:
        failures.append("the installed extension: %s" % error)
        return
    if manifest["browser_specific_settings"]["gecko"]["id"] != gecko_id or not manifest["key"]:
        failures.append("the installed extension's identity: %s" % manifest)
    scripts = (manifest["background"]["scripts"] + [manifest["background"]["service_worker"]]
               + [name for entry in manifest["content_scripts"] for name in entry["js"]]
               + [name for entry in manifest["web_accessible_resources"]
                  for name in entry["resources"]])
    failures.extend("the installed extension lacks " + name for name in scripts
                    if not os.path.isfile(os.path.join(folder, name)))


def check_tree(root, chromium_id, gecko_id, host_name, failures, extension_built):
    if extension_built:
        check_extension(os.path.join(root, EXTENSION), gecko_id, failures)
    for folder, key in MANIFESTS.items():
        path = os.path.join(root, folder, host_name + ".json")
        if not os.path.isfile(path):
            failures.append("missing " + path)
            continue
        with open(path, encoding="utf-8") as file:
            manifest = json.load(file)
        expected = ["chrome-extension://%s/" % chromium_id] if key == "allowed_origins" else [gecko_id]
        other = "allowed_extensions" if key == "allowed_origins" else "allowed_origins"
        if (manifest.get("name") != host_name or manifest.get("path") != PROGRAM
                or manifest.get("type") != "stdio" or manifest.get(key) != expected
                or other in manifest):
            failures.append("%s: %s" % (path, manifest))
    program = root + PROGRAM
    session = subprocess.run(
        [program, "--simulate", "--ui=console", "chrome-extension://%s/" % chromium_id],
        input=frames([{"origin": "https://card.kestrova.example.com"},
                      {"id": 1, "method": "ListReaders", "args": []},
                      {"id": 2, "method": "GetReaderNumber", "args": []}]),
        capture_output=True, timeout=60, check=False,
        env=dict(os.environ, KESTROVA_HOST_CONFIG=os.devnull))
    answers = replies(session.stdout)
    if session.returncode != 0 or len(answers) != 3 or answers[1].get("result") != 0 \
            or not answers[2].get("result", 0) > 0:
        failures.append("%s answered %s (%d): %s" % (program, answers, session.returncode,
                                                      session.stderr.decode(errors="replace")))


def main():
    build, chromium_id, gecko_id, host_name = sys.argv[1:5]
    failures = []
    # The unpacked extension, where the build assembles it.
    extension_built = os.path.isfile(os.path.join(build, "bridge/extension/unpacked/manifest.json"))
    with tempfile.TemporaryDirectory() as scratch:
        root = os.path.join(scratch, "installed")
        subprocess.run(["cmake", "--install", build, "--prefix", "/usr"], check=True,
                       stdout=subprocess.DEVNULL, env=dict(os.environ, DESTDIR=root))
        check_tree(root, chromium_id, gecko_id, host_name, failures, extension_built)

        packages = os.path.join(scratch, "packages")
        subprocess.run(["cpack", "-G", "DEB", "-B", packages, "--config",
                        os.path.join(build, "CPackConfig.cmake")],
                       check=True, stdout=subprocess.DEVNULL)
        debs = [name for name in os.listdir(packages) if name.endswith(".deb")]
        if len(debs) != 1:
            failures.append("cpack made %s" % debs)
        else:
            unpacked = os.path.join(scratch, "unpacked")
            subprocess.run(["dpkg-deb", "-x", os.path.join(packages, debs[0]), unpacked], check=True)
            check_tree(unpacked, chromium_id, gecko_id, host_name, failures, extension_built)
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
