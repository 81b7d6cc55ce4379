#!/usr/bin/env python3
"""KestrovaSetup.exe under Wine, run silently as an administrator's
deployment runs it: in a fresh private WINEPREFIX it installs the files
where they belong, the browsers' native messaging keys and the control of
the bitness under test (--bits), registered by the regsvr32 of that
bitness: the Windows Script Host and the container of that bitness create
it, and the container runs a bank page's session with it on the simulated
card (the card methods answer only a page at an allowed address, which a
script host has not); run again over itself it upgrades cleanly; its
uninstaller, run silently, removes every file and key it added and leaves
the control's component category marks. The installer and the 64-bit registry view are
used through wine64, the control's registration and the pages through the
loader of the bitness. The browsers' extension keys (Chrome and Edge: the
extension id with the update URL; Firefox: the gecko id naming the
installed XPI) are checked in both registry views, and gone after
uninstalling. In the 64-bit run, `kestrova-host.exe --doctor` (on the
simulated winscard.dll) passes every check after the silent install, and
reports a removed browser key alone. The prefix's wineserver is stopped at
the end."""

import argparse
import json
import os
import re
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "win32"))
sys.dont_write_bytecode = True
from wine_prefix import Results, add_wine_options, missing_loader, private_prefix  # noqa: E402

SKIP = 77
HOST_NAME = "com.kestrova.bridge"
CLSID = "{407AE010-FC75-4EE6-90A1-D9A0ADA9A860}"
PROGID = "KESTROVA.KestrovaCtrl.1"
SAFE_FOR_SCRIPTING = "{7DD95801-9882-11CF-9FA9-00AA006C42C4}"
INSTALL_DIR = r"C:\Program Files\Kestrova"
FILES = ["KESTROVA.OCX", "kestrova-host.exe", f"{HOST_NAME}.json", f"{HOST_NAME}.firefox.json",
         "host.conf", r"x86\KESTROVA.OCX", r"extension\manifest.json",
         r"extension\page_api.js", "uninstall.exe"]
# (key, what its default value names)
HOST_KEYS = [
    (rf"HKLM\Software\Google\Chrome\NativeMessagingHosts\{HOST_NAME}", f"{HOST_NAME}.json"),
    (rf"HKLM\Software\Microsoft\Edge\NativeMessagingHosts\{HOST_NAME}", f"{HOST_NAME}.json"),
    (rf"HKLM\Software\Mozilla\NativeMessagingHosts\{HOST_NAME}", f"{HOST_NAME}.firefox.json"),
]
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrova"
CONTROL_KEYS = [rf"HKCR\{PROGID}", rf"HKCR\CLSID\{CLSID}\InprocServer32"]
CATEGORY_MARK = rf"HKCR\CLSID\{CLSID}\Implemented Categories\{SAFE_FOR_SCRIPTING}"
# Each bitness's module, and the system folder its programs load DLLs from.
MODULE = {64: rf"{INSTALL_DIR}\KESTROVA.OCX", 32: rf"{INSTALL_DIR}\x86\KESTROVA.OCX"}
SYSTEM_DIR = {64: "system32", 32: "syswow64"}
# The 32-bit registration as the 64-bit view shows it.
WOW64_SERVER = rf"HKCR\Wow6432Node\CLSID\{CLSID}\InprocServer32"

PAGE = """var passed = 0, failed = 0;
function check(ok, what) { if (ok) passed++; else { failed++; WScript.Echo("FAIL " + what); } }
var control = new ActiveXObject("KESTROVA.KestrovaCtrl.1");
check(typeof control.GetAPIVersion() == "string", "GetAPIVersion");
check(control.ConvertIntToHex(2, "AB") == "4142", "ConvertIntToHex");
WScript.Echo(passed + " passed, " + failed + " failed");
"""


def installed_path(wine, name):
    return wine.drive_c("Program Files", "Kestrova", *name.split("\\"))


def default_value(wine, key, loader=None):
    """The key's default value, or None when the key is not there; read with
    the prefix's loader (the view of the bitness under test) or another."""
    code, out = wine.run("reg", "query", key, "/ve", loader=loader)
    if code != 0:
        return None
    match = re.search(r"REG_SZ\s*(.*)$", out, re.M)
    return match[1].strip() if match else ""


def key_exists(wine, key, loader=None):
    return wine.run("reg", "query", key, loader=loader)[0] == 0


