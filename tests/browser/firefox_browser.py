"""Headless Firefox ESR with the extension installed as a temporary add-on,
driven over WebDriver BiDi (python3-websocket). HOME is a folder of the test,
so the host manifest goes to HOME/.mozilla/native-messaging-hosts/. Firefox
cannot map a host name to another port: the names in `local_domains` resolve
to 127.0.0.1 and the pages are served on port 443. Started by the test and
stopped by its process id."""

import json
import os
import re
import shutil
import subprocess
import threading
import time

import websocket

from chromium_browser import WAIT, BrowserError

PREFERENCES = {
    "app.update.enabled": False,
    "browser.shell.checkDefaultBrowser": False,
    "browser.startup.homepage_override.mstone": "ignore",
    "datareporting.policy.dataSubmissionEnabled": False,
    "toolkit.telemetry.reporting.enabled": False,
    "extensions.autoDisableScopes": 0,
    "network.captive-portal-service.enabled": False,
    "network.connectivity-service.enabled": False,
}


def find_firefox():
    return shutil.which("firefox-esr") or shutil.which("firefox")


class BiDi:
    def __init__(self, url):
        self.socket = websocket.create_connection(url, timeout=WAIT, suppress_origin=True)
        self.next_id = 0
        self.lock = threading.Lock()

    def close(self):
        self.socket.close()

    def send(self, method, params=None, timeout=WAIT):
        with self.lock:
            self.next_id += 1
            message_id = self.next_id
            self.socket.send(json.dumps({"id": message_id, "method": method,
                                         "params": params or {}}))
            deadline = time.monotonic() + timeout
            while True:
                remaining = deadline - time.monotonic()
                if remaining <= 0:
                    raise BrowserError(f"{method}: no answer in {timeout} s")
                self.socket.settimeout(remaining)
                try:
                    answer = json.loads(self.socket.recv())
                except websocket.WebSocketTimeoutException as timeout_error:
                    raise BrowserError(f"{method}: no answer in {timeout} s") from timeout_error
                if answer.get("id") == message_id:
                    if answer.get("type") == "error":
                        raise BrowserError(f"{method}: {answer.get('error')}: "
                                           f"{answer.get('message')}")
                    return answer.get("result", {})


class FirefoxPage:
    def __init__(self, bidi, context):
        self.bidi = bidi
        self.context = context

    def evaluate(self, expression, timeout=WAIT):
        """The value of a JavaScript expression (awaited), through JSON."""
        result = self.bidi.send("script.evaluate", {
            "expression": f"(async () => JSON.stringify(await ({expression})))()",
            "target": {"context": self.context}, "awaitPromise": True}, timeout=timeout + 5)
        if result.get("type") == "exception":
            details = result["exceptionDetails"]
            raise BrowserError(f"{expression[:80]}: {details.get('text')}")
        value = result["result"]
        return json.loads(value["value"]) if value.get("type") == "string" else None

    def wait_for(self, expression, timeout=WAIT):
        deadline = time.monotonic() + timeout
        while True:
            value = self.evaluate(expression)
            if value:
                return value
            if time.monotonic() > deadline:
                raise BrowserError(f"waited {timeout} s for {expression}")
            time.sleep(0.05)

    def close(self):
        self.bidi.send("browsingContext.close", {"context": self.context})


class Firefox:
    def __init__(self, work_dir, extension_dir, host_manifest=None, local_domains=()):
        self.work_dir = work_dir
        self.home = os.path.join(work_dir, "firefox-home")
        shutil.rmtree(self.home, ignore_errors=True)
        self.profile = os.path.join(self.home, "profile")
        os.makedirs(self.profile)
        preferences = dict(PREFERENCES)
        if local_domains:
            preferences["network.dns.localDomains"] = ",".join(local_domains)
        with open(os.path.join(self.profile, "user.js"), "w") as file:
            for name, value in preferences.items():
                file.write(f"user_pref({json.dumps(name)}, {json.dumps(value)});\n")
        if host_manifest is not None:
            hosts = os.path.join(self.home, ".mozilla", "native-messaging-hosts")
            os.makedirs(hosts)
            with open(os.path.join(hosts, host_manifest["name"] + ".json"), "w") as file:
                json.dump(host_manifest, file)
        self.extension_dir = extension_dir
        self.process = None
        self.drainer = None
        self.bidi = None

    def __enter__(self):
        self.log = open(os.path.join(self.work_dir, "firefox.log"), "w")
        environment = dict(os.environ, HOME=self.home, MOZ_CRASHREPORTER_DISABLE="1")
        environment.pop("DISPLAY", None)
        self.process = subprocess.Popen(
            [find_firefox(), "--headless", "--no-remote", "--profile", self.profile,
             "--remote-debugging-port", "0", "about:blank"],
            stdout=self.log, stderr=subprocess.PIPE, text=True, env=environment,
            start_new_session=True)
        self.bidi = BiDi(self._bidi_url())
        self.bidi.send("session.new", {"capabilities": {"alwaysMatch": {
            "acceptInsecureCerts": True}}}, timeout=WAIT * 2)
        self.bidi.send("webExtension.install", {"extensionData": {
            "type": "path", "path": self.extension_dir}})
        return self

    def _bidi_url(self):
        deadline = time.monotonic() + WAIT * 2
        while time.monotonic() < deadline:
            line = self.process.stderr.readline()
            if not line:
                break
            self.log.write(line)
            found = re.search(r"WebDriver BiDi listening on (ws://\S+)", line)
            if found:
                self.drainer = threading.Thread(target=self._drain, daemon=True)
                self.drainer.start()
                return found.group(1).rstrip("/") + "/session"
        raise BrowserError("firefox did not open its WebDriver BiDi socket")

    def _drain(self):
        for line in self.process.stderr:
            self.log.write(line)
        self.log.flush()

    def __exit__(self, *_):
        if self.bidi is not None:
            try:
                self.bidi.send("browser.close", timeout=5)
            except Exception:  # noqa: BLE001  (it may be gone already)
                pass
            self.bidi.close()
        if self.process is not None:
            try:
                self.process.wait(timeout=15)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, 9)
                self.process.wait(timeout=10)
        if self.drainer is not None:
            self.drainer.join(timeout=10)
        self.log.close()
        return False

    def open(self, url):
        context = self.bidi.send("browsingContext.create", {"type": "tab"})["context"]
        self.bidi.send("browsingContext.navigate",
                       {"context": context, "url": url, "wait": "complete"})
        return FirefoxPage(self.bidi, context)
