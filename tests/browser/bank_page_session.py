"""The sample bank page's session as a person goes through it, and the check
that its calls gave what `kestrova run` gives for the same calls. Works on
any page object with evaluate(expression) and wait_for(expression)."""

import json
import subprocess

READER = "Virtual PCD 00 00"
PIN = "123456"
WRONG_PIN = "000000"
PIN_SHOWN_AS = "******"
PAYEE = "0040987654321098"
AMOUNT = "1234.56"
PAGE_URL = "https://card.kestrova.example.com/"
WINDOW_ANSWER = 60.0  # seconds a confirmation window may take


class SessionFailure(Exception):
    pass


def wait_until_ready(page):
    """Until the page has reached the host; returns the status line."""
    page.wait_for("document.getElementById('status').className !== 'notice'")
    return page.evaluate("document.getElementById('status').textContent")


def start_step(page, button):
    if page.evaluate(f"document.getElementById('{button}').disabled"):
        raise SessionFailure(f"the button {button} is disabled: "
                             + page.evaluate("document.getElementById('message').textContent"))
    page.evaluate(f"document.getElementById('{button}').click()")


def finish_step(page, timeout=20.0):
    """Until the page's step is done; returns the message shown."""
    page.wait_for("!window.bankPage.busy", timeout=timeout)
    return page.evaluate("document.getElementById('message').textContent")


def step(page, button, timeout=20.0):
    start_step(page, button)
    return finish_step(page, timeout)


def fill(page, field, value):
    page.evaluate(f"document.getElementById('{field}').value = {json.dumps(value)}")


def text_of(page, element):
    return page.evaluate(f"document.getElementById('{element}').textContent")


def expect(what, actual, wanted):
    if actual != wanted:
        raise SessionFailure(f"{what}: the page shows {actual!r}, not {wanted!r}")


def open_card(page):
    """Status, readers, connect, accounts, PIN: what comes before a transfer."""
    status = wait_until_ready(page)
    if not status.startswith("Kestrova ") or not status.endswith(" is ready."):
        raise SessionFailure(f"the page says {status!r}")
    expect("after finding readers", step(page, "list-readers"), "Found 2 card reader(s).")
    fill(page, "reader", READER)
    expect("after connecting", step(page, "connect"), f"Your card in {READER} is ready.")
    expect("after reading accounts", step(page, "show-accounts"), "The card holds 2 account(s).")
    expect("accounts", page.evaluate(
        "[...document.querySelectorAll('#accounts li')].map((item) => item.textContent)"),
        ["0040123456789012", "0040987654321098"])
    expect("card number", text_of(page, "card-serial"), "8886000012345678")
    fill(page, "pin", WRONG_PIN)
    expect("after a wrong PIN", step(page, "verify-pin"), "Wrong PIN. 2 tries left.")
    fill(page, "pin", PIN)
    expect("after the PIN", step(page, "verify-pin"), "The PIN is right.")


def start_transfer(page, amount=AMOUNT):
    fill(page, "to-account", PAYEE)
    fill(page, "amount", amount)
    start_step(page, "transfer")


def expect_transfer_done(page, confirmed):
    message = finish_step(page, timeout=WINDOW_ANSWER)
    if confirmed:
        expect("after the transfer", message, "The transfer is authorised.")
        if len(text_of(page, "snum")) != 8 or len(text_of(page, "tac")) != 16:
            raise SessionFailure(f"SNUM {text_of(page, 'snum')!r} or TAC "
                                 f"{text_of(page, 'tac')!r} is missing")
    else:
        expect("after cancelling", message,
               "You cancelled the transfer. No money was moved. (code 0x1403)")
        expect("SNUM after cancelling", text_of(page, "snum"), "–")


def call_log(page):
    return page.evaluate("window.bankPage.callLog")


def typed_pins(log):
    """The PINs the session typed, in the order the page's calls used them:
    one wrong, then the right one."""
    uses = sum(value == PIN_SHOWN_AS for entry in log for value in entry["args"])
    return [WRONG_PIN] + [PIN] * (uses - 1)


def call_line(entry, pins=None):
    """The page's call in the kestrova command's syntax, the PINs put back."""
    args = [next(pins) if pins is not None and value == PIN_SHOWN_AS else value
            for value in entry["args"]]
    return f"{entry['method']}({', '.join(call_syntax(value) for value in args)})"


def call_syntax(value):
    """A result as the kestrova command prints it (the page's values are
    numbers, null and printable text)."""
    if value is None:
        return "null"
    return json.dumps(value, ensure_ascii=False)


def compare_with_kestrova_run(kestrova, profile, log, options):
    """Runs the page's calls through `kestrova run --json` on the simulated
    service holding `profile`. Every result must be the page's."""
    lines = [f":page {PAGE_URL}"]
    pins = iter(typed_pins(log))
    for entry in log:
        if "result" not in entry:
            raise SessionFailure(f"the page's call {call_line(entry)} failed: {entry['error']}")
        lines.append(call_line(entry, pins))
    run = subprocess.run([kestrova, "run", "--json", f"--simulate={profile}"] + options + ["-"],
                         input="\n".join(lines) + "\n", capture_output=True, text=True,
                         timeout=120)
    if run.returncode != 0:
        raise SessionFailure(f"kestrova run exited with {run.returncode}: {run.stderr}")
    printed = [json.loads(line) for line in run.stdout.splitlines()]
    page_results = [(entry["method"], entry["result"]) for entry in log]
    run_results = [(line["call"], line["result"]) for line in printed]
    if page_results != run_results:
        differing = [f"  {call_line(entry)}: page {page!r}, kestrova run {ran!r}"
                     for entry, (_, page), (_, ran) in zip(log, page_results, run_results)
                     if page != ran]
        raise SessionFailure("the page's results differ from kestrova run's "
                             f"({len(page_results)} and {len(run_results)} calls):\n"
                             + "\n".join(differing))
    return len(page_results)


def index_of(log, method, occurrence=1):
    seen = 0
    for index, entry in enumerate(log):
        if entry["method"] == method:
            seen += 1
            if seen == occurrence:
                return index
    raise SessionFailure(f"the page never called {method} ({occurrence})")
