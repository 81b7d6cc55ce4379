// A bank page's whole session on the simulated card service, run as the page
// at an allowed https address: readers, connect, accounts, PIN, DES and MAC,
// a transfer with record code 999 (no confirmation window), disconnect.
var k = Kestrova;
var passed = 0, failed = 0;
function check(ok, what, got) {
  if (ok) passed++; else { failed++; WScript.Echo("FAIL " + what + ": " + got); }
}
function hexXor(a, b) {
  var out = "";
  for (var i = 0; i < a.length; i++)
    out += (parseInt(a.charAt(i), 16) ^ parseInt(b.charAt(i), 16)).toString(16).toUpperCase();
  return out;
}

check(k.ListReaders() === 0, "ListReaders", "");
var reader = "", count = k.GetReaderNumber();
for (var i = 0; i < count; i++)
  if (k.GetReaderName(i) == "Kestrova Virtual Reader 0") reader = k.GetReaderName(i);
check(reader != "", "the virtual reader is listed", count);
var r = k.ConnectCard(reader);
check(r === 0, "ConnectCard", r);
check(/^3B([0-9A-F]{2})+$/.test(k.GetCardStatus()), "GetCardStatus", k.GetCardStatus());

check(k.ListEF1001Accounts() === 0 && k.GetEF1001TotalAccounts() === 2, "EF1001", k.GetEF1001TotalAccounts());
check(k.ListEF1001AccountString() === k.GetEF1001Account(0) + ";" + k.GetEF1001Account(1) + ";",
      "ListEF1001AccountString", k.ListEF1001AccountString());
check(/^[0-9]{16}$/.test(k.GetEF1001Account(1)), "GetEF1001Account", k.GetEF1001Account(1));
check(k.GetEF1001Account(2) === "" && k.GetLastError() === 5378, "no third account", k.GetLastError());
check(k.ListEF1002Accounts() === 0 && /^[0-9]{24}$/.test(k.GetEF1002Account(0)), "EF1002", k.GetEF1002Account(0));
check(/^[0-9]{8}$/.test(k.GetIssuerBank()), "GetIssuerBank", k.GetIssuerBank());
check(/^[0-9]{16}$/.test(k.ReadCardSN()), "ReadCardSN", k.ReadCardSN());

r = k.VerifyPIN(reader, "", "111111");
check(r >= 0x63C0 && r <= 0x63CF, "a wrong PIN costs a try", r);
r = k.VerifyPIN(reader, "", "123456");
check(r === 0, "VerifyPIN", r);

// DES against the published test vector; MAC as chained DES of the same key.
check(k.DES(0, 8, "0123456789ABCDEF", "4E6F772069732074") === 0 &&
      k.GetRespData() === "3FA40E8A984D4815", "DES", k.GetRespData());
check(k.DES(1, 8, "0123456789ABCDEF", "3FA40E8A984D4815") === 0 &&
      k.GetRespData() === "4E6F772069732074", "DES decipher", k.GetRespData());
k.DES(0, 8, "0123456789ABCDEF", hexXor("3FA40E8A984D4815", "68652074696D6520"));
var chained = k.GetRespData();
check(k.MAC(8, "0123456789ABCDEF", "0000000000000000", 16, "4E6F77206973207468652074696D6520") === 0 &&
      k.GetRespData() === chained, "MAC", k.GetRespData());

var record = "999000000000123456                              00409876543210980040123456789012";
r = k.WriteRecordWithSNUMTACProc(reader, "", "1003", 80, record, "123456",
    "<Tag1>\u8f49\u5e33\u78ba\u8a8d</Tag1>");
check(r === 0, "the 999 transfer", r);
check(/^[0-9A-F]{8}$/.test(k.GetRespSNUM()), "GetRespSNUM", k.GetRespSNUM());
check(/^([0-9A-F]{2})+$/.test(k.GetRespTAC()), "GetRespTAC", k.GetRespTAC());
check(k.GetTransactionAccount() != "", "GetTransactionAccount", k.GetTransactionAccount());

// Chinese through BSTR both ways: code page 950 inside the control.
var text = "\u8f49\u5e33\u78ba\u8a8d \u78ba\u5b9a";
var hex = k.ConvertIntToHex(13, text);
check(hex === "C2E0B162BD54BB7B20BD54A977", "Chinese to code page 950", hex);
check(k.ConvertHexToInt(hex.length, hex) === text, "and back", k.ConvertHexToInt(hex.length, hex));

check(k.DisconnectCard(reader) === 0 && k.GetRespSNUM() === "" && k.GetCardStatus() === "",
      "DisconnectCard clears the results", k.GetRespSNUM());
check(k.GetTransactionAccount() != "", "the last transaction's texts stay", "");
WScript.Echo(passed + " passed, " + failed + " failed");
