// Runs on the allowed sites before the page's own scripts: puts the page API
// (page_api.js) into the page's world and relays its calls to the background,
// over one port that is opened at the page's first call and lives as long as
// the page does.
"use strict";

(() => {
  const extensionApi = globalThis.browser ?? globalThis.chrome;
  const CHANNEL = "kestrova-bridge";
  const PAGE_PORT_NAME = "kestrova-page";

  // Match patterns ignore the port: only the exact origins get the API.
  if (window.top !== window || !KESTROVA_ALLOWED_ORIGINS.includes(window.location.origin)) {
    return;
  }

  let port = null;

  const toPage = (message) => {
    window.postMessage({ channel: CHANNEL, toPage: true, ...message }, window.location.origin);
  };

  const openPort = () => {
    port = extensionApi.runtime.connect({ name: PAGE_PORT_NAME });
    port.onMessage.addListener((message) => toPage(message));
    port.onDisconnect.addListener(() => {
      port = null;
      toPage({ type: "closed", reason: "the connection to Kestrova was closed" });
    });
  };

  window.addEventListener("message", (event) => {
    const data = event.data;
    if (event.source !== window || data === null || typeof data !== "object" ||
        data.channel !== CHANNEL || data.toPage) {
      return;
    }
    if (data.type !== "call" && data.type !== "connect" && data.type !== "status") {
      return;
    }
    if (port === null) {
      openPort();
    }
    if (data.type === "call") {
      port.postMessage({ id: data.id, method: data.method, args: data.args });
    } else if (data.type === "status") {
      port.postMessage({ id: data.id, query: "status" });
    }
  });

  const script = document.createElement("script");
  script.src = extensionApi.runtime.getURL("page_api.js");
  script.addEventListener("load", () => script.remove());
  (document.head ?? document.documentElement).append(script);
})();
