#!/usr/bin/env python3
"""The Debian package's life on a system, in a private mount namespace whose
/usr, /etc and /var are writable layers over the real ones (nothing reaches
the real system): with a /etc/opt that was there before, the build's package
is installed (the browsers' host manifests under /etc name the installed
program; Chromium, started headless with a fresh profile and no extension
flags, runs the extension of the package's version), upgraded to a newer
build (the same profile's Chromium now runs the newer version), removed
(no host manifest is left naming the removed program; only the conffile
host.conf stays) and purged: the browser's extension list (the same
profile's Chromium runs no extension of ours) and the file system are as
they were before, /etc/opt included.

The newer build is the build's package made again with a higher version:
the extension repacked and signed with the build's key, the version raised
in the control file and the external-extension files.

    package_lifecycle_test.py --build BUILD --pack-script PY --key PEM
        --extension-id ID --work-dir DIR

Runs as root (skipped otherwise). Exit status 0 passed, 1 failed, 77 skipped.
"""

import argparse
import hashlib
import json
import os
import shutil
import signal
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "e2e"))
sys.dont_write_bytecode = True

import e2e_driver  # noqa: E402
from e2e_driver import Failure, SKIP  # noqa: E402

try:
    import websocket  # noqa: F401
except ImportError:
    websocket = None

if websocket is not None:
    from chromium_browser import BrowserError, Chromium, find_chromium  # noqa: E402

PACKAGE = "kestrova"
PROGRAM = "/usr/lib/kestrova/bin/kestrova-host"
WRITABLE = ("/usr", "/etc", "/var")
# Where the package or its scripts put anything; compared before and after.
WATCHED = ["/etc", "/usr/share/chromium", "/usr/share/google-chrome", "/usr/share/mozilla",
           "/usr/lib/mozilla", "/usr/lib/firefox-esr/defaults", "/usr/lib/kestrova",
           "/usr/share/kestrova", "/usr/share/doc/kestrova", "/var/lib/kestrova"]
HOST_MANIFESTS = ["/etc/chromium/native-messaging-hosts/com.kestrova.bridge.json",
                  "/etc/opt/chrome/native-messaging-hosts/com.kestrova.bridge.json",
                  "/usr/lib/mozilla/native-messaging-hosts/com.kestrova.bridge.json"]


def run(*command, **options):
    done = subprocess.run(command, capture_output=True, check=False, **options)
    if done.returncode != 0:
        raise Failure(f"{' '.join(command)}: {done.stdout.decode(errors='replace')}"
                      f"{done.stderr.decode(errors='replace')}")
    return done.stdout.decode()


def newer(version):
    parts = version.split(".")
    return ".".join(parts[:-1] + [str(int(parts[-1]) + 1)])


def make_packages(args):
    """The build's package and the same one of the next version."""
    shutil.rmtree(args.work_dir, ignore_errors=True)
    packages = os.path.join(args.work_dir, "packages")
    run("cpack", "-G", "DEB", "-B", packages, "--config",
        os.path.join(args.build, "CPackConfig.cmake"))
    (deb,) = [name for name in os.listdir(packages) if name.endswith(".deb")]
    first = os.path.join(args.work_dir, "first.deb")
    shutil.move(os.path.join(packages, deb), first)

    tree = os.path.join(args.work_dir, "newer-tree")
    run("dpkg-deb", "-R", first, tree)
    control_path = os.path.join(tree, "DEBIAN", "control")
    with open(control_path) as file:
        control = file.read()
    version = next(line.split(": ", 1)[1] for line in control.splitlines()
                   if line.startswith("Version: "))
    version_up = newer(version)
    with open(control_path, "w") as file:
        file.write(control.replace(f"Version: {version}", f"Version: {version_up}"))
    extension = os.path.join(args.work_dir, "newer-extension")
    shutil.copytree(os.path.join(tree, "usr/share/kestrova/extension"), extension)
    manifest_path = os.path.join(extension, "manifest.json")
    with open(manifest_path) as file:
        manifest = json.load(file)
    manifest["version"] = version_up
    with open(manifest_path, "w") as file:
        json.dump(manifest, file)
    packed = os.path.join(args.work_dir, "newer-packed")
    run(sys.executable, args.pack_script, extension, args.key, packed, "https://example.invalid")
    shutil.copy(os.path.join(packed, "kestrova.crx"), os.path.join(tree, "usr/share/kestrova"))
    for folder in ("usr/share/chromium/extensions", "usr/share/google-chrome/extensions"):
        path = os.path.join(tree, folder, args.extension_id + ".json")
        with open(path) as file:
            external = json.load(file)
        external["external_version"] = version_up
        with open(path, "w") as file:
            json.dump(external, file)
    # md5sums would name the old contents.
    os.remove(os.path.join(tree, "DEBIAN", "md5sums"))
    second = os.path.join(args.work_dir, "newer.deb")
    run("dpkg-deb", "--root-owner-group", "-b", tree, second)
    return first, version, second, version_up


