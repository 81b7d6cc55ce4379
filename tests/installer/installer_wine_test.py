#!/usr/bin/env python3
"""KestrovaSetup.exe under Wine, run silently as an administrator's
deployment runs it: in a fresh private WINEPREFIX it installs the files
where they belong, the browsers' native messaging keys and the registered
control (callable from a Windows Script Host page); run again over itself
it upgrades cleanly; its uninstaller, run silently, removes every file and
key it added and leaves the control's component category marks. Wine here
runs 64-bit programs only: the 32-bit module is installed but its
registration (by the 32-bit regsvr32) is not run. The browsers' extension
keys (Chrome and Edge: the extension id with the update URL; Firefox: the
gecko id naming the installed XPI) are checked in both registry views, and
gone after uninstalling. The prefix's wineserver is stopped at the end."""

import argparse
import json
import os
import re
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "win32"))
sys.dont_write_bytecode = True
from wine_prefix import Results, private_prefix  # noqa: E402

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

PAGE = """var passed = 0, failed = 0;
function check(ok, what) { if (ok) passed++; else { failed++; WScript.Echo("FAIL " + what); } }
var control = new ActiveXObject("KESTROVA.KestrovaCtrl.1");
check(typeof control.GetAPIVersion() == "string", "GetAPIVersion");
check(control.ConvertIntToHex(2, "AB") == "4142", "ConvertIntToHex");
WScript.Echo(passed + " passed, " + failed + " failed");
"""


def installed_path(wine, name):
    return wine.drive_c("Program Files", "Kestrova", *name.split("\\"))


def default_value(wine, key):
    """The key's default value, or None when the key is not there."""
    code, out = wine.run("reg", "query", key, "/ve")
    if code != 0:
        return None
    match = re.search(r"REG_SZ\s*(.*)$", out, re.M)
    return match[1].strip() if match else ""


def key_exists(wine, key):
    return wine.run("reg", "query", key)[0] == 0


def check_installed(wine, results, when):
    for name in FILES:
        results.check(os.path.exists(installed_path(wine, name)), f"{when}: {name} installed")
    for key, manifest in HOST_KEYS:
        results.check(default_value(wine, key) == rf"{INSTALL_DIR}\{manifest}",
                      f"{when}: {key}", default_value(wine, key))
    results.check(default_value(wine, rf"HKCR\{PROGID}\CLSID") == CLSID,
                  f"{when}: the control's ProgID is registered")
    results.check(default_value(wine, rf"HKCR\CLSID\{CLSID}\InprocServer32") ==
                  rf"{INSTALL_DIR}\KESTROVA.OCX", f"{when}: the 64-bit module is registered")
    results.check(key_exists(wine, CATEGORY_MARK), f"{when}: safe for scripting")
    code, out = wine.run("reg", "query", UNINSTALL_KEY, "/v", "UninstallString")
    results.check(code == 0 and "uninstall.exe" in out, f"{when}: listed for uninstalling")
    code, out = wine.run("cscript", "//nologo", r"C:\page.js")
    results.script_summary(f"{when}: a script page uses the control", out)


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


def registry_value(wine, key, name, view):
    code, out = wine.run("reg", "query", key, "/v", name, f"/reg:{view}")
    if code != 0:
        return None
    match = re.search(rf"{re.escape(name)}\s+REG_SZ\s*(.*)$", out, re.M)
    return match[1].strip() if match else ""


def check_extension_keys(wine, results, options, installed):
    for view in ("64", "32"):
        for key, name, wanted in extension_keys(options):
            found = registry_value(wine, key, name, view)
            if installed:
                results.check(found == wanted, f"installed: {key} {name} ({view}-bit view)", found)
            else:
                results.check(found is None, f"uninstalled: {key} {name} removed ({view}-bit view)",
                              found)
    if installed:
        for name in ("kestrova.crx", "kestrova.xpi"):
            results.check(os.path.exists(installed_path(wine, name)), f"installed: {name}")


def uninstall(wine, results):
    # The uninstaller copies itself away and runs from there: wait for it.
    wine.run(rf"{INSTALL_DIR}\uninstall.exe", "/S")
    deadline = time.monotonic() + 120
    while os.path.exists(installed_path(wine, "uninstall.exe")) and time.monotonic() < deadline:
        time.sleep(0.5)
    time.sleep(1)
    results.check(not os.path.exists(wine.drive_c("Program Files", "Kestrova")),
                  "uninstalled: the installation folder is gone")
    for key in [key for key, _ in HOST_KEYS] + [UNINSTALL_KEY] + CONTROL_KEYS:
        results.check(not key_exists(wine, key), f"uninstalled: {key} removed")
    results.check(key_exists(wine, CATEGORY_MARK), "uninstalled: the category mark stays")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True)
    parser.add_argument("--extension-id", required=True)
    parser.add_argument("--gecko-id", required=True)
    parser.add_argument("--update-url", required=True)
    parser.add_argument("--work-dir", required=True)
    options = parser.parse_args()
    if shutil.which("wine") is None:
        print("wine is not installed")
        return SKIP

    results = Results()
    with private_prefix(options.work_dir, "wine-setup-") as wine:
        shutil.copy(options.installer, wine.drive_c("KestrovaSetup.exe"))
        with open(wine.drive_c("page.js"), "w", newline="\r\n") as page:
            page.write(PAGE)
        code, out = wine.run(r"C:\KestrovaSetup.exe", "/S")
        results.check(code == 0, "the installer ran silently", out)
        check_installed(wine, results, "installed")
        check_manifests(wine, results, options.extension_id, options.gecko_id)
        code, out = wine.run(r"C:\KestrovaSetup.exe", "/S")
        results.check(code == 0, "the installer ran again over itself", out)
        check_installed(wine, results, "upgraded")
        check_extension_keys(wine, results, options, installed=True)
        uninstall(wine, results)
        check_extension_keys(wine, results, options, installed=False)
    print(f"{results.passed} passed, {results.failed} failed")
    return 0 if results.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
