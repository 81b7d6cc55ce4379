"""A page's calls through a process's pipes, call by call, as the end-to-end
checks, the soak and the crash test make them.

- HostPage: kestrova-host as a browser starts and drives it (the caller
  argument of our Chromium extension, the origin first, then one framed JSON
  request at a time, each answered before the next is sent);
- RunPage: `kestrova run --json -`, one call line at a time, each answered by
  its JSON line.

Both read what the process writes to standard error on a thread of their
own (the text confirmation window writes there: "OK disabled" when it is
up), so that it never fills its pipe, and both have call(method, *args)
returning the call's result. Every wait has a time limit.
"""

import json
import os
import re
import select
import struct
import subprocess
import threading
import time

import e2e_driver as driver

ORIGIN = driver.PAGE_URL.rstrip("/")
WINDOW_UP = "OK disabled"  # the text window's first word on its OK button


class CallError(driver.Failure):
    """The host answered a call with an error, not a result."""

    def __init__(self, method, error):
        super().__init__(f"{method}: error {error}")
        self.error = error


class ProcessGone(driver.Failure):
    """The page's process ended or closed its output before it answered."""


def chromium_extension_id(host):
    """The id of the extension that the build of `host` was made for: each
    build writes it beside its bin folder."""
    build = os.path.dirname(os.path.dirname(os.path.abspath(host)))
    with open(os.path.join(build, "extension_identity_used.cmake")) as file:
        return re.search(r'KESTROVA_CHROMIUM_EXTENSION_ID "([a-p]{32})"', file.read()).group(1)


def call_line(method, arguments):
    """The call in the kestrova command's syntax (JSON strings read the same)."""
    return f"{method}({', '.join(json.dumps(a, ensure_ascii=False) for a in arguments)})"


class ErrorLines:
    """A process's standard error, line by line, read on a thread of its own."""

    def __init__(self, stream):
        self.lines = []
        self.changed = threading.Condition()
        self.thread = threading.Thread(target=self._read, args=(stream,), daemon=True)
        self.thread.start()

    def _read(self, stream):
        for raw in iter(stream.readline, b""):
            with self.changed:
                self.lines.append(raw.decode(errors="replace").rstrip("\n"))
                self.changed.notify_all()
        stream.close()

    def mark(self):
        with self.changed:
            return len(self.lines)

    def wait_for(self, wanted, since, timeout=driver.WAIT):
        """Until a line equal to `wanted` came after line `since`."""
        deadline = time.monotonic() + timeout
        with self.changed:
            while wanted not in self.lines[since:]:
                left = deadline - time.monotonic()
                if left <= 0 or not self.thread.is_alive() and wanted not in self.lines[since:]:
                    raise driver.Failure(f"the page's process never wrote {wanted!r}; it wrote:\n"
                                         + "\n".join(self.lines[since:][-10:]))
                self.changed.wait(min(left, 0.5))


class PagePipes:
    """What both kinds of page have in common: the process and its pipes."""

    def __init__(self, command, environment=None):
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, env=environment,
                                        preexec_fn=driver.die_with_parent)
        self.errors = ErrorLines(self.process.stderr)
        self.output = b""

    @property
    def pid(self):
        return self.process.pid

    def write(self, data):
        try:
            self.process.stdin.write(data)
            self.process.stdin.flush()
        except (BrokenPipeError, ValueError) as error:
            raise ProcessGone(f"the page's process took no more input: {error}") from error

    def read_more(self, deadline):
        """Adds what the process writes next to `output`."""
        left = deadline - time.monotonic()
        if left <= 0:
            raise driver.Failure("the page's process did not answer in time")
        ready, _, _ = select.select([self.process.stdout], [], [], left)
        if ready:
            chunk = os.read(self.process.stdout.fileno(), 65536)
            if not chunk:
                raise ProcessGone("the page's process closed its output")
            self.output += chunk

    def read_exactly(self, count, deadline):
        while len(self.output) < count:
            self.read_more(deadline)
        data, self.output = self.output[:count], self.output[count:]
        return data

    def close_input(self):
        """The browser side goes: the page closed, its pipe with it."""
        if not self.process.stdin.closed:
            try:
                self.process.stdin.close()
            except BrokenPipeError:
                pass

    def finish(self, timeout=driver.WAIT):
        """Closes the input and waits for the exit; the exit status."""
        self.close_input()
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired as expired:
            raise driver.Failure("the page's process did not end after its input closed") \
                from expired

    def stop(self):
        driver.stop(self.process, "the page's process")
        for stream in (self.process.stdin, self.process.stdout):
            try:
                stream.close()
            except (BrokenPipeError, OSError):
                pass


class HostPage(PagePipes):
    def __init__(self, host, work_dir, config="ui=console\nconfirm=ok\n", name="host"):
        path = os.path.join(work_dir, f"{name}.conf")
        with open(path, "w") as file:
            file.write(config)
        super().__init__([host, f"chrome-extension://{chromium_extension_id(host)}/"],
                         dict(os.environ, KESTROVA_HOST_CONFIG=path))
        self.next_id = 0
        self.send({"origin": ORIGIN})
        ready = self.receive()
        if ready.get("ready") is not True:
            raise driver.Failure(f"kestrova-host answered the origin with {ready}")

    def send(self, message):
        body = json.dumps(message, ensure_ascii=False).encode()
        self.write(struct.pack("=I", len(body)) + body)

    def receive(self, timeout=driver.WAIT):
        deadline = time.monotonic() + timeout
        (length,) = struct.unpack("=I", self.read_exactly(4, deadline))
        return json.loads(self.read_exactly(length, deadline))

    def request(self, method, *arguments):
        """Sends a call without waiting for its answer; returns its id."""
        self.next_id += 1
        self.send({"id": self.next_id, "method": method, "args": list(arguments)})
        return self.next_id

    def answer(self, method, number, timeout=driver.WAIT):
        reply = self.receive(timeout)
        if reply.get("id") != number:
            raise driver.Failure(f"{method}: the reply {reply} is not for request {number}")
        if "error" in reply:
            raise CallError(method, reply["error"])
        return reply["result"]

    def call(self, method, *arguments, timeout=driver.WAIT):
        return self.answer(method, self.request(method, *arguments), timeout)


class RunPage(PagePipes):
    def __init__(self, kestrova, options=("--ui", "console", "--confirm", "ok")):
        super().__init__([kestrova, "run", "--json", "--page-url", driver.PAGE_URL, *options, "-"])
        self.pending = None

    def request(self, method, *arguments):
        self.pending = method
        self.write(call_line(method, arguments).encode() + b"\n")
        return method

    def answer(self, method, _number=None, timeout=driver.WAIT):
        deadline = time.monotonic() + timeout
        while b"\n" not in self.output:
            self.read_more(deadline)
        line, _, self.output = self.output.partition(b"\n")
        printed = json.loads(line)
        if printed.get("call") != method:
            raise driver.Failure(f"{method}: kestrova printed {printed}")
        return printed["result"]

    def call(self, method, *arguments, timeout=driver.WAIT):
        return self.answer(self.request(method, *arguments), timeout=timeout)


def resident_kib(pid):
    """The process's resident memory in KiB, and its open descriptors."""
    with open(f"/proc/{pid}/status") as status:
        rss = next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))
    return rss, len(os.listdir(f"/proc/{pid}/fd"))
