"""Headless Firefox ESR with the extension installed as a temporary add-on
(or, without an extension folder, only what Firefox installs by itself),
driven over WebDriver BiDi (python3-websocket). HOME is a folder of the test,
so the host manifest goes to HOME/.mozilla/native-messaging-hosts/. Firefox
cannot map a host name to another port: the names in `local_domains` resolve
to 127.0.0.1 and the pages are served on port 443. Started by the test and
stopped by its process id."""

import json
import os
import shutil
import time

from browser_process import WAIT, BrowserError, BrowserProcess, ProtocolSocket

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


class BiDi(ProtocolSocket):
    def send(self, method, params=None, timeout=WAIT):
        answer = self.exchange(method, {"method": method, "params": params or {}}, timeout)
        if answer.get("type") == "error":
            raise BrowserError(f"{method}: {answer.get('error')}: {answer.get('message')}")
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


class Firefox(BrowserProcess):
    close_command = "browser.close"

    def __init__(self, work_dir, extension_dir, host_manifest=None, local_domains=()):
        super().__init__(work_dir, "firefox.log")
        self.home = os.path.join(work_dir, "firefox-home")
        shutil.rmtree(self.home, ignore_errors=True)
        self.profile = os.path.join(self.home, "profile")
        os.makedirs(self.profile)
        preferences = dict(PREFERENCES)
        if extension_dir is None:
            # Only what the browser installs by itself, as it is configured.
            del preferences["extensions.autoDisableScopes"]
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

    def __enter__(self):
        environment = dict(os.environ, HOME=self.home, MOZ_CRASHREPORTER_DISABLE="1")
        environment.pop("DISPLAY", None)
        url = self.start([find_firefox(), "--headless", "--no-remote", "--profile", self.profile,
                          "--remote-debugging-port", "0", "about:blank"],
                         r"WebDriver BiDi listening on (ws://\S+)", WAIT * 2, environment)
        self.remote = BiDi(url.rstrip("/") + "/session")
        self.remote.send("session.new", {"capabilities": {"alwaysMatch": {
            "acceptInsecureCerts": True}}}, timeout=WAIT * 2)
        if self.extension_dir is not None:
            self.remote.send("webExtension.install", {"extensionData": {
                "type": "path", "path": self.extension_dir}})
        return self

    def open(self, url):
        context = self.remote.send("browsingContext.create", {"type": "tab"})["context"]
        self.remote.send("browsingContext.navigate",
                       {"context": context, "url": url, "wait": "complete"})
        return FirefoxPage(self.remote, context)