def check_installed(wine, results, when, options):
    for name in FILES:
        results.check(os.path.exists(installed_path(wine, name)), f"{when}: {name} installed")
    for key, manifest in HOST_KEYS:
        found = default_value(wine, key, options.wine64)
        results.check(found == rf"{INSTALL_DIR}\{manifest}", f"{when}: {key}", found)
    results.check(default_value(wine, rf"HKCR\{PROGID}\CLSID") == CLSID,
                  f"{when}: the control's ProgID is registered")
    found = default_value(wine, rf"HKCR\CLSID\{CLSID}\InprocServer32")
    results.check(found == MODULE[options.bits],
                  f"{when}: the {options.bits}-bit module is registered", found)
    if options.bits == 32:
        found = default_value(wine, WOW64_SERVER, options.wine64)
        results.check(found == MODULE[32], f"{when}: {WOW64_SERVER} names it", found)
    results.check(key_exists(wine, CATEGORY_MARK), f"{when}: safe for scripting")
    code, out = wine.run("reg", "query", UNINSTALL_KEY, "/v", "UninstallString",
                         loader=options.wine64)
    results.check(code == 0 and "uninstall.exe" in out, f"{when}: listed for uninstalling")
    code, out = wine.run("cscript", "//nologo", r"C:\page.js")
    results.script_summary(f"{when}: a script page uses the control", out)
    code, out = wine.run(r"C:\pages\kestrova_container.exe", "page", options.page_url,
                         r"C:\pages\session.js")
    results.script_summary(f"{when}: a bank page's session with the installed control", out)
    results.check(code == 0, f"{when}: the bank page ran without a script error")


def check_manifests(wine, results, extension_id, gecko_id):
    with open(installed_path(wine, f"{HOST_NAME}.json")) as file:
        chromium = json.load(file)
    with open(installed_path(wine, f"{HOST_NAME}.firefox.json")) as file:
        firefox = json.load(file)
    results.check(chromium["name"] == HOST_NAME and chromium["path"] == "kestrova-host.exe"
                  and chromium["allowed_origins"] == [f"chrome-extension://{extension_id}/"],
                  "the Chromium manifest names the host beside it and our extension", chromium)
    results.check(firefox["path"] == "kestrova-host.exe"
                  and firefox["allowed_extensions"] == [gecko_id]
                  and "allowed_origins" not in firefox,
                  "the Firefox manifest names the host beside it and our extension", firefox)


def extension_keys(options):
    """(key, value name, wanted data) of the browsers' extension keys."""
    return [
        (rf"HKLM\Software\Google\Chrome\Extensions\{options.extension_id}", "update_url",
         options.update_url),
        (rf"HKLM\Software\Microsoft\Edge\Extensions\{options.extension_id}", "update_url",
         options.update_url),
        (r"HKLM\Software\Mozilla\Firefox\Extensions", options.gecko_id,
         rf"{INSTALL_DIR}\kestrova.xpi"),
    ]


def registry_value(wine, key, name, view, wine64):
    code, out = wine.run("reg", "query", key, "/v", name, f"/reg:{view}", loader=wine64)
    if code != 0:
        return None
    match = re.search(rf"{re.escape(name)}\s+REG_SZ\s*(.*)$", out, re.M)
    return match[1].strip() if match else ""


def check_extension_keys(wine, results, options, installed):
    for view in ("64", "32"):
        for key, name, wanted in extension_keys(options):
            found = registry_value(wine, key, name, view, options.wine64)
            if installed:
                results.check(found == wanted, f"installed: {key} {name} ({view}-bit view)", found)
            else:
                results.check(found is None, f"uninstalled: {key} {name} removed ({view}-bit view)",
                              found)
    if installed:
        for name in ("kestrova.crx", "kestrova.xpi"):
            results.check(os.path.exists(installed_path(wine, name)), f"installed: {name}")


def doctor(wine, options):
    """The installed host's --doctor report (JSON) and exit status."""
    code, out = wine.run(rf"{INSTALL_DIR}\kestrova-host.exe", "--doctor", "--json",
                         loader=options.wine64)
    try:
        return json.loads(out), code
    except ValueError:
        return {"checks": [], "raw": out}, code


