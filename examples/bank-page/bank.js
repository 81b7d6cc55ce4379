// The sample bank page: every step is a few calls of window.kestrova, given
// by the Kestrova browser extension on the bank's own https pages.
"use strict";

const PIN_SHOWN_AS = "******";
const CARD_FILE = "1003";
const RECORD_LENGTH = 80;
// Every text of the confirmation window, in the page's words: the title, the
// OK and Cancel buttons, the instruction, the heading and the captions of
// its three rows, which for a transfer (code 252) show the account paid
// from, the account paid into and the amount. A tag left out would leave
// its text empty.
const WINDOW_TAGS = "<Tag1>轉帳確認</Tag1><Tag2>確定</Tag2><Tag3>取消</Tag3>" +
  "<Tag4>請將晶片卡拔出後再插入，然後按「確定」完成交易。</Tag4>" +
  "<Tag5>請確認以下轉帳內容</Tag5><Tag6>轉出帳號</Tag6><Tag7>轉入帳號</Tag7>" +
  "<Tag8>轉帳金額</Tag8>";
const EXTENSION_WAIT_MS = 3000;

const $ = (id) => document.getElementById(id);
// Every call the page made, its PIN arguments masked: the log below the page.
const callLog = [];
window.bankPage = { callLog, busy: false };

function say(text, kind) {
  $("message").textContent = text;
  $("message").className = kind ?? "";
}

function logCall(method, args, outcome) {
  const shown = args.map((value, index) =>
    (method === "VerifyPIN" && index === 2) ||
    (method === "WriteRecordWithSNUMTACProc" && index === 5) ? PIN_SHOWN_AS : value);
  callLog.push({ method, args: shown, ...outcome });
  const line = document.createElement("li");
  const result = "result" in outcome ? JSON.stringify(outcome.result)
                                     : `error ${outcome.error}`;
  line.textContent = `${method}(${shown.map((v) => JSON.stringify(v)).join(", ")}) -> ${result}`;
  $("call-log").append(line);
}

async function call(method, ...args) {
  try {
    const result = await window.kestrova[method](...args);
    logCall(method, args, { result });
    return result;
  } catch (error) {
    logCall(method, args, { error: String(error.code) });
    throw error;
  }
}

// A step's result code: true when it succeeded, else the person is told why.
function succeeded(code) {
  const problem = describeResult(code);
  if (problem) {
    say(problem, "error");
  }
  return !problem;
}

function reader() {
  return $("reader").value;
}

function enable(...ids) {
  for (const id of ids) {
    $(id).disabled = false;
  }
}

// A sentence for what the service lacks, from kestrova.status(), which needs
// no card; "" when a card can be used.
function describeStatus(status) {
  if (status.service === "stopped") {
    return "The smart-card service is not running on this computer. Start it (on Linux: " +
      "sudo systemctl start pcscd), then press Find readers again.";
  }
  if (status.service === "missing") {
    return "The smart-card service is not installed on this computer. Install it (on Linux: " +
      "sudo apt install pcscd), then press Find readers again.";
  }
  if (status.service !== "running") {
    return "The smart-card service does not answer. Restart the computer, then try again.";
  }
  if (status.readers === 0) {
    return "No card reader is connected to this computer. Plug it in, then press Find " +
      "readers again.";
  }
  return "";
}

async function listReaders() {
  $("reader").replaceChildren();
  $("connect").disabled = true;
  const status = await window.kestrova.status();
  const problem = describeStatus(status);
  if (problem) {
    say(problem, "error");
    return;
  }
  if (!succeeded(await call("ListReaders"))) {
    return;
  }
  const count = await call("GetReaderNumber");
  for (let index = 0; index < count; index++) {
    const name = await call("GetReaderName", index);
    $("reader").append(new Option(name, name));
  }
  const cards = status.cards === 0 ? " Insert your card." : "";
  say(count === 0 ? "No card reader found." : `Found ${count} card reader(s).${cards}`,
      count === 0 ? "error" : "ok");
  $("connect").disabled = count === 0;
}

async function connect() {
  if (succeeded(await call("ConnectCard", reader()))) {
    say(`Your card in ${reader()} is ready.`, "ok");
    enable("show-accounts", "verify-pin", "transfer", "disconnect");
  }
}

async function showAccounts() {
  if (!succeeded(await call("ListEF1001Accounts"))) {
    return;
  }
  const total = await call("GetEF1001TotalAccounts");
  $("accounts").replaceChildren();
  $("from-account").replaceChildren();
  for (let index = 0; index < total; index++) {
    const account = await call("GetEF1001Account", index);
    const item = document.createElement("li");
    item.textContent = account;
    $("accounts").append(item);
    $("from-account").append(new Option(account, account));
  }
  $("issuer-bank").textContent = await call("GetIssuerBank") ?? "–";
  $("card-serial").textContent = await call("ReadCardSN") ?? "–";
  say(`The card holds ${total} account(s).`, "ok");
}

