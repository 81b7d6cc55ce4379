#!/usr/bin/env python3
"""Installs the build into a scratch folder as `cmake --install` and the
Debian package do, and checks what a browser needs there: each browser's
host manifest naming the installed kestrova-host and our extension the way
that browser wants it, the unpacked extension when the build has one (our
identity and every script its manifest names), the CRX (its signature, and
the id of its key equal to the id the host manifests, the external-extension
files and the host's caller check name), the XPI with the gecko id in the
system extension folder, the installed host answering a page on the
simulated readers from where it was installed, and lintian finding no error
in the package.

    check_install.py BUILD_DIR CHROMIUM_ID GECKO_ID HOST_NAME"""

import hashlib
import io
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

PROGRAM = "/usr/lib/kestrova/bin/kestrova-host"
EXTENSION = "usr/share/kestrova/extension"
CRX = "usr/share/kestrova/kestrova.crx"
XPI_FOLDER = "usr/share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}"
EXTERNAL_FOLDERS = ["usr/share/chromium/extensions", "usr/share/google-chrome/extensions"]
FIREFOX_PREFS = "usr/lib/firefox-esr/defaults/pref/kestrova.js"
MANIFESTS = {
    "etc/chromium/native-messaging-hosts": "allowed_origins",
    "etc/opt/chrome/native-messaging-hosts": "allowed_origins",
    "usr/lib/mozilla/native-messaging-hosts": "allowed_extensions",
}
# The package puts the Chromium manifests under /etc from postinst, from
# this copy; it owns nothing under /etc but host.conf.
PACKAGE_MANIFESTS = {
    "usr/share/kestrova/native-messaging-hosts": "allowed_origins",
    "usr/lib/mozilla/native-messaging-hosts": "allowed_extensions",
}


def fields(message):
    """The length-delimited fields of a protocol buffer: [(number, bytes)]."""
    found, at = [], 0

    def varint():
        nonlocal at
        value, shift = 0, 0
        while True:
            byte = message[at]
            at += 1
            value |= (byte & 0x7F) << shift
            shift += 7
            if not byte & 0x80:
                return value

    while at < len(message):
        key = varint()
        if key & 7 != 2:
            raise ValueError("field %d is not length-delimited" % (key >> 3))
        length = varint()
        found.append((key >> 3, message[at:at + length]))
        at += length
    return found


def openssl_verifies(public_key_der, signature, data, scratch):
    paths = [os.path.join(scratch, name) for name in ("key.der", "signature", "data")]
    for path, content in zip(paths, (public_key_der, signature, data)):
        with open(path, "wb") as file:
            file.write(content)
    pem = os.path.join(scratch, "key.pem")
    subprocess.run(["openssl", "pkey", "-pubin", "-inform", "DER", "-in", paths[0], "-out", pem],
                   check=True, capture_output=True)
    return subprocess.run(["openssl", "dgst", "-sha256", "-verify", pem, "-signature", paths[1],
                           paths[2]], capture_output=True, check=False).returncode == 0


def crx_id(path, failures):
    """The id of a CRX3 whose signature holds (and fails once a byte of the
    archive changes), else None."""
    with open(path, "rb") as file:
        crx = file.read()
    magic, version, header_length = crx[:4], *struct.unpack("<II", crx[4:12])
    if magic != b"Cr24" or version != 3:
        failures.append("%s is no CRX3: %r %d" % (path, magic, version))
        return None
    header = dict(fields(crx[12:12 + header_length]))
    archive = crx[12 + header_length:]
    proof = dict(fields(header[2]))
    signed_data = header[10000]
    public_key, signature = proof[1], proof[2]
    digest = hashlib.sha256(public_key).digest()
    if dict(fields(signed_data))[1] != digest[:16]:
        failures.append("%s: the signed crx_id is not its key's" % path)
    signed = b"CRX3 SignedData\x00" + struct.pack("<I", len(signed_data)) + signed_data
    with tempfile.TemporaryDirectory() as scratch:
        if not openssl_verifies(public_key, signature, signed + archive, scratch):
            failures.append("%s: the signature does not hold" % path)
        tampered = archive[:-1] + bytes([archive[-1] ^ 1])
        if openssl_verifies(public_key, signature, signed + tampered, scratch):
            failures.append("%s: the signature holds for a changed archive too" % path)
    with zipfile.ZipFile(io.BytesIO(archive)) as zipped:
        if "manifest.json" not in zipped.namelist():
            failures.append("%s holds no manifest.json" % path)
    return "".join(chr(ord("a") + int(digit, 16)) for digit in digest.hex()[:32])


