#!/usr/bin/env python3
"""KESTROVA.OCX under Wine, as Windows would use it: registration with
regsvr32 and what it leaves in the registry, a container program doing what
a browser does, and Windows Script Host pages. Everything runs in one private
WINEPREFIX whose wineserver is stopped at the end."""

import argparse
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "win32"))
sys.dont_write_bytecode = True
from wine_prefix import Results, add_wine_options, missing_loader, private_prefix  # noqa: E402

CLSID = "{407AE010-FC75-4EE6-90A1-D9A0ADA9A860}"
PAGE_CLSID = "{F40CD75F-0D0E-4D02-8764-E72F4E225CE3}"
LIBID = "{56DB0064-E396-4C97-93C4-394622C6F149}"
PROGID = "KESTROVA.KestrovaCtrl.1"
SAFE_FOR_SCRIPTING = "{7DD95801-9882-11CF-9FA9-00AA006C42C4}"
SAFE_FOR_INITIALIZING = "{7DD95802-9882-11CF-9FA9-00AA006C42C4}"
SELFREG_E_TYPELIB = "0x80040200"
CATEGORY_MANAGER = "{0002E005-0000-0000-C000-000000000046}"
MODULE = r"C:\kestrova\KESTROVA.OCX"
SKIP = 77
# Where the type library of a module of each bitness is registered.
TYPELIB_PLATFORM = {32: "win32", 64: "win64"}


def registry(wine, roots):
    """Every key below the given roots, with its values: {key: {name: data}},
    the default value named ""; a key shows as soon as it exists."""
    keys = {}
    for root in roots:
        code, out = wine.run("reg", "query", root, "/s")
        if code != 0:
            continue
        current = None
        for line in out.split("\n"):
            if line.startswith("HKEY_"):
                current = line.strip().upper().replace("HKEY_CLASSES_ROOT", "HKCR")
                keys[current] = {}
            elif current is not None and line.startswith("    "):
                match = re.match(r"\s+(.*?)\s+REG_\w+\s*(.*)$", line)
                if match:
                    name = "" if match[1] == "(Default)" else match[1]
                    keys[current][name] = match[2].strip()
    return keys


def query(keys, key, value=None):
    """The data of a value, "" for a key without it, None without the key."""
    values = keys.get(key.upper())
    return None if values is None else values.get(value or "", "")


REGISTRY_ROOTS = [rf"HKCR\{PROGID}", rf"HKCR\CLSID\{CLSID}", rf"HKCR\CLSID\{PAGE_CLSID}",
                  rf"HKCR\Component Categories\{SAFE_FOR_SCRIPTING}",
                  rf"HKCR\Component Categories\{SAFE_FOR_INITIALIZING}", rf"HKCR\TypeLib\{LIBID}"]


def expected_registration():
    clsid = rf"HKCR\CLSID\{CLSID}"
    return [
        (rf"HKCR\{PROGID}", None, "Kestrova Control"),
        (rf"HKCR\{PROGID}\CLSID", None, CLSID),
        (clsid, None, "Kestrova Control"),
        (rf"{clsid}\ProgID", None, PROGID),
        (rf"{clsid}\InprocServer32", None, MODULE),
        (rf"{clsid}\InprocServer32", "ThreadingModel", "Apartment"),
        (rf"{clsid}\ToolboxBitmap32", None, MODULE + ", 1"),
        (rf"{clsid}\MiscStatus", None, "0"),
        (rf"{clsid}\MiscStatus\1", None, "131473"),
        (rf"{clsid}\Control", None, ""),
        (rf"{clsid}\TypeLib", None, LIBID),
        (rf"{clsid}\Version", None, "1.0"),
        (rf"{clsid}\Implemented Categories\{SAFE_FOR_SCRIPTING}", None, ""),
        (rf"{clsid}\Implemented Categories\{SAFE_FOR_INITIALIZING}", None, ""),
        (rf"HKCR\Component Categories\{SAFE_FOR_SCRIPTING}", "409",
         "Controls that are safely scriptable"),
        (rf"HKCR\Component Categories\{SAFE_FOR_INITIALIZING}", "409",
         "Controls safely initializable from persistent data"),
        (rf"HKCR\CLSID\{PAGE_CLSID}", None, "Kestrova Property Page"),
        (rf"HKCR\CLSID\{PAGE_CLSID}\InprocServer32", None, MODULE),
        (rf"HKCR\CLSID\{PAGE_CLSID}\InprocServer32", "ThreadingModel", ""),
        (rf"HKCR\TypeLib\{LIBID}\1.0", None, "Kestrova ActiveX Control module"),
    ]


