"""What driving either browser shares: its process, started in a session of
its own and stopped by its process id, with its stderr kept in a log; and the
websocket of its remote protocol, where each command waits for the answer
with its id."""

import json
import os
import re
import subprocess
import threading
import time

import websocket

WAIT = 20.0


class BrowserError(Exception):
    pass


class ProtocolSocket:
    """Messages that are not the awaited answer but carry a "method" are
    events, kept in `events`."""

    def __init__(self, url):
        self.socket = websocket.create_connection(url, timeout=WAIT, suppress_origin=True)
        self.next_id = 0
        self.events = []
        self.lock = threading.Lock()

    def close(self):
        self.socket.close()

    def exchange(self, method, message, timeout):
        """Sends `message` with a new id; returns the answer carrying it."""
        with self.lock:
            self.next_id += 1
            message_id = self.next_id
            self.socket.send(json.dumps(dict(message, id=message_id)))
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
                    return answer
                if "method" in answer:
                    self.events.append(answer)


class BrowserProcess:
    """Subclasses set `remote` (a ProtocolSocket subclass with send()) once
    the browser listens, and name the command that closes the browser."""

    close_command = None

    def __init__(self, work_dir, log_name):
        self.work_dir = work_dir
        self.log_name = log_name
        self.process = None
        self.drainer = None
        self.remote = None
        self.log = None

    def start(self, command, listening, wait, environment=None):
        """Starts the browser; returns the first match of the regular
        expression `listening` in its stderr (the remote protocol's url)."""
        self.log = open(os.path.join(self.work_dir, self.log_name), "w")
        self.process = subprocess.Popen(command, stdout=self.log, stderr=subprocess.PIPE,
                                        text=True, env=environment, start_new_session=True)
        deadline = time.monotonic() + wait
        while time.monotonic() < deadline:
            line = self.process.stderr.readline()
            if not line:
                break
            self.log.write(line)
            found = re.search(listening, line)
            if found:
                self.drainer = threading.Thread(target=self._drain, daemon=True)
                self.drainer.start()
                return found.group(1)
        raise BrowserError(f"{command[0]} did not open its remote protocol's socket")

    def _drain(self):
        for line in self.process.stderr:
            self.log.write(line)
        self.log.flush()

    def __exit__(self, *_):
        if self.remote is not None:
            try:
                self.remote.send(self.close_command, timeout=5)
            except Exception:  # noqa: BLE001  (it may be gone already)
                pass
            self.remote.close()
        if self.process is not None:
            try:
                self.process.wait(timeout=15)
            except subprocess.TimeoutExpired:
                # Its helpers share the session the browser leads.
                os.killpg(self.process.pid, 9)
                self.process.wait(timeout=10)
        if self.drainer is not None:
            self.drainer.join(timeout=10)
        if self.log is not None:
            self.log.close()
        return False
