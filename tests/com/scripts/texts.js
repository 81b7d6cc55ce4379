// Texts cross the automation boundary as UTF-16 and live in the control as
// code page 950: Chinese survives both ways, and a character code page 950
// lacks does not turn into something else unnoticed.
var c = new ActiveXObject("KESTROVA.KestrovaCtrl.1");
var passed = 0, failed = 0;
function check(ok, what, got) { if (ok) passed++; else { failed++; WScript.Echo("FAIL " + what + ": " + got); } }
var cases = [
  // text, its code page 950 bytes
  ["\u4e2d\u6587", "A4A4A4E5"],
  ["\u78ba\u5b9a", "BD54A977"],
  ["\u8f49\u5e33\u78ba\u8a8d", "C2E0B162BD54BB7B"],
  ["ATM \u8f49\u5e33 100", "41544D20C2E0B16220313030"]
];
for (var i = 0; i < cases.length; i++) {
  var text = cases[i][0], hex = cases[i][1];
  var encoded = c.ConvertIntToHex(hex.length / 2, text);
  check(encoded == hex, "ConvertIntToHex " + hex, encoded);
  var decoded = c.ConvertHexToInt(hex.length, hex);
  check(decoded == text, "ConvertHexToInt " + hex, decoded);
}
check(c.GetAPIVersion() === "1.0.0.1", "GetAPIVersion", c.GetAPIVersion());
check(c.GetReaderNumber() === -1, "GetReaderNumber before ListReaders", c.GetReaderNumber());
check(c.GetCardStatus() === "", "GetCardStatus of a new control", c.GetCardStatus());
WScript.Echo(passed + " passed, " + failed + " failed");