def check_registered(wine, results, when, bits):
    keys = registry(wine, REGISTRY_ROOTS)
    for key, value, expected in expected_registration():
        found = query(keys, key, value)
        results.check(found is not None and found.lower().endswith(expected.lower())
                      and (expected != "" or found == ""),
                      f"{when}: {key} {value or '(default)'} = {expected!r}", repr(found))
    typelib_path = query(keys, rf"HKCR\TypeLib\{LIBID}\1.0\409\{TYPELIB_PLATFORM[bits]}")
    results.check(typelib_path is not None and typelib_path.endswith(MODULE),
                  f"{when}: the type library is registered from the module", repr(typelib_path))


def check_unregistered(wine, results):
    keys = registry(wine, REGISTRY_ROOTS)
    clsid = rf"HKCR\CLSID\{CLSID}"
    for key in (rf"HKCR\{PROGID}", rf"{clsid}\InprocServer32", rf"{clsid}\ProgID",
                rf"HKCR\CLSID\{PAGE_CLSID}", rf"HKCR\TypeLib\{LIBID}"):
        results.check(query(keys, key) is None, f"unregistered: {key} removed")
    left = sorted(k for k in keys if k.startswith(clsid.upper() + "\\"))
    results.check(left == [(clsid + r"\Implemented Categories").upper(),
                           (clsid + rf"\Implemented Categories\{SAFE_FOR_SCRIPTING}").upper(),
                           (clsid + rf"\Implemented Categories\{SAFE_FOR_INITIALIZING}").upper()]
                  and keys.get(clsid.upper(), {}) == {},
                  "unregistered: the class key keeps only its category marks", repr(left))
    for key, value, expected in expected_registration():
        if "Categor" in key:
            results.check(query(keys, key, value) == expected,
                          f"unregistered: category mark {key} stays")


def method_script(idl):
    """A script calling every method of the dispatch interface by name, with
    a zero or an empty text for each parameter, checking the result's type."""
    text = open(idl, encoding="utf-8").read()
    methods = re.findall(r"\[id\((\d+)\)\]\s*(long|BSTR)\s+(\w+)\s*\(([^)]*)\)", text)
    # These three show the refused-page box without a page; they are left to
    # the container program, which gives them one.
    boxed = {"ConnectCard", "ChangePIN", "WriteRecordWithSNUMTACProcEx2"}
    lines = ['var c = new ActiveXObject("KESTROVA.KestrovaCtrl.1");',
             "var passed = 0, failed = 0;",
             "function check(ok, what) { if (ok) passed++; else { failed++;"
             ' WScript.Echo("FAIL " + what); } }']
    for dispid, result, name, params in methods:
        if name in boxed:
            continue
        args = ", ".join("0" if p.strip().startswith("long") else '""'
                         for p in params.split(",") if p.strip())
        want = "number" if result == "long" else "string"
        lines.append(f'try {{ check(typeof c.{name}({args}) == "{want}", "{name}"); }}'
                     f' catch (e) {{ check(false, "{name}: " + e.description); }}')
    lines.append(f"check({len(methods)} == 79, \"79 methods in the type library\");")
    lines.append('WScript.Echo(passed + " passed, " + failed + " failed");')
    return "\r\n".join(lines) + "\r\n"