def writable_layers(args):
    """/usr, /etc and /var as layers on a tmpfs over the real folders."""
    run("mount", "--make-rprivate", "/")
    layers = os.path.join(args.work_dir, "layers")
    os.makedirs(layers)
    run("mount", "-t", "tmpfs", "tmpfs", layers)
    for folder in WRITABLE:
        upper = os.path.join(layers, folder.strip("/") + "-upper")
        work = os.path.join(layers, folder.strip("/") + "-work")
        os.makedirs(upper)
        os.makedirs(work)
        run("mount", "-t", "overlay", "overlay", "-o",
            f"lowerdir={folder},upperdir={upper},workdir={work}", folder)


def snapshot():
    """Every path under the watched folders, with a digest of each file."""
    found = {}
    for top in WATCHED:
        for folder, _, files in os.walk(top):
            found[folder] = "folder"
            for name in files:
                path = os.path.join(folder, name)
                if os.path.islink(path) or not os.path.isfile(path):
                    found[path] = "other"
                    continue
                with open(path, "rb") as file:
                    found[path] = hashlib.sha256(file.read()).hexdigest()
    return found


def differences(before, after):
    return sorted(set(before.items()) ^ set(after.items()))


def chromium_runs(args, wanted):
    """The version of our extension a Chromium on the kept profile runs;
    for None, that the profile has none of ours installed any more."""
    work = os.path.join(args.work_dir, "chromium")
    with Chromium(work, None, None, None, keep_profile=True) as browser:
        found = browser.extension_version(args.extension_id,
                                          timeout=20.0 if wanted else 3.0)
    if found != wanted:
        raise Failure(f"Chromium runs version {found} of the extension, not {wanted}")
    if wanted is None:
        profile = os.path.join(work, "chromium-profile", "Default")
        with open(os.path.join(profile, "Preferences")) as file:
            settings = json.load(file).get("extensions", {}).get("settings", {})
        if "path" in settings.get(args.extension_id, {}) or os.path.exists(
                os.path.join(profile, "Extensions", args.extension_id)):
            raise Failure("Chromium's profile still has the extension: "
                          f"{settings.get(args.extension_id)}")


def manifests_naming_program():
    return [path for path in HOST_MANIFESTS if os.path.exists(path)]


def inside(args, first, version, second, version_up):
    writable_layers(args)
    e2e_driver.bring_loopback_up()
    os.makedirs("/etc/opt", exist_ok=True)
    shutil.rmtree(os.path.join(args.work_dir, "chromium"), ignore_errors=True)
    os.makedirs(os.path.join(args.work_dir, "chromium"))
    before = snapshot()

    run("dpkg", "-i", first)
    for path in HOST_MANIFESTS:
        with open(path) as file:
            if json.load(file)["path"] != PROGRAM or not os.access(PROGRAM, os.X_OK):
                raise Failure(f"{path} does not name the installed {PROGRAM}")
    chromium_runs(args, version)

    run("dpkg", "-i", second)
    if run("dpkg-query", "-W", "-f", "${Version}", PACKAGE) != version_up:
        raise Failure("the upgrade did not take")
    chromium_runs(args, version_up)

    run("dpkg", "-r", PACKAGE)
    if manifests_naming_program():
        raise Failure(f"after removing, {manifests_naming_program()} name the removed program")
    left = [path for path, _ in differences(before, snapshot())]
    if left != ["/etc/kestrova", "/etc/kestrova/host.conf"]:
        raise Failure(f"after removing, these differ: {left}")

    run("dpkg", "-P", PACKAGE)
    chromium_runs(args, None)
    changed = differences(before, snapshot())
    if changed:
        raise Failure(f"after purging, these differ: {changed}")
    return (f"{version} installed (Chromium ran it), upgraded to {version_up} (Chromium ran "
            "that), removed and purged: nothing left, /etc/opt kept, no extension in Chromium")


def unavailable():
    if os.geteuid() != 0:
        return "needs root for a private mount namespace"
    if websocket is None or find_chromium() is None:
        return "python3-websocket or Chromium is missing"
    if shutil.which("cpack") is None or shutil.which("dpkg") is None:
        return "cpack or dpkg is missing"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    for option in ("build", "pack-script", "key", "extension-id", "work-dir"):
        parser.add_argument(f"--{option}", required=True)
    parser.add_argument("--time-limit", type=int, default=150)
    parser.add_argument("--packages", nargs=4, help=argparse.SUPPRESS)
    args = parser.parse_args()
    for option in ("build", "pack_script", "key", "work_dir"):
        setattr(args, option, os.path.abspath(getattr(args, option)))

    def out_of_time(*_):
        raise Failure(f"the test took longer than {args.time_limit} s")

    signal.signal(signal.SIGALRM, out_of_time)
    signal.signal(signal.SIGTERM, out_of_time)
    signal.alarm(args.time_limit)
    try:
        if os.environ.get(e2e_driver.INSIDE) == "1":
            print(f"package lifecycle: {inside(args, *args.packages)}")
            return 0
        reason = unavailable()
        if reason is not None:
            print(f"package lifecycle: skipped: {reason}")
            return SKIP
        packages = make_packages(args)
    except (Failure, BrowserError) as failure:
        print(f"package lifecycle: FAILED {failure}", file=sys.stderr)
        return 1
    sys.argv += ["--packages", *packages]
    e2e_driver.reexec_in_namespaces()
    return 1


if __name__ == "__main__":
    sys.exit(main())
