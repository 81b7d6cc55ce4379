// The dispatch interface _DKestrova: every method in DISPID order, with its
// name and parameter names as the type library stores them (misspellings
// included: pages and the type library depend on them), its handler,
// whether it needs an allowed hosting page, and what it does and what each
// parameter means, for the page's developer (kestrova.d.ts, docs/reference.md,
// `kestrova methods --long`; the codes each method returns come from
// reader/result_codes.h through control/method_codes.h).
// resources/KESTROVA.idl is checked against this table.

#include "control/method_table.h"

#include <array>

#include "control/method_binding.h"

namespace kestrova {
namespace {

using method_binding::Implemented;
using method_binding::WithoutEffect;

constexpr AutomationType Long = AutomationType::Long;
constexpr AutomationType Bstr = AutomationType::Bstr;

// The last column: which pages a method serves (control/method_info.h).
// Open: conversions, DES and MAC (and the session-key ciphers without effect),
// the version and the service library's file information, and the getters,
// which return what this control holds and touch no reader (a refused call
// clears what a card said). Warned: the refusals the warning box has always
// announced. Guarded: everything else, because it lists or opens readers,
// sends to a card or a reader's connection, or (without effect today) is a
// card operation by name.
constexpr PageAccess Open = PageAccess::Open;
constexpr PageAccess Guarded = PageAccess::AllowedPage;
constexpr PageAccess Warned = PageAccess::AllowedPageWarned;

// Shared by several entries.
constexpr ParameterInfo kReaderName{"pReaderName", Bstr,
                                    "the reader's name, as GetReaderName gives it"};
constexpr std::array kTransactionParameters = {
    ParameterInfo{"pReaderName", Bstr, "the reader's name: its model decides on PIN and window"},
    ParameterInfo{"pReaderName2ndList", Bstr, "not used"},
    ParameterInfo{"pEFID", Bstr, "the record file the card writes: 4 hex characters"},
    ParameterInfo{"DataLen", Long, "the record's length in bytes, at most 159"},
    ParameterInfo{"pData", Bstr, "the transaction record, sent to the card as it is"},
    ParameterInfo{"pPassword", Bstr, "the PIN, for an ordinary reader; may be empty"},
    ParameterInfo{"pMsgStr", Bstr, "the tagged texts of the confirmation window"},
};
constexpr std::string_view kNotFilled = "Always null: nothing fills it.";

constexpr std::array kMethods = {
    Implemented<&CKestrovaCtrl::ListReaders>(
        1, "ListReaders", Long, {}, Guarded,
        "Lists the readers the PC/SC service knows, for GetReaderNumber and GetReaderName; "
        "0 even when none are listed."),
    Implemented<&CKestrovaCtrl::GetReaderNumber>(
        2, "GetReaderNumber", Long, {}, Open,
        "How many readers ListReaders listed (ConnectReader and ConnectCard raise 0 to 1), or -1 "
        "when none."),
    Implemented<&CKestrovaCtrl::GetReaderName>(
        3, "GetReaderName", Bstr, {{"Offset", Long, "the reader's index in the list, from 0"}},
        Open,
        "The name of a listed reader; null, with 0x1101 for GetLastError, for an Offset outside "
        "the list."),
    Implemented<&CKestrovaCtrl::ConnectReader>(
        4, "ConnectReader", Long, {kReaderName}, Guarded,
        "Registers the reader in a slot by a test connection, closed again, and makes that slot "
        "the current one."),
    Implemented<&CKestrovaCtrl::ConnectCard>(
        5, "ConnectCard", Long, {kReaderName}, Warned,
        "Clears the card results, then connects the reader's card exclusively, makes its slot the "
        "current one and keeps its answer-to-reset for GetCardStatus."),
    Implemented<&CKestrovaCtrl::DisconnectReader>(
        6, "DisconnectReader", Long, {kReaderName}, Guarded,
        "Disconnects the reader's card with a reset and frees its slot; 0 whatever it finds."),
    Implemented<&CKestrovaCtrl::ReConnectCard>(
        7, "ReConnectCard", Long,
        {kReaderName, {"reset_flag", Long, "not used: the card is always connected anew"}}, Guarded,
        "Does what ConnectCard does, without the warning box on a refused page."),
    Implemented<&CKestrovaCtrl::GetCardStatus>(
        8, "GetCardStatus", Bstr, {}, Open,
        "The connected card's answer-to-reset as hex text; null without a connected card."),
    Implemented<&CKestrovaCtrl::GetReaderStatus>(
        9, "GetReaderStatus", Bstr,
        {{"pReaderName", Bstr, "a reader whose card ConnectCard or CheckCardInsert connected"},
         {"AttribID", Long,
          "0 vendor, 1 reader type, 2 firmware version (MM.mm.bbbb), 3 serial number, 4 system "
          "name"}},
        Guarded,
        "One attribute of the reader as text, read over its card's connection; makes the "
        "reader's slot the current one."),
    Implemented<&CKestrovaCtrl::ListEF1001Accounts>(
        10, "ListEF1001Accounts", Long, {}, Guarded,
        "Reads the account numbers of file EF1001 (records 3 to 10) from the card, for "
        "GetEF1001TotalAccounts."),
    Implemented<&CKestrovaCtrl::GetEF1001Account>(
        11, "GetEF1001Account", Bstr, {{"AccountNo", Long, "0 to 8: records 3 to 11 of EF1001"}},
        Guarded, "One account number of EF1001, 16 characters, read from the card."),
    Implemented<&CKestrovaCtrl::GetEF1001TotalAccounts>(
        12, "GetEF1001TotalAccounts", Long, {}, Open,
        "How many accounts the last ListEF1001Accounts found, or -1 when none."),
    Implemented<&CKestrovaCtrl::ListEF1002Accounts>(
        13, "ListEF1002Accounts", Long, {}, Guarded,
        "Reads the account numbers of file EF1002 (records 1 to 8) from the card, for "
        "GetEF1002TotalAccounts."),
    Implemented<&CKestrovaCtrl::GetEF1002Account>(
        14, "GetEF1002Account", Bstr, {{"AccountNo", Long, "0 to 8: records 1 to 9 of EF1002"}},
        Guarded, "One account number of EF1002, 24 characters, read from the card."),
    Implemented<&CKestrovaCtrl::GetEF1002TotalAccounts>(
        15, "GetEF1002TotalAccounts", Long, {}, Open,
        "How many accounts the last ListEF1002Accounts found, or -1 when none."),
    Implemented<&CKestrovaCtrl::GetIssuerBank>(
        16, "GetIssuerBank", Bstr, {}, Guarded,
        "The issuer bank, up to 8 characters from record 1 of EF1001."),
    Implemented<&CKestrovaCtrl::GetICCRemark>(
        17, "GetICCRemark", Bstr, {}, Guarded,
        "The card's remark, record 2 of EF1001, as hex text."),
    Implemented<&CKestrovaCtrl::ReadCardSN>(
        18, "ReadCardSN", Bstr, {}, Guarded,
        "The card's serial number, 8 bytes of the application's data, as 16 hex characters."),
    Implemented<&CKestrovaCtrl::VerifyPIN>(
        19, "VerifyPIN", Long,
        {{"pReaderName", Bstr, "the reader's name: its model decides how the PIN is sent"},
         {"pReaderSndList", Bstr, "not used"},
         {"pPwdStr", Bstr, "the PIN, 6 to 12 digits; empty where the reader's keypad takes it"}},
        Guarded,
        "Has the card of the current slot verify the PIN; a wrong PIN gives the card's 63Cx "
        "(x tries left)."),
    Implemented<&CKestrovaCtrl::ChangePIN>(
        20, "ChangePIN", Long,
        {{"pReaderName", Bstr, "the reader's name; the method connects its card"},
         {"pReaderSndList", Bstr, "not used"},
         {"pOldPwdStr", Bstr, "the current PIN, 6 to 12 digits (not used on a keypad reader)"},
         {"pNewPwdStr", Bstr, "the new PIN, 6 to 12 digits (not used on a keypad reader)"},
         {"pCardSerialNo", Bstr, "must be given on a keypad reader; not used otherwise"},
         {"VerifyValFlag", Long, "not used"}},
        Warned,
        "Connects the reader's card in a slot of its own, verifies the old PIN and writes the new "
        "one; on a keypad reader the person types both there."),
    Implemented<&CKestrovaCtrl::GetRespSNUM>(
        21, "GetRespSNUM", Bstr, {}, Open,
        "The sequence number (SNUM) of the record the last confirmed transaction wrote."),
    Implemented<&CKestrovaCtrl::GetRespTAC>(
        22, "GetRespTAC", Bstr, {}, Open,
        "The authorisation code (TAC) of that record, as 16 hex characters."),
    Implemented<&CKestrovaCtrl::GetRespDateTime>(23, "GetRespDateTime", Bstr, {}, Open, kNotFilled),
    Implemented<&CKestrovaCtrl::GetEncryptAcqData>(24, "GetEncryptAcqData", Bstr, {}, Open,
                                                   kNotFilled),
    Implemented<&CKestrovaCtrl::GetSha1AcqData>(25, "GetSha1AcqData", Bstr, {}, Open, kNotFilled),
    Implemented<&CKestrovaCtrl::GetSessionKeyHash>(26, "GetSessionKeyHash", Bstr, {}, Open,
                                                   kNotFilled),
    WithoutEffect(27, "VerifySessionKeyHash",
                  {{"pCpukEncSessionKey", Bstr}, {"pSessionKeyHash", Bstr}}, Open),
    WithoutEffect(28, "DESEncipher",
                  {{"pSessionKeyHash", Bstr},
                   {"pCpukEncSessionKey", Bstr},
                   {"DataLen", Long},
                   {"pData", Bstr}},
                  Open),
    WithoutEffect(29, "DESDecipher",
                  {{"pSessionKeyHash", Bstr},
                   {"pCpukEncSessionKey", Bstr},
                   {"DataLen", Long},
                   {"pData", Bstr}},
                  Open),
    Implemented<&CKestrovaCtrl::ConvertHexToInt>(
        30, "ConvertHexToInt", Bstr,
        {{"inLength", Long, "how many hex characters to read"}, {"pInval", Bstr, "hex text"}}, Open,
        "The text the hex digits spell, up to its first zero byte; null for a character that is "
        "no digit or a text shorter than inLength."),
    Implemented<&CKestrovaCtrl::ConvertIntToHex>(
        31, "ConvertIntToHex", Bstr,
        {{"inLength", Long, "how many bytes of the text to encode"}, {"pInval", Bstr, "the text"}},
        Open, "The text's first inLength bytes as uppercase hex, two characters a byte."),
    Implemented<&CKestrovaCtrl::DES>(
        32, "DES", Long,
        {{"Opflag", Long, "0 to encrypt, 1 to decrypt"},
         {"KeyLen", Long, "the key's bytes: 8 for DES, 16 or 24 for triple DES"},
         {"KeyVal", Bstr, "the key as hex text, 2 x KeyLen characters"},
         {"inData", Bstr, "one 8-byte block as 16 hex characters"}},
        Open, "Encrypts or decrypts one block without a card; the block, as hex, for GetRespData."),
    Implemented<&CKestrovaCtrl::MAC>(
        33, "MAC", Long,
        {{"KeyLen", Long, "the key's bytes: 8 for DES, 16 or 24 for triple DES"},
         {"KeyVal", Bstr, "the key as hex text, 2 x KeyLen characters"},
         {"ICV", Bstr, "the initial chaining value, 16 hex characters"},
         {"inLen", Long, "the data's bytes: a multiple of 8, 8 to 2048"},
         {"inData", Bstr, "the data as hex text, 2 x inLen characters"}},
        Open,
        "The CBC MAC of the data without a card (no padding); its 8 bytes, as hex, for "
        "GetRespData."),
    Implemented<&CKestrovaCtrl::GetAPIVersion>(34, "GetAPIVersion", Bstr, {}, Open,
                                               "The control's version, 1.0.0.1."),
    Implemented<&CKestrovaCtrl::DisconnectCard>(
        35, "DisconnectCard", Long, {kReaderName}, Guarded,
        "Disconnects the reader's card with a reset and clears the card results; 0 whatever it "
        "finds."),
    Implemented<&CKestrovaCtrl::GetRespData>(
        36, "GetRespData", Bstr, {}, Open,
        "The data of the last card command's answer, or of DES or MAC, as hex text."),
    Implemented<&CKestrovaCtrl::GetRespLength>(
        37, "GetRespLength", Long, {}, Open,
        "How many bytes the last card command's answer had (DES and MAC leave it)."),
    Implemented<&CKestrovaCtrl::GetLastError>(
        38, "GetLastError", Long, {}, Open,
        "The last error: a card command's status word, or the code of a text method that "
        "failed."),
    WithoutEffect(39, "AccountInquiryEx2",
                  {{"pReaderName", Bstr},
                   {"Enc2ndReaderList", Bstr},
                   {"pTransactionCode", Bstr},
                   {"pFdChkCode", Bstr},
                   {"pAccountNumber", Bstr},
                   {"pPassword", Bstr},
                   {"pShowMsg", Bstr},
                   {"ConfirmFlag", Long}},
                  Guarded),
    WithoutEffect(40, "AccountInquiryEx3",
                  {{"pReaderName", Bstr},
                   {"Enc2ndReaderList", Bstr},
                   {"pTransactionCode", Bstr},
                   {"pFdChkCode", Bstr},
                   {"pAccountNumber", Bstr},
                   {"pPassword", Bstr},
                   {"pShowMsg", Bstr},
                   {"ConfirmFlag", Long},
                   {"pCpukEncSessionKey", Bstr},
                   {"pSessionKeyHash", Bstr}},
                  Guarded),
    WithoutEffect(41, "AccountPaymentEx2",
                  {{"pReaderName", Bstr},
                   {"Enc2ndReaderList", Bstr},
                   {"pTransactionCode", Bstr},
                   {"pFdid", Bstr},
                   {"pFdChkCode", Bstr},
                   {"pMoney", Bstr},
                   {"pPaymentType", Bstr},
                   {"pCancelNo", Bstr},
                   {"pAccount", Bstr},
                   {"pPassword", Bstr},
                   {"pShowMsg", Bstr},
                   {"pDateStr", Bstr}},
                  Guarded),
    WithoutEffect(42, "AccountPaymentEx3",
                  {{"pReaderName", Bstr},
                   {"Enc2ndReaderList", Bstr},
                   {"pTransactionCode", Bstr},
                   {"pFdid", Bstr},
                   {"pFdChkCode", Bstr},
                   {"pMoney", Bstr},
                   {"pPaymentType", Bstr},
                   {"pCancelNo", Bstr},
                   {"pAccount", Bstr},
                   {"pPassword", Bstr},
                   {"pShowMsg", Bstr},
                   {"pDateStr", Bstr},
                   {"pCpukEncSessionKey", Bstr},
                   {"pSessionKeyHash", Bstr}},
                  Guarded),
    WithoutEffect(43, "AccountPayTaxEx2",
                  {{"pReaderName", Bstr},
                   {"Enc2ndReaderList", Bstr},
                   {"pTransactionCode", Bstr},
                   {"pFdid", Bstr},
                   {"pFdChkCode", Bstr},
                   {"pMoney", Bstr},
                   {"pAccount", Bstr},
                   {"pPassword", Bstr},
                   {"pShowMsg", Bstr},
                   {"pDateStr", Bstr}},
                  Guarded),
    WithoutEffect(44, "AccountPayTaxEx3",
                  {{"pReaderName", Bstr},
                   {"Enc2ndReaderList", Bstr},
                   {"pTransactionCode", Bstr},
                   {"pFdid", Bstr},
                   {"pFdChkCode", Bstr},
                   {"pMoney", Bstr},
                   {"pAccount", Bstr},
                   {"pPassword", Bstr},
                   {"pShowMsg", Bstr},
                   {"pDateStr", Bstr},
                   {"pCpukEncSessionKey", Bstr},
                   {"pSessionKeyHash", Bstr}},
                  Guarded),
    WithoutEffect(45, "AccountTransferEx2",
                  {{"pReaderName", Bstr},
                   {"Enc2ndReaderList", Bstr},
                   {"pTransactionCode", Bstr},
                   {"pFdid", Bstr},
                   {"pFdChkCode", Bstr},
                   {"pMoney", Bstr},
                   {"pImprtAccnt", Bstr},
                   {"pAccount", Bstr},
                   {"pPassword", Bstr},
                   {"pShowMsg", Bstr},
                   {"pDateStr", Bstr}},
                  Guarded),
    WithoutEffect(46, "AccountTransferEx3",
                  {{"pReaderName", Bstr},
                   {"Enc2ndReaderList", Bstr},
                   {"pTransactionCode", Bstr},
                   {"pFdid", Bstr},
                   {"pFdChkCode", Bstr},
                   {"pMoney", Bstr},
                   {"pImprtAccnt", Bstr},
                   {"pAccount", Bstr},
                   {"pPassword", Bstr},
                   {"pShowMsg", Bstr},
                   {"pDateStr", Bstr},
                   {"pCpukEncSessionKey", Bstr},
                   {"pSessionKeyHash", Bstr}},
                  Guarded),
    WithoutEffect(47, "AccountWithdrawEx2",
                  {{"pReaderName", Bstr},
                   {"Enc2ndReaderList", Bstr},
                   {"pTransactionCode", Bstr},
                   {"pFdid", Bstr},
                   {"pFdChkCode", Bstr},
                   {"pMoney", Bstr},
                   {"pAccount", Bstr},
                   {"pPassword", Bstr},
                   {"pShowMsg", Bstr},
                   {"pDateStr", Bstr}},
                  Guarded),
    WithoutEffect(48, "AccountWithdrawEx3",
                  {{"pReaderName", Bstr},
                   {"Enc2ndReaderList", Bstr},
                   {"pTransactionCode", Bstr},
                   {"pFdid", Bstr},
                   {"pFdChkCode", Bstr},
                   {"pMoney", Bstr},
                   {"pAccount", Bstr},
                   {"pPassword", Bstr},
                   {"pShowMsg", Bstr},
                   {"pDateStr", Bstr},
                   {"pCpukEncSessionKey", Bstr},
                   {"pSessionKeyHash", Bstr}},
                  Guarded),
    WithoutEffect(49, "AccountPurchaseEx2",
                  {{"pReaderName", Bstr},
                   {"Enc2ndReaderList", Bstr},
                   {"pTransactionCode", Bstr},
                   {"pFdid", Bstr},
                   {"pFdChkCode", Bstr},
                   {"pMoney", Bstr},
                   {"pStoreID", Bstr},
                   {"pAccount", Bstr},
                   {"pPassword", Bstr},
                   {"pShowMsg", Bstr},
                   {"pDateStr", Bstr}},
                  Guarded),
    WithoutEffect(50, "AccountPurchaseEx3",
                  {{"pReaderName", Bstr},
                   {"Enc2ndReaderList", Bstr},
                   {"pTransactionCode", Bstr},
                   {"pFdid", Bstr},
                   {"pFdChkCode", Bstr},
                   {"pMoney", Bstr},
                   {"pStoreID", Bstr},
                   {"pAccount", Bstr},
                   {"pPassword", Bstr},
                   {"pShowMsg", Bstr},
                   {"pDateStr", Bstr},
                   {"pCpukEncSessionKey", Bstr},
                   {"pSessionKeyHash", Bstr}},
                  Guarded),
    Implemented<&CKestrovaCtrl::CheckCardInsert>(
        51, "CheckCardInsert", Long, {kReaderName}, Guarded,
        "0 when the reader holds a card that answers, left connected in slot 1; without a card "
        "the PC/SC service's SCARD_E_NO_SMARTCARD."),
    Implemented<&CKestrovaCtrl::ListWinscardInfo>(
        52, "ListWinscardInfo", Long, {}, Open,
        "Reads the PC/SC service library's version, company and description for "
        "GetWinscardProperty; always 0."),
    Implemented<&CKestrovaCtrl::GetWinscardProperty>(
        53, "GetWinscardProperty", Bstr,
        {{"ListNo", Long, "0 the file version, 1 the company, any other the description"}}, Open,
        "One of the texts ListWinscardInfo read; null before it ran."),
    Implemented<&CKestrovaCtrl::ListEF1001AccountString>(
        54, "ListEF1001AccountString", Bstr, {}, Guarded,
        "All account numbers of EF1001 in one text, each followed by \";\"; empty when there are "
        "none."),
    Implemented<&CKestrovaCtrl::ListEF1002AccountString>(
        55, "ListEF1002AccountString", Bstr, {}, Guarded,
        "All account numbers of EF1002 in one text, each followed by \";\"; empty when there are "
        "none."),
    Implemented<&CKestrovaCtrl::FiscTransmit>(
        56, "FiscTransmit", Long,
        {{"inLength", Long, "the command's length in bytes"},
         {"inData", Bstr, "the whole command as hex text, 2 x inLength characters"}},
        Guarded,
        "Sends a command unchanged to the card of the current slot; its answer's data for "
        "GetRespData, its status word as the result."),
    Implemented<&CKestrovaCtrl::FiscSelectDF>(
        57, "FiscSelectDF", Long, {{"DF", Bstr, "a file identifier, 4 hex characters"}}, Guarded,
        "Checks the identifier and selects nothing: a dedicated file cannot be selected."),
    Implemented<&CKestrovaCtrl::FiscSelectEF>(
        58, "FiscSelectEF", Long, {{"EF", Bstr, "the file identifier, 4 hex characters"}}, Guarded,
        "Selects an elementary file of the current application on the card of the current "
        "slot."),
    WithoutEffect(59, "FiscGenerateRandomNumber", {}, Guarded),
    WithoutEffect(60, "FiscTerminalAuthentication", {{"KID", Bstr}, {"EncData", Bstr}}, Guarded),
    WithoutEffect(61, "FiscSVCCreatePurseFile", {{"Len", Long}, {"PEF", Bstr}}, Guarded),
    WithoutEffect(62, "FiscSVCGetInfoWithRn", {{"PEF_ID", Bstr}, {"rLen", Long}}, Guarded),
    WithoutEffect(
        63, "FiscSVCLoading",
        {{"PEF", Bstr}, {"LV", Bstr}, {"AData_Len", Long}, {"AData", Bstr}, {"LTAC", Bstr}},
        Guarded),
    WithoutEffect(64, "FiscSVCDeduct",
                  {{"PEF", Bstr},
                   {"DV", Bstr},
                   {"AData_Len", Long},
                   {"AData", Bstr},
                   {"DTAC", Bstr},
                   {"rLen", Long}},
                  Guarded),
    WithoutEffect(65, "FiscSVCReadBalance", {{"PEF", Bstr}}, Guarded),
    WithoutEffect(66, "FiscSVCReadLoadingLog", {{"PEF", Bstr}}, Guarded),
    WithoutEffect(67, "FiscSVCReadDeductLog", {{"PEF", Bstr}}, Guarded),
    Implemented<&CKestrovaCtrl::FiscWriteRecordWithSNUMTAC>(
        68, "FiscWriteRecordWithSNUMTAC", Long,
        {{"EFID", Bstr, "the record file, 4 hex characters"},
         {"Len", Long, "the record's length in bytes, at most 255"},
         {"Data", Bstr, "the record as hex text, 2 x Len characters"}},
        Guarded,
        "The card's write with sequence number and authorisation code alone, without PIN or "
        "window; the answer for GetRespData."),
    WithoutEffect(69, "FiscSVCReserval", {}, Guarded),
    WithoutEffect(70, "FiscSVCUpdateKey", {{"Type", Bstr}, {"Block", Bstr}, {"Ccode", Bstr}},
                  Guarded),
    Implemented<&CKestrovaCtrl::GetTransactionIssuer>(
        71, "GetTransactionIssuer", Bstr, {}, Open,
        "The issuer text the last transaction read from the card; kept until the next one."),
    Implemented<&CKestrovaCtrl::GetTransactionRemark>(
        72, "GetTransactionRemark", Bstr, {}, Open,
        "The card's remark, as hex text, that the last transaction read."),
    Implemented<&CKestrovaCtrl::GetTransactionAccount>(
        73, "GetTransactionAccount", Bstr, {}, Open,
        "The account number (record 3 of EF1001) that the last transaction read."),
    Implemented<&CKestrovaCtrl::FiscSelectAID>(
        74, "FiscSelectAID", Long, {}, Guarded,
        "Selects the financial application on the card of the current slot."),
    Implemented<&CKestrovaCtrl::FiscReadRecord>(
        75, "FiscReadRecord", Long, {{"RecordNo", Long, "the record's number, 1 to 254"}}, Guarded,
        "Reads a record of the current file of the card of the current slot; its data for "
        "GetRespData."),
    Implemented<&CKestrovaCtrl::WriteRecordWithSNUMTACProc>(
        76, "WriteRecordWithSNUMTACProc", Long, kTransactionParameters, Guarded,
        "A transaction on the card of the current slot: PIN, the card writes the record, the "
        "person confirms; then GetRespSNUM and GetRespTAC."),
    Implemented<&CKestrovaCtrl::WriteRecordWithSNUMTACProcEx2>(
        77, "WriteRecordWithSNUMTACProcEx2", Long, kTransactionParameters, Warned,
        "Does what WriteRecordWithSNUMTACProc does, on the named reader's card, which it "
        "connects in a slot of its own."),
    WithoutEffect(78, "WriteRecordWithSNUMTACProcEx3",
                  {{"pReaderName", Bstr},
                   {"pReaderName2ndList", Bstr},
                   {"pEFID", Bstr},
                   {"DataLen", Long},
                   {"pData", Bstr},
                   {"pPassword", Bstr},
                   {"pMsgStr", Bstr},
                   {"pCpukEncSessionKey", Bstr},
                   {"pSessionKeyHash", Bstr}},
                  Guarded),
    WithoutEffect(79, "LoginAuthen",
                  {{"KauthSesssion", Bstr},
                   {"SHA1_SessionKey", Bstr},
                   {"KsessionTxnData", Bstr},
                   {"KauthReaderData", Bstr}},
                  Guarded),
};

constexpr bool DispidsRunFromOneInOrder() {
    for (std::size_t i = 0; i < kMethods.size(); ++i) {
        if (kMethods[i].dispid != static_cast<std::int32_t>(i + 1)) {
            return false;
        }
    }
    return true;
}
static_assert(kMethods.size() == kMethodCount);
static_assert(DispidsRunFromOneInOrder());

}  // namespace

std::span<const MethodInfo> MethodTable() {
    return kMethods;
}

}  // namespace kestrova
