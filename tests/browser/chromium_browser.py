"""Headless Chromium with the extension loaded, driven over the DevTools
protocol (python3-websocket). The browser is started by the test and stopped
by its process id."""

import json
import os
import re
import shutil
import subprocess
import threading
import time

import websocket

WAIT = 20.0


class BrowserError(Exception):
    pass


def find_chromium():
    return shutil.which("chromium") or shutil.which("chromium-browser")


class DevTools:
    """One websocket to the browser; page sessions are flat sessionIds."""

    def __init__(self, url):
        self.socket = websocket.create_connection(url, timeout=WAIT, suppress_origin=True)
        self.next_id = 0
        self.events = []
        self.lock = threading.Lock()

    def close(self):
        self.socket.close()

    def send(self, method, params=None, session=None, timeout=WAIT):
        with self.lock:
            self.next_id += 1
            message_id = self.next_id
            message = {"id": message_id, "method": method, "params": params or {}}
            if session is not None:
                message["sessionId"] = session
            self.socket.send(json.dumps(message))
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
                    if "error" in answer:
                        raise BrowserError(f"{method}: {answer['error']}")
                    return answer.get("result", {})
                if "method" in answer:
                    self.events.append(answer)


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


class Chromium:
    """`extension_dir` is loaded unpacked; `host_manifest` (a dict) is written
    to the profile's NativeMessagingHosts folder; `resolve` maps host names to
    127.0.0.1:port."""

    def __init__(self, work_dir, extension_dir, host_manifest=None, resolve=None):
        self.work_dir = work_dir
        self.profile = os.path.join(work_dir, "chromium-profile")
        shutil.rmtree(self.profile, ignore_errors=True)
        os.makedirs(os.path.join(self.profile, "NativeMessagingHosts"))
        if host_manifest is not None:
            path = os.path.join(self.profile, "NativeMessagingHosts",
                                host_manifest["name"] + ".json")
            with open(path, "w") as file:
                json.dump(host_manifest, file)
        self.extension_dir = extension_dir
        self.resolve = resolve or {}
        self.process = None
        self.drainer = None
        self.devtools = None

    def __enter__(self):
        rules = ",".join(f"MAP {host} {target}" for host, target in self.resolve.items())
        command = [find_chromium(), "--headless", "--no-sandbox", "--disable-gpu",
                   "--no-first-run", "--disable-background-networking",
                   "--disable-component-update", "--disable-sync",
                   f"--disable-extensions-except={self.extension_dir}",
                   f"--load-extension={self.extension_dir}",
                   f"--user-data-dir={self.profile}", "--ignore-certificate-errors",
                   "--remote-debugging-port=0", "--remote-allow-origins=*"]
        if rules:
            command.append(f"--host-resolver-rules={rules}")
        command.append("about:blank")
        self.log = open(os.path.join(self.work_dir, "chromium.log"), "w")
        self.process = subprocess.Popen(command, stdout=self.log, stderr=subprocess.PIPE,
                                        text=True, start_new_session=True)
        url = self._devtools_url()
        self.devtools = DevTools(url)
        return self

    def _devtools_url(self):
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline:
            line = self.process.stderr.readline()
            if not line:
                break
            self.log.write(line)
            found = re.search(r"DevTools listening on (ws://\S+)", line)
            if found:
                self.drainer = threading.Thread(target=self._drain, daemon=True)
                self.drainer.start()
                return found.group(1)
        raise BrowserError("chromium did not open its DevTools socket")

    def _drain(self):
        for line in self.process.stderr:
            self.log.write(line)
        self.log.flush()

    def __exit__(self, *_):
        if self.devtools is not None:
            try:
                self.devtools.send("Browser.close", timeout=5)
            except Exception:  # noqa: BLE001  (it may be gone already)
                pass
            self.devtools.close()
        if self.process is not None:
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                # Its helpers share the session the browser leads.
                os.killpg(self.process.pid, 9)
                self.process.wait(timeout=10)
        if self.drainer is not None:
            self.drainer.join(timeout=10)
        self.log.close()
        return False

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
