#!/usr/bin/env python3
"""The confirmation window as a screen reader sees it and works it.

On an X server of its own (Xvfb), with a session bus and the accessibility
bus of its own (dbus-daemon, at-spi-bus-launcher), `kestrova run --ui qt
--simulate` shows the transfer's window; the test reads the window's
accessibility tree through AT-SPI (pyatspi), as Orca does:

- both buttons by name with their states: OK disabled, Cancel enabled and
  focused; the page leaves out Cancel's text (Tag3), as the sample page did,
  so the button shows none and is still read as its template caption;
- each row as one label, its caption and its value;
- the time left as the window's status bar, whose name is not changed every
  second while the line the eye sees counts down.

Then it presses the buttons through AT-SPI actions alone: Cancel (and the
box that says the transfer was cancelled) on the card that never moved; OK
once the card has been taken out and put back, and the card writes the
transfer. Skipped (77) where Xvfb, the buses, pyatspi or kestrova's Qt window
are missing.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import e2e_driver as driver  # noqa: E402
from person_at_window import XServer  # noqa: E402
import transfer_call  # noqa: E402

SKIP = 77
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
READER = "Kestrova Virtual Reader 0"
CAPTION = "轉帳確認"
OK_TEXT = "確定"
CANCEL_CAPTION = "取消"  # the template's: the page gives none
INSTRUCTION = "請將晶片卡拔出後再插入，然後按「確定」"
ROWS = [("轉出帳號", "0040123456789012"), ("轉入帳號", "0040987654321098"),
        ("交易金額", "1234.56")]
MESSAGE = (f"<Tag1>{CAPTION}</Tag1><Tag2>{OK_TEXT}</Tag2><Tag4>{INSTRUCTION}</Tag4>"
           + "".join(f"<Tag{6 + i}>{caption}</Tag{6 + i}>" for i, (caption, _) in enumerate(ROWS)))
TRANSFER = transfer_call.call_line(READER, MESSAGE, transfer_call.record("0040123456789012"))
TIME_LEFT = "剩餘 299 秒完成交易。"
CANCELLED_BOX = "Kestrova"


def unavailable(kestrova):
    for tool in ("Xvfb", "dbus-daemon", BUS_LAUNCHER):
        if shutil.which(tool) is None:
            return f"{tool} is missing (apt-get install xvfb dbus-daemon at-spi2-core)"
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        return f"{sys.executable} has no pyatspi (apt-get install python3-pyatspi)"
    probe = subprocess.run([kestrova, "run", "--ui", "qt", "-"], input="", text=True,
                           capture_output=True, timeout=30,
                           env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    if probe.returncode != 0:
        return "kestrova has no Qt window: " + probe.stderr.strip()
    return None


def started_with_address(command, log):
    """Starts a daemon that writes its address on a pipe; (process, address)."""
    read_end, write_end = os.pipe()
    process = subprocess.Popen([part.replace("FD", str(write_end)) for part in command],
                               pass_fds=(write_end,), stdout=log, stderr=log,
                               preexec_fn=driver.die_with_parent)
    os.close(write_end)
    address = b""
    deadline = time.monotonic() + driver.WAIT
    while not address.endswith(b"\n"):
        chunk = os.read(read_end, 256)
        if not chunk or time.monotonic() > deadline:
            raise driver.Failure(f"{command[0]} did not say its address")
        address += chunk
    os.close(read_end)
    return process, address.decode().strip()


class AccessibilityBus:
    """A session bus, and the accessibility bus that at-spi-bus-launcher
    starts on it and ends when it is stopped."""

    def __init__(self, log):
        self.session, address = started_with_address(
            ["dbus-daemon", "--session", "--nofork", "--print-address=FD"], log)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
        self.launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], stdout=log,
                                         stderr=log, preexec_fn=driver.die_with_parent)
        # Asked before the launcher holds its name, the session bus would
        # start a launcher of its own.
        from gi.repository import Gio, GLib
        session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        deadline = time.monotonic() + driver.WAIT
        while not session.call_sync(
                "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                "NameHasOwner", GLib.Variant("(s)", ("org.a11y.Bus",)), None,
                Gio.DBusCallFlags.NONE, -1, None).unpack()[0]:
            if time.monotonic() > deadline or self.launcher.poll() is not None:
                raise driver.Failure("at-spi-bus-launcher did not take its name")
            time.sleep(0.05)

    def stop(self):
        driver.stop(self.launcher, "at-spi-bus-launcher")
        driver.stop(self.session, "dbus-daemon")


def states_of(node):
    import pyatspi
    states = node.getState()
    return {name for name, state in (("enabled", pyatspi.STATE_ENABLED),
                                     ("sensitive", pyatspi.STATE_SENSITIVE),
                                     ("focused", pyatspi.STATE_FOCUSED))
            if states.contains(state)}


def descendants(node):
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield child
            yield from descendants(child)


def wait_for(what, find, kestrova):
    deadline = time.monotonic() + driver.WAIT
    while time.monotonic() < deadline:
        if kestrova.poll() is not None:
            raise driver.Failure(f"kestrova ended before {what}: {kestrova.returncode}")
        found = find()
        if found is not None:
            return found
        time.sleep(0.1)
    raise driver.Failure(f"{what} did not come")


def window_named(name, pid):
    """The window, or None while it is not there: also when a window that
    is going away vanishes from the tree while it is read."""
    import pyatspi
    from gi.repository import GLib
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            application = desktop.getChildAtIndex(index)
            if application is None or application.get_process_id() != pid:
                continue
            for window in descendants(application):
                if window.getRoleName() in ("dialog", "alert") and window.name == name:
                    return window
    except GLib.GError:
        pass
    return None


def push_buttons(window):
    return {button.name: button for button in descendants(window)
            if button.getRoleName() == "push button"}


def label_names(window):
    return [label.name for label in descendants(window) if label.getRoleName() == "label"]


def press(button):
    action = button.queryAction()
    names = [action.getName(index) for index in range(action.nActions)]
    if "Press" not in names:
        raise driver.Failure(f"{button.name} offers no Press action: {names}")
    action.doAction(names.index("Press"))


def check_tree(window):
    """What a screen reader reads in the window as it opens."""
    problems = []
    buttons = push_buttons(window)
    if set(buttons) != {OK_TEXT, CANCEL_CAPTION}:
        problems.append(f"buttons {sorted(buttons)}, not {OK_TEXT} and {CANCEL_CAPTION}")
    else:
        if "enabled" in states_of(buttons[OK_TEXT]):
            problems.append("OK is enabled before the card went out")
        if not {"enabled", "sensitive", "focused"} <= states_of(buttons[CANCEL_CAPTION]):
            problems.append(f"Cancel is {states_of(buttons[CANCEL_CAPTION])}")
    labels = label_names(window)
    for caption, value in ROWS:
        if f"{caption} {value}" not in labels:
            problems.append(f"no row read as {caption} {value}: {labels}")
    if INSTRUCTION not in labels:
        problems.append(f"the instruction is not read: {labels}")
    bars = [bar.name for bar in descendants(window) if bar.getRoleName() == "status bar"]
    if bars != [TIME_LEFT]:
        problems.append(f"the status bar reads {bars}, not {TIME_LEFT}")
    return problems


def check_time_left_is_quiet(window):
    """The line counts down for the eye once a second; its name, what a
    screen reader hears, stays until the next minute. A slow machine whose
    window has not ticked yet passes too: only a name that did change fails."""
    line = next(bar for bar in descendants(window) if bar.getRoleName() == "status bar")
    time.sleep(2.5)
    return [] if line.name == TIME_LEFT else [f"the time left was renamed to {line.name}"]


def run_transfer(args, page_lines, answer):
    with tempfile.NamedTemporaryFile("w", suffix=".txt", encoding="utf-8", delete=False) as page:
        page.write("\n".join(page_lines + [TRANSFER]) + "\n")
    environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    environment.pop("QT_QPA_PLATFORM", None)
    kestrova = subprocess.Popen([args.kestrova, "run", "--ui", "qt", "--simulate", "--page-url",
                                 "https://card.kestrova.example.com/", page.name],
                                env=environment, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True,
                                preexec_fn=driver.die_with_parent)
    try:
        window = wait_for("the window in the accessibility tree",
                          lambda: window_named(CAPTION, kestrova.pid), kestrova)
        problems = answer(window, kestrova)
        if problems:
            return problems, ""
        try:
            kestrova.wait(timeout=driver.WAIT)
        except subprocess.TimeoutExpired:
            raise driver.Failure("the window did not end after its button was pressed")
        printed = kestrova.stdout.read()
    finally:
        driver.stop(kestrova, "kestrova")
        os.unlink(page.name)
    return problems, printed


def cancel_on_a_card_that_never_moved(window, kestrova):
    problems = check_tree(window)
    if problems:
        return problems
    problems = check_time_left_is_quiet(window)
    press(push_buttons(window)[CANCEL_CAPTION])
    box = wait_for("the box that says the transfer was cancelled",
                   lambda: window_named(CANCELLED_BOX, kestrova.pid), kestrova)
    press(next(iter(push_buttons(box).values())))
    return problems


def confirm_once_the_card_is_back(window, kestrova):
    ok = push_buttons(window).get(OK_TEXT)
    if ok is None:
        return ["no OK button"]
    wait_for("OK enabled once the card is back",
             lambda: True if "enabled" in states_of(ok) else None, kestrova)
    press(ok)
    return []


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--kestrova", required=True)
    args = parser.parse_args()
    reason = unavailable(args.kestrova)
    if reason:
        print(f"screen_reader: skipped: {reason}")
        return SKIP
    log = tempfile.TemporaryFile()
    x_server = XServer(log)
    os.environ["DISPLAY"] = x_server.display
    bus = None
    try:
        bus = AccessibilityBus(log)
        cancelled, printed = run_transfer(args, [f'ConnectCard("{READER}")'],
                                          cancel_on_a_card_that_never_moved)
        if not cancelled and f"{TRANSFER} -> 5123" not in printed:
            cancelled.append("Cancel pressed through AT-SPI did not cancel:\n" + printed)
        confirmed, printed = run_transfer(args, [f'ConnectCard("{READER}")',
                                                 f":card remove-after 300 {READER}",
                                                 f":card insert-after 1200 {READER}"],
                                          confirm_once_the_card_is_back)
        if not confirmed and f"{TRANSFER} -> 0" not in printed:
            confirmed.append("OK pressed through AT-SPI did not confirm:\n" + printed)
    except driver.Failure as failure:
        cancelled, confirmed = [str(failure)], []
    finally:
        if bus is not None:
            bus.stop()
        x_server.stop()
    problems = cancelled + confirmed
    for problem in problems:
        print(f"screen_reader: {problem}")
    if problems:
        log.seek(0)
        sys.stdout.write(log.read().decode(errors="replace")[-4000:])
        return 1
    print("screen_reader: both buttons, every row and the time left read through AT-SPI; "
          "Cancel and OK pressed through it")
    return 0


if __name__ == "__main__":
    sys.exit(main())
