// A bank page's script as an editor checks it against kestrova.d.ts: the
// calls a page makes must type-check, and each marked mistake must not.

async function transfer(): Promise<string | null> {
  const kestrova = window.kestrova;
  if (kestrova === undefined) {
    return null;
  }
  const versions = await kestrova.ready();
  const version: string = versions.version;
  const protocol: number = versions.protocol;
  const status = await kestrova.status();
  const readerCount: number = status.readers;
  if (status.service === "stopped" || readerCount === 0) {
    return null;
  }
  const count: number = await kestrova.ListReaders();
  const reader: string | null = await kestrova.GetReaderName(count - 1);
  const connected: number = await kestrova.ConnectCard(reader);
  const verified: number = await kestrova.VerifyPIN(reader, null, "123456");
  if (verified === kestrova.codes.PinBlocked || verified === kestrova.codes.NotDigit) {
    return null;
  }
  const des: number = await kestrova.DES(0, 8, "0123456789ABCDEF", "4E6F772069732074");
  const any = await kestrova.call("GetAPIVersion");
  try {
    await kestrova.ConnectCard("Reader 0");
  } catch (error) {
    if (error instanceof kestrova.KestrovaError && error.code === "NotInstalled") {
      return version + connected + verified + des + String(any);
    }
  }

  // @ts-expect-error the codes are read only
  kestrova.codes.PinBlocked = 1;
  // @ts-expect-error a long parameter takes a number
  await kestrova.GetReaderName("0");
  // @ts-expect-error ConnectCard takes one argument
  await kestrova.ConnectCard("Reader 0", 1);
  // @ts-expect-error a BSTR result may be null
  const text: string = await kestrova.GetRespSNUM();
  // @ts-expect-error a long result is a number
  const wrong: string = await kestrova.ListReaders();
  // @ts-expect-error no such method
  await kestrova.FormatDisk();
  // @ts-expect-error the service is one of four words
  const running: boolean = status.service === "up";
  // @ts-expect-error results come as Promises
  const notAwaited: number = kestrova.ListReaders();
  return text + wrong + notAwaited + String(running);
}

// Waiting for the page API with a time-out, as the README shows it.
function whenKestrova(milliseconds: number): Promise<boolean> {
  return new Promise((resolve) => {
    if (window.kestrova !== undefined) {
      resolve(true);
      return;
    }
    const timer = setTimeout(() => resolve(false), milliseconds);
    window.addEventListener("kestrova-available", (event: Event) => {
      clearTimeout(timer);
      resolve(event.type === "kestrova-available");
    }, { once: true });
  });
}

transfer();