def check_packed(root, chromium_id, gecko_id, failures):
    """The CRX's id is the build's; the external-extension files name it and
    the installed version; the XPI carries the gecko id."""
    found = crx_id(os.path.join(root, CRX), failures)
    if found != chromium_id:
        failures.append("the CRX's key gives the id %s, not %s" % (found, chromium_id))
    with open(os.path.join(root, EXTENSION, "manifest.json"), encoding="utf-8") as file:
        version = json.load(file)["version"]
    for folder in EXTERNAL_FOLDERS:
        path = os.path.join(root, folder, chromium_id + ".json")
        try:
            with open(path, encoding="utf-8") as file:
                external = json.load(file)
        except (OSError, ValueError) as error:
            failures.append("%s: %s" % (path, error))
            continue
        if external != {"external_crx": "/" + CRX, "external_version": version}:
            failures.append("%s: %s" % (path, external))
    xpi = os.path.join(root, XPI_FOLDER, gecko_id + ".xpi")
    try:
        with zipfile.ZipFile(xpi) as zipped:
            manifest = json.loads(zipped.read("manifest.json"))
        if manifest["browser_specific_settings"]["gecko"]["id"] != gecko_id:
            failures.append("%s: the gecko id is %s" % (xpi, manifest))
    except (OSError, KeyError, ValueError, zipfile.BadZipFile) as error:
        failures.append("%s: %s" % (xpi, error))
    policies = os.path.join(root, "usr/share/kestrova/policies")
    try:
        with open(os.path.join(policies, "chromium_managed.json"), encoding="utf-8") as file:
            forced = json.load(file)["ExtensionInstallForcelist"]
        with open(os.path.join(policies, "firefox_policies.json"), encoding="utf-8") as file:
            gecko = json.load(file)["policies"]["ExtensionSettings"][gecko_id]
        if not forced[0].startswith(chromium_id + ";https://") \
                or gecko["installation_mode"] != "force_installed":
            failures.append("the policy templates: %s %s" % (forced, gecko))
    except (OSError, KeyError, ValueError) as error:
        failures.append("the policy templates: %s" % error)
    if not os.path.isfile(os.path.join(root, FIREFOX_PREFS)):
        failures.append("missing " + FIREFOX_PREFS)


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


def check_tree(root, chromium_id, gecko_id, host_name, failures, extension_built,
               manifests=None):
    if extension_built:
        check_extension(os.path.join(root, EXTENSION), gecko_id, failures)
        check_packed(root, chromium_id, gecko_id, failures)
    for folder, key in (manifests or MANIFESTS).items():
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


def check_package(deb, failures):
    """Nothing under /etc but host.conf, which is the one conffile; lintian
    finds no error (and, where it is installed, is run)."""
    listing = subprocess.run(["dpkg-deb", "--fsys-tarfile", deb], capture_output=True,
                             check=True).stdout
    names = subprocess.run(["tar", "-t"], input=listing, capture_output=True,
                           check=True).stdout.decode().split()
    in_etc = [name for name in names if name.startswith("./etc/") and not name.endswith("/")]
    if in_etc != ["./etc/kestrova/host.conf"]:
        failures.append("the package's files under /etc: %s" % in_etc)
    conffiles = subprocess.run(["dpkg-deb", "-I", deb, "conffiles"], capture_output=True,
                               check=True).stdout.decode().split()
    if conffiles != ["/etc/kestrova/host.conf"]:
        failures.append("the package's conffiles: %s" % conffiles)
    if shutil.which("lintian") is None:
        print("lintian is not installed: the package is not linted")
        return
    lint = subprocess.run(["lintian", "--fail-on", "error,warning", deb], capture_output=True,
                          check=False)
    if lint.returncode != 0:
        failures.append("lintian: " + lint.stdout.decode(errors="replace")
                        + lint.stderr.decode(errors="replace"))


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
            check_tree(unpacked, chromium_id, gecko_id, host_name, failures, extension_built,
                       PACKAGE_MANIFESTS)
            check_package(os.path.join(packages, debs[0]), failures)
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
