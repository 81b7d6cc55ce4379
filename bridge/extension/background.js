// Connects each allowed page to a native host of its own: one native port per
// page port, closed together. Chromium runs this as a service worker, Firefox
// as a background script (with allowed_origins.js loaded before it).
"use strict";

if (typeof importScripts === "function" && typeof KESTROVA_ALLOWED_ORIGINS === "undefined") {
  importScripts("allowed_origins.js");
}

const extensionApi = globalThis.browser ?? globalThis.chrome;
const PAGE_PORT_NAME = "kestrova-page";
const MAX_METHOD_NAME = 64;
const MAX_ARGUMENTS = 16;
// The host refuses a message over 1 MiB by ending the connection: a call that
// large is refused here instead, and the page's other calls go on.
const MAX_REQUEST_BYTES = 1024 * 1024 - 1024;

// Content-script match patterns ignore the port, so the origin is checked
// again here, exactly. Chromium names the sender's origin ("null" for a
// sandboxed page, which is refused); Firefox only its URL.
function senderOrigin(sender) {
  if (typeof sender.origin === "string") {
    return sender.origin;
  }
  try {
    return new URL(sender.url).origin;
  } catch {
    return null;
  }
}

function isAllowedSender(sender) {
  return sender.id === extensionApi.runtime.id && sender.frameId === 0 &&
         KESTROVA_ALLOWED_ORIGINS.includes(senderOrigin(sender));
}

function isRequest(message) {
  return message !== null && typeof message === "object" && Number.isSafeInteger(message.id) &&
         message.id >= 0 && typeof message.method === "string" && message.method.length > 0 &&
         message.method.length <= MAX_METHOD_NAME && Array.isArray(message.args) &&
         message.args.length <= MAX_ARGUMENTS &&
         message.args.every((value) => value === null || typeof value === "string" ||
                                       typeof value === "number" || typeof value === "boolean");
}

// The host's own status, which sends no card command.
function isStatusQuery(message) {
  return message !== null && typeof message === "object" && Number.isSafeInteger(message.id) &&
         message.id >= 0 && message.query === "status" && Object.keys(message).length === 2;
}

function disconnectReason(port) {
  // Chromium reports through runtime.lastError, Firefox through port.error.
  const error = extensionApi.runtime.lastError ?? port.error;
  return error?.message ?? "the native host closed the connection";
}

function connectPage(pagePort) {
  const origin = senderOrigin(pagePort.sender);
  const hostPort = extensionApi.runtime.connectNative(KESTROVA_NATIVE_HOST);
  let open = true;

  const close = () => {
    if (!open) {
      return;
    }
    open = false;
    hostPort.disconnect();
    pagePort.disconnect();
  };

  hostPort.onMessage.addListener((message) => {
    if (open) {
      pagePort.postMessage({ type: "reply", message });
    }
  });
  hostPort.onDisconnect.addListener(() => {
    if (open) {
      pagePort.postMessage({ type: "closed", reason: disconnectReason(hostPort) });
      close();
    }
  });
  pagePort.onMessage.addListener((message) => {
    if (!open) {
      return;
    }
    if (isStatusQuery(message)) {
      hostPort.postMessage({ id: message.id, query: "status" });
      return;
    }
    if (!isRequest(message)) {
      pagePort.postMessage({ type: "refused", id: message?.id, reason: "malformed call" });
      return;
    }
    if (new TextEncoder().encode(JSON.stringify(message)).length > MAX_REQUEST_BYTES) {
      pagePort.postMessage({ type: "refused", id: message.id, reason: "the call is too large" });
      return;
    }
    hostPort.postMessage({ id: message.id, method: message.method, args: message.args });
  });
  pagePort.onDisconnect.addListener(close);

  hostPort.postMessage({ origin });
}

extensionApi.runtime.onConnect.addListener((port) => {
  if (port.name !== PAGE_PORT_NAME || !port.sender || !isAllowedSender(port.sender)) {
    port.disconnect();
    return;
  }
  connectPage(port);
});