def check_doctor(wine, results, options):
    """--doctor after the silent install, then with Edge's host key gone (and
    put back)."""
    report, code = doctor(wine, options)
    wrong = [(c["check"], c["outcome"]) for c in report["checks"] if c["outcome"] != "ok"]
    results.check(code == 0 and not wrong and report.get("ok") is True,
                  "--doctor passes after the silent install", report)
    readers = [c for c in report["checks"] if c["check"] == "reader"]
    results.check(len(readers) >= 1 and "ATR" in readers[0]["result"],
                  "--doctor lists the readers with their cards' ATR", readers)
    edge = HOST_KEYS[1][0]
    wine.run("reg", "delete", edge, "/f", "/reg:64", loader=options.wine64)
    report, code = doctor(wine, options)
    wrong = [(c["check"], c["outcome"]) for c in report["checks"] if c["outcome"] != "ok"]
    results.check(code == 1 and wrong == [("edge-host", "problem")],
                  "--doctor reports the removed Edge key alone", report)
    wine.run("reg", "add", edge, "/ve", "/d", rf"{INSTALL_DIR}\{HOST_NAME}.json", "/f",
             "/reg:64", loader=options.wine64)


def uninstall(wine, results, options):
    # The uninstaller copies itself away and runs from there: wait for it.
    wine.run(rf"{INSTALL_DIR}\uninstall.exe", "/S", loader=options.wine64)
    deadline = time.monotonic() + 120
    while os.path.exists(installed_path(wine, "uninstall.exe")) and time.monotonic() < deadline:
        time.sleep(0.5)
    time.sleep(1)
    results.check(not os.path.exists(wine.drive_c("Program Files", "Kestrova")),
                  "uninstalled: the installation folder is gone")
    for key in [key for key, _ in HOST_KEYS] + [UNINSTALL_KEY]:
        results.check(not key_exists(wine, key, options.wine64), f"uninstalled: {key} removed")
    for key in CONTROL_KEYS:
        results.check(not key_exists(wine, key), f"uninstalled: {key} removed")
    if options.bits == 32:
        results.check(not key_exists(wine, WOW64_SERVER, options.wine64),
                      f"uninstalled: {WOW64_SERVER} removed")
    results.check(key_exists(wine, CATEGORY_MARK), "uninstalled: the category mark stays")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True)
    parser.add_argument("--extension-id", required=True)
    parser.add_argument("--gecko-id", required=True)
    parser.add_argument("--update-url", required=True)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--wine64", required=True, help="the 64-bit loader, for the installer")
    parser.add_argument("--winscard", required=True,
                        help="the simulated winscard.dll of the bitness under test")
    parser.add_argument("--container", required=True,
                        help="the container program of the bitness under test")
    parser.add_argument("--page", required=True, help="a bank page's session for the container")
    parser.add_argument("--page-url", required=True, help="an allowed page's address")
    add_wine_options(parser)
    options = parser.parse_args()
    for loader, bits in ((options.wine, options.bits), (options.wine64, 64)):
        skipped = missing_loader(argparse.Namespace(wine=loader, bits=bits))
        if skipped:
            print(skipped)
            return SKIP
    for path in (options.installer, options.winscard, options.container):
        if not os.path.exists(path):
            print(f"{path} is not built (scripts/test.sh builds the win32 preset first)")
            return 1

    results = Results()
    # A 64-bit prefix whatever the bitness: the installer is a 64-bit program.
    with private_prefix(options.work_dir, f"wine-setup{options.bits}-", options,
                        arch="win64") as wine:
        shutil.copy(options.installer, wine.drive_c("KestrovaSetup.exe"))
        with open(wine.drive_c("page.js"), "w", newline="\r\n") as page:
            page.write(PAGE)
        os.makedirs(wine.drive_c("pages"))
        shutil.copy(options.container, wine.drive_c("pages", "kestrova_container.exe"))
        shutil.copy(options.page, wine.drive_c("pages", "session.js"))
        # Where the programs of the bitness load the card service from.
        shutil.copy(options.winscard,
                    wine.drive_c("windows", SYSTEM_DIR[options.bits], "winscard.dll"))
        code, out = wine.run(r"C:\KestrovaSetup.exe", "/S", loader=options.wine64)
        results.check(code == 0, "the installer ran silently", out)
        check_installed(wine, results, "installed", options)
        check_manifests(wine, results, options.extension_id, options.gecko_id)
        code, out = wine.run(r"C:\KestrovaSetup.exe", "/S", loader=options.wine64)
        results.check(code == 0, "the installer ran again over itself", out)
        check_installed(wine, results, "upgraded", options)
        check_extension_keys(wine, results, options, installed=True)
        if options.bits == 64:
            # kestrova-host.exe is a 64-bit program.
            check_doctor(wine, results, options)
        uninstall(wine, results, options)
        check_extension_keys(wine, results, options, installed=False)
    print(f"{results.passed} passed, {results.failed} failed")
    return 0 if results.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
