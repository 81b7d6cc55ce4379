// The action's popup: for the current tab, whether it is one of the bank's
// pages, whether Kestrova on this computer answers (its versions) and the
// readers it sees, and a report to copy for the help desk. It asks the host
// only for its status: no card command is ever sent from here.
"use strict";

(() => {
  const extensionApi = globalThis.browser ?? globalThis.chrome;
  const $ = (id) => document.getElementById(id);
  const report = [`Kestrova extension ${extensionApi.runtime.getManifest().version}`];

  const show = (id, text, problem) => {
    $(id).textContent = text;
    $(id).className = problem ? "problem" : "";
    report.push(`${$(id).previousElementSibling.textContent}: ${text}`);
    $("report").textContent = report.join("\n") + "\n";
  };

  // The tab the popup describes: the active one, or the one named by
  // ?tab=ID when the popup is opened as a page of its own.
  const currentTab = async () => {
    const named = Number(new URLSearchParams(location.search).get("tab"));
    if (Number.isInteger(named) && named > 0) {
      return extensionApi.tabs.get(named);
    }
    const [tab] = await extensionApi.tabs.query({ active: true, currentWindow: true });
    return tab;
  };

  const originOf = (tab) => {
    try {
      return new URL(tab.url).origin;
    } catch {
      return null;  // the browser does not tell us the address of another site
    }
  };

  const serviceText = (status) => {
    if (status.service === "stopped") {
      return "the smart-card service is not running (on Linux: sudo systemctl start pcscd)";
    }
    if (status.service === "missing") {
      return "the smart-card service is not installed (on Linux: sudo apt install pcscd)";
    }
    if (status.service !== "running") {
      return "the smart-card service does not answer";
    }
    if (status.readers === 0) {
      return "none is connected";
    }
    return `${status.readers} connected, ${status.cards} with a card in it`;
  };

  // One connection to the host for its versions and, on a bank page, its
  // status; closed as soon as they are known.
  const askHost = (origin, allowed) => new Promise((resolve) => {
    const port = extensionApi.runtime.connectNative(KESTROVA_NATIVE_HOST);
    const answer = {};
    port.onMessage.addListener((message) => {
      if (message.ready === true) {
        answer.ready = message;
        if (!allowed) {
          port.disconnect();
          resolve(answer);
          return;
        }
        port.postMessage({ id: 1, query: "status" });
        return;
      }
      answer.status = message.result ?? null;
      answer.error = message.error ?? null;
      port.disconnect();
      resolve(answer);
    });
    port.onDisconnect.addListener(() => {
      const error = extensionApi.runtime.lastError ?? port.error;
      answer.closed = error?.message ?? "the host closed the connection";
      resolve(answer);
    });
    port.postMessage({ origin });
  });

  const start = async () => {
    $("copy").addEventListener("click", async () => {
      await navigator.clipboard.writeText($("report").textContent);
      $("copied").textContent = " copied";
    });
    const tab = await currentTab();
    const origin = originOf(tab ?? {});
    const allowed = origin !== null && KESTROVA_ALLOWED_ORIGINS.includes(origin);
    show("page", allowed ? `${origin}: a bank page Kestrova serves`
                         : "not a bank page: Kestrova serves only " +
                           KESTROVA_ALLOWED_ORIGINS.join(" and "), !allowed);
    // The host opens a session only for the bank's sites: for another page
    // the popup opens it as the first of them and asks for nothing but the
    // versions it answers with.
    const answer = await askHost(allowed ? origin : KESTROVA_ALLOWED_ORIGINS[0], allowed);
    if (!answer.ready) {
      show("host", `does not answer: ${answer.closed}. Install Kestrova, or run ` +
                   "kestrova doctor.", true);
      show("readers", "unknown", true);
      return;
    }
    show("host", `answers: version ${answer.ready.version}, protocol ${answer.ready.protocol}`,
         false);
    if (!allowed) {
      show("readers", "shown on the bank's pages", false);
    } else if (answer.status) {
      const text = serviceText(answer.status);
      show("readers", text, answer.status.service !== "running" || answer.status.readers === 0);
    } else {
      show("readers", `unknown: ${answer.error?.message ?? answer.closed}`, true);
    }
  };

  start().catch((error) => show("host", `the popup failed: ${error}`, true));
})();
