"""Headless Chromium with the extension loaded, driven over the DevTools
protocol (python3-websocket). The browser is started by the test and stopped
by its process id."""

import json
import os
import shutil
import time

from browser_process import WAIT, BrowserError, BrowserProcess, ProtocolSocket

__all__ = ["WAIT", "BrowserError", "Chromium", "find_chromium"]


def find_chromium():
    return shutil.which("chromium") or shutil.which("chromium-browser")


class DevTools(ProtocolSocket):
    """One websocket to the browser; page sessions are flat sessionIds."""

    def send(self, method, params=None, session=None, timeout=WAIT):
        message = {"method": method, "params": params or {}}
        if session is not None:
            message["sessionId"] = session
        answer = self.exchange(method, message, timeout)
        if "error" in answer:
            raise BrowserError(f"{method}: {answer['error']}")
        return answer.get("result", {})


class Page:
    def __init__(self, devtools, target, session):
        self.devtools = devtools
        self.target = target
        self.session = session

    def evaluate(self, expression, timeout=WAIT, context=None):
        """The value of a JavaScript expression (awaited when a Promise), in
        the page's world or in the execution context given."""
        params = {"expression": expression, "awaitPromise": True, "returnByValue": True,
                  "timeout": int(timeout * 1000)}
        if context is not None:
            params["contextId"] = context
        result = self.devtools.send("Runtime.evaluate", params, self.session, timeout=timeout + 5)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            text = details.get("exception", {}).get("description") or details.get("text")
            raise BrowserError(f"{expression[:80]}: {text}")
        return result["result"].get("value")

    def extension_world(self, extension_name):
        """The context the extension's content script runs in on this page."""
        self.devtools.send("Runtime.enable", session=self.session)
        for event in self.devtools.events:
            if (event["method"] == "Runtime.executionContextCreated"
                    and event.get("sessionId") == self.session):
                context = event["params"]["context"]
                if (context.get("auxData", {}).get("type") == "isolated"
                        and context.get("name") == extension_name):
                    return context["id"]
        raise BrowserError(f"no content script of {extension_name} runs on the page")

    def wait_for(self, expression, timeout=WAIT):
        """Until the expression is truthy; returns its value."""
        deadline = time.monotonic() + timeout
        while True:
            value = self.evaluate(expression)
            if value:
                return value
            if time.monotonic() > deadline:
                raise BrowserError(f"waited {timeout} s for {expression}")
            time.sleep(0.05)

    def close(self):
        self.devtools.send("Target.closeTarget", {"targetId": self.target})


class Chromium(BrowserProcess):
    """`extension_dir` is loaded unpacked (None: only the extensions the
    browser installs by itself); `host_manifest` (a dict) is written
    to the profile's NativeMessagingHosts folder; `resolve` maps host names to
    127.0.0.1:port; `keep_profile` starts on the profile a former start left."""

    close_command = "Browser.close"

    def __init__(self, work_dir, extension_dir, host_manifest=None, resolve=None,
                 keep_profile=False):
        super().__init__(work_dir, "chromium.log")
        self.profile = os.path.join(work_dir, "chromium-profile")
        if not keep_profile:
            shutil.rmtree(self.profile, ignore_errors=True)
        os.makedirs(os.path.join(self.profile, "NativeMessagingHosts"), exist_ok=True)
        if host_manifest is not None:
            path = os.path.join(self.profile, "NativeMessagingHosts",
                                host_manifest["name"] + ".json")
            with open(path, "w") as file:
                json.dump(host_manifest, file)
        self.extension_dir = extension_dir
        self.resolve = resolve or {}

    def __enter__(self):
        rules = ",".join(f"MAP {host} {target}" for host, target in self.resolve.items())
        command = [find_chromium(), "--headless", "--no-sandbox", "--disable-gpu",
                   "--no-first-run", "--disable-background-networking",
                   "--disable-component-update", "--disable-sync",
                   f"--user-data-dir={self.profile}", "--ignore-certificate-errors",
                   "--remote-debugging-port=0", "--remote-allow-origins=*"]
        if self.extension_dir is not None:
            command += [f"--disable-extensions-except={self.extension_dir}",
                        f"--load-extension={self.extension_dir}"]
        if rules:
            command.append(f"--host-resolver-rules={rules}")
        command.append("about:blank")
        self.remote = DevTools(self.start(command, r"DevTools listening on (ws://\S+)", WAIT))
        return self

    @property
    def devtools(self):
        return self.remote

    def extension_version(self, extension_id, timeout=WAIT):
        """The version of the extension whose service worker runs, or None
        when none of that id starts within `timeout` seconds."""
        prefix = f"chrome-extension://{extension_id}/"
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for target in self.devtools.send("Target.getTargets")["targetInfos"]:
                if target["type"] == "service_worker" and target["url"].startswith(prefix):
                    session = self.devtools.send("Target.attachToTarget", {
                        "targetId": target["targetId"], "flatten": True})["sessionId"]
                    answer = self.devtools.send("Runtime.evaluate", {
                        "expression": "chrome.runtime.getManifest().version",
                        "returnByValue": True}, session)
                    # A worker still starting has no extension API yet.
                    if answer["result"].get("type") == "string":
                        return answer["result"]["value"]
            time.sleep(0.2)
        return None

    def open(self, url):
        target = self.devtools.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.devtools.send("Target.attachToTarget",
                                     {"targetId": target, "flatten": True})["sessionId"]
        page = Page(self.devtools, target, session)
        navigation = self.devtools.send("Page.navigate", {"url": url}, session)
        if "errorText" in navigation:
            raise BrowserError(f"{url}: {navigation['errorText']}")
        page.wait_for("location.href !== 'about:blank' && document.readyState === 'complete'")
        return page
