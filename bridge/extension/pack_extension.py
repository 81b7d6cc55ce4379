#!/usr/bin/env python3
"""Packs the unpacked extension for the browsers and their stores:

  kestrova.crx        CRX3 for Chromium, Google Chrome and Edge, signed with
                      the build's private key (RSA with SHA-256)
  kestrova.xpi        for Firefox (the gecko id in its manifest)
  kestrova-store.zip  for upload to the browsers' extension stores (no "key")
  updates.xml         Chromium's update manifest naming the CRX and version
  updates.json        Firefox's update manifest naming the XPI and version

    pack_extension.py UNPACKED KEY.pem OUT_DIR UPDATE_BASE_URL

The archives are reproducible (fixed times, sorted names); the signature is
made by the openssl command, so nothing but Python and OpenSSL is needed.
The CRX3 header is the CrxFileHeader protocol buffer, written here by hand:

  CrxFileHeader { repeated AsymmetricKeyProof sha256_with_rsa = 2;
                  bytes signed_header_data = 10000; }
  AsymmetricKeyProof { bytes public_key = 1; bytes signature = 2; }
  SignedData { bytes crx_id = 1; }   // the first 16 bytes of SHA-256(key)
"""

import hashlib
import io
import json
import os
import struct
import subprocess
import sys
import tempfile
import zipfile
from xml.sax.saxutils import quoteattr

SIGNATURE_CONTEXT = b"CRX3 SignedData\x00"
ZIP_TIME = (2000, 1, 1, 0, 0, 0)


def varint(value):
    out = bytearray()
    while True:
        byte = value & 0x7F
        value >>= 7
        if value:
            out.append(byte | 0x80)
        else:
            out.append(byte)
            return bytes(out)


def length_delimited(field, payload):
    return varint(field << 3 | 2) + varint(len(payload)) + payload


def extension_id(public_key_der):
    digest = hashlib.sha256(public_key_der).hexdigest()[:32]
    return "".join(chr(ord("a") + int(digit, 16)) for digit in digest)


def archive(folder, manifest):
    """A zip of the folder's files with the manifest given in place of its own."""
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as zipped:
        names = sorted(os.path.relpath(os.path.join(top, name), folder)
                       for top, _, files in os.walk(folder) for name in files)
        for name in names:
            info = zipfile.ZipInfo(name.replace(os.sep, "/"), ZIP_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            if name == "manifest.json":
                data = (json.dumps(manifest, indent=2) + "\n").encode()
            else:
                with open(os.path.join(folder, name), "rb") as file:
                    data = file.read()
            zipped.writestr(info, data)
    return buffer.getvalue()


def openssl(*arguments, data=None):
    return subprocess.run(["openssl", *arguments], input=data, capture_output=True,
                          check=True).stdout


def crx3(zip_bytes, key_pem):
    public_key = openssl("pkey", "-in", key_pem, "-pubout", "-outform", "DER")
    crx_id = hashlib.sha256(public_key).digest()[:16]
    signed_data = length_delimited(1, crx_id)
    signed = SIGNATURE_CONTEXT + struct.pack("<I", len(signed_data)) + signed_data + zip_bytes
    with tempfile.NamedTemporaryFile() as message:
        message.write(signed)
        message.flush()
        signature = openssl("dgst", "-sha256", "-sign", key_pem, message.name)
    proof = length_delimited(1, public_key) + length_delimited(2, signature)
    header = length_delimited(2, proof) + length_delimited(10000, signed_data)
    return (b"Cr24" + struct.pack("<II", 3, len(header)) + header + zip_bytes,
            extension_id(public_key))


def write(path, data):
    with open(path, "wb") as file:
        file.write(data if isinstance(data, bytes) else data.encode())


def main():
    unpacked, key_pem, out_dir, update_base = sys.argv[1:5]
    update_base = update_base.rstrip("/")
    with open(os.path.join(unpacked, "manifest.json"), encoding="utf-8") as file:
        manifest = json.load(file)
    manifest.pop("key", None)  # the stores refuse it; a CRX carries its key itself
    version = manifest["version"]
    gecko_id = manifest["browser_specific_settings"]["gecko"]["id"]
    os.makedirs(out_dir, exist_ok=True)

    write(os.path.join(out_dir, "kestrova-store.zip"), archive(unpacked, manifest))
    # Self-distributed copies say where their updates are.
    chromium = dict(manifest, update_url=update_base + "/updates.xml")
    gecko = json.loads(json.dumps(manifest))
    gecko["browser_specific_settings"]["gecko"]["update_url"] = update_base + "/updates.json"
    write(os.path.join(out_dir, "kestrova.xpi"), archive(unpacked, gecko))
    crx, chromium_id = crx3(archive(unpacked, chromium), key_pem)
    write(os.path.join(out_dir, "kestrova.crx"), crx)

    write(os.path.join(out_dir, "updates.xml"),
          "<?xml version='1.0' encoding='UTF-8'?>\n"
          "<gupdate xmlns='http://www.google.com/update2/response' protocol='2.0'>\n"
          f"  <app appid={quoteattr(chromium_id)}>\n"
          f"    <updatecheck codebase={quoteattr(update_base + '/kestrova.crx')} "
          f"version={quoteattr(version)} />\n"
          "  </app>\n</gupdate>\n")
    write(os.path.join(out_dir, "updates.json"), json.dumps(
        {"addons": {gecko_id: {"updates": [
            {"version": version, "update_link": update_base + "/kestrova.xpi"}]}}},
        indent=2) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