def corrupt_type_library(module, copy):
    data = open(module, "rb").read()
    header = b"MSFT\x02\x00\x01\x00"
    if data.count(header) != 1:
        return False
    open(copy, "wb").write(data.replace(header, b"XSFT\x02\x00\x01\x00"))
    return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ocx", required=True)
    parser.add_argument("--container", required=True)
    parser.add_argument("--idl", required=True)
    parser.add_argument("--scripts", required=True, help="pages for cscript")
    parser.add_argument("--pages", required=True, help="pages the container runs at --page-url")
    parser.add_argument("--page-url", required=True, help="an allowed page's address")
    parser.add_argument("--winscard", help="the simulated winscard.dll the pages need")
    parser.add_argument("--work-dir", required=True)
    add_wine_options(parser)
    options = parser.parse_args()
    skipped = missing_loader(options)
    if skipped:
        print(skipped)
        return SKIP

    results = Results()
    with private_prefix(options.work_dir, "wine-com-", options) as wine:
        folder = wine.drive_c("kestrova")
        os.makedirs(folder)
        for path in (options.ocx, options.container):
            shutil.copy(path, folder)
        for name in os.listdir(options.scripts):
            shutil.copy(os.path.join(options.scripts, name), folder)
        shutil.copytree(options.pages, os.path.join(folder, "pages"))
        if options.winscard:
            # Beside the programs, it is found before the system's own.
            shutil.copy(options.winscard, os.path.join(folder, "winscard.dll"))
        else:
            print("# no simulated winscard.dll: the pages are not run")
        with open(os.path.join(folder, "methods.js"), "w", newline="") as script:
            script.write(method_script(options.idl))

        for attempt in ("registered", "registered twice"):
            code, out = wine.run("regsvr32", "/s", MODULE)
            results.check(code == 0, f"regsvr32 ({attempt})", out)
            check_registered(wine, results, attempt, options.bits)

        code, out = wine.run(r"C:\kestrova\kestrova_container.exe", "checks",
                             *(["simulated"] if options.winscard else []))
        print(out.rstrip())
        results.check(code == 0 and out.rstrip().endswith(" 0 failed"), "container program")

        for script in sorted(n for n in os.listdir(folder) if n.endswith(".js")):
            code, out = wine.run("cscript", "//nologo", rf"C:\kestrova\{script}")
            results.script_summary(f"cscript {script}", out)

        for page in sorted(os.listdir(os.path.join(folder, "pages"))) if options.winscard else []:
            code, out = wine.run(r"C:\kestrova\kestrova_container.exe", "page", options.page_url,
                                 rf"C:\kestrova\pages\{page}")
            results.script_summary(f"page {page} at {options.page_url}", out)
            results.check(code == 0, f"page {page} ran without a script error")

        code, out = wine.run("regsvr32", "/s", "/u", MODULE)
        results.check(code == 0, "regsvr32 /u", out)
        check_unregistered(wine, results)
        code, _ = wine.run("regsvr32", "/s", "/u", MODULE)
        results.check(code != 0, "regsvr32 /u fails once the type library is gone")

        broken = os.path.join(folder, "BROKEN.OCX")
        results.check(corrupt_type_library(os.path.join(folder, "KESTROVA.OCX"), broken),
                      "one type library in the module")
        code, out = wine.run(r"C:\kestrova\kestrova_container.exe", "selfreg",
                             r"C:\kestrova\BROKEN.OCX")
        results.check(out.split() == ["DllRegisterServer", SELFREG_E_TYPELIB,
                                      "DllUnregisterServer", SELFREG_E_TYPELIB],
                      "SELFREG_E_TYPELIB when the type library cannot be registered", out)
        results.check(query(registry(wine, REGISTRY_ROOTS), rf"HKCR\{PROGID}") is None,
                      "no class is registered without its type library")

        # A system without the component category manager: the control is
        # registered all the same, only without its category marks.
        for key in (rf"HKCR\CLSID\{CLSID}", rf"HKCR\Component Categories\{SAFE_FOR_SCRIPTING}",
                    rf"HKCR\Component Categories\{SAFE_FOR_INITIALIZING}",
                    rf"HKCR\CLSID\{CATEGORY_MANAGER}"):
            wine.run("reg", "delete", key, "/f")
        code, out = wine.run("regsvr32", "/s", MODULE)
        keys = registry(wine, REGISTRY_ROOTS)
        results.check(code == 0 and query(keys, rf"HKCR\CLSID\{CLSID}\InprocServer32") == MODULE
                      and not any("CATEGOR" in key for key in keys),
                      "registered without the category manager, without category marks",
                      repr(sorted(keys)))
    print(f"{results.passed} passed, {results.failed} failed")
    return 0 if results.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