async function verifyPin() {
  if (succeeded(await call("VerifyPIN", reader(), "", $("pin").value))) {
    say("The PIN is right.", "ok");
  }
}

// The record the card writes: transaction code 252 (a transfer), the amount in
// cents as 14 digits, 30 blanks, then the payee's and the payer's account.
function transferRecord(amountText, payee, payer) {
  if (!/^\d{16}$/.test(payee)) {
    return { problem: "Enter the 16 digits of the account to pay into." };
  }
  if (!/^\d{16}$/.test(payer)) {
    return { problem: "Show your card's accounts and choose one to pay from." };
  }
  const amount = /^(\d{1,12})(?:\.(\d{1,2}))?$/.exec(amountText.trim());
  if (!amount || Number(amount[1] + (amount[2] ?? "").padEnd(2, "0")) === 0) {
    return { problem: "Enter an amount such as 1234.56." };
  }
  const cents = amount[1] + (amount[2] ?? "").padEnd(2, "0");
  return { record: "2520" + cents.padStart(14, "0") + " ".repeat(30) + payee + payer };
}

async function transfer() {
  const { record, problem } =
    transferRecord($("amount").value, $("to-account").value, $("from-account").value);
  if (problem) {
    say(problem, "error");
    return;
  }
  $("snum").textContent = "–";
  $("tac").textContent = "–";
  say("Confirm the transfer in the Kestrova window: take the card out, put it back, " +
      "then press OK.", "notice");
  const code = await call("WriteRecordWithSNUMTACProc", reader(), "", CARD_FILE, RECORD_LENGTH,
                          record, $("pin").value, WINDOW_TAGS);
  if (!succeeded(code)) {
    return;
  }
  $("snum").textContent = await call("GetRespSNUM");
  $("tac").textContent = await call("GetRespTAC");
  say("The transfer is authorised.", "ok");
}

async function disconnect() {
  if (succeeded(await call("DisconnectCard", reader()))) {
    say("You can take your card out now.", "ok");
    $("show-accounts").disabled = $("verify-pin").disabled = true;
    $("transfer").disabled = $("disconnect").disabled = true;
  }
}

// Runs one step at a time; a failure of the bridge itself is shown as it is.
function step(action) {
  return async () => {
    if (window.bankPage.busy) {
      return;
    }
    window.bankPage.busy = true;
    try {
      await action();
    } catch (error) {
      say(error.code === "NotInstalled" ? "Kestrova is not installed on this computer."
                                        : `Kestrova failed: ${error.message}`, "error");
    } finally {
      window.bankPage.busy = false;
    }
  };
}

// window.kestrova comes with the page or soon after it; where the extension
// is missing, or this site is not one of the bank's, it never comes.
function extensionPresent() {
  return new Promise((resolve) => {
    if (window.kestrova) {
      resolve(true);
      return;
    }
    const timer = setTimeout(() => resolve(Boolean(window.kestrova)), EXTENSION_WAIT_MS);
    window.addEventListener("kestrova-available", () => {
      clearTimeout(timer);
      resolve(true);
    }, { once: true });
  });
}

async function start() {
  $("list-readers").addEventListener("click", step(listReaders));
  $("connect").addEventListener("click", step(connect));
  $("show-accounts").addEventListener("click", step(showAccounts));
  $("verify-pin").addEventListener("click", step(verifyPin));
  $("transfer").addEventListener("click", step(transfer));
  $("disconnect").addEventListener("click", step(disconnect));
  $("list-readers").disabled = true;

  const status = $("status");
  if (!await extensionPresent()) {
    // Firefox before 127 runs an extension on a site only once the person
    // allows it there (extensions menu).
    status.textContent = "Install the Kestrova browser extension, or allow it on this site " +
      "in the browser's extensions menu, to use your chip card here.";
    status.className = "error";
    return;
  }
  try {
    const versions = await window.kestrova.ready();
    status.textContent = `Kestrova ${versions.version} (protocol ${versions.protocol}) is ready.`;
    status.className = "ok";
    $("list-readers").disabled = false;
  } catch (error) {
    status.textContent = error.code === "NotInstalled"
      ? "The Kestrova extension is there, but Kestrova itself is not installed on this " +
        "computer. Install the kestrova package, then reload this page."
      : error.code === "HostVersion"
        ? `The Kestrova extension and Kestrova on this computer do not fit: ${error.message}`
        : `Kestrova cannot start: ${error.message}`;
    status.className = "error";
  }
}

start();
