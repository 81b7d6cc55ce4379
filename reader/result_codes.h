#pragma once

// Every result code of this system, in one table: the code's name in the
// code and on the page (kestrova.codes), its value, what it means and which
// methods return it. A method returns one 32-bit signed code: 0 for success
// (and the card's 90 00), a card status word 0x6001..0xFFFF passed through, a
// PC/SC service code (negative as 32 bits) passed through, or one below. One
// value may mean different things for different methods (0x1001 is four
// codes): read a code together with the method that returned it. The table
// generates docs/result-codes.md and the page's constants.
//
// The methods are method names of the control's table and the groups below,
// separated by ", "; "every method that returns a code" (a long) and "every
// guarded method on a refused page" stand for what they say. A method's
// codes are read from these lists (control/method_codes.h).

#include <cstdint>

// X(constant, page name, value, meaning, methods)
#define KESTROVA_RESULT_CODES(X)                                                                   \
    X(kResultSuccess, Success, 0, "done; the card answered 90 00",                                 \
      "every method that returns a code")                                                          \
    X(kResultFailure, Failure, -1,                                                                 \
      "the PC/SC service cannot be bound; data came back for a command that asked for none; "      \
      "more than 16 readers are listed; a key or data text that is not hex; an account number "    \
      "with a character that is neither a letter nor a digit; on a page that is not allowed, "     \
      "every guarded method",                                                                      \
      "GetReaderStatus, DES, MAC, GetEF1001Account, GetEF1002Account, the methods that open a "    \
      "reader, the card commands, the transaction methods, every guarded method on a refused "     \
      "page")                                                                                      \
    X(kResultNoConnection, NoConnection, 6, "the slot holds no card connection",                   \
      "CheckCardInsert")                                                                           \
    X(kResultContextNotOpen, ContextNotOpen, 7, "the PC/SC context is not open",                   \
      "ConnectCard, ReConnectCard, CheckCardInsert, GetReaderStatus, ChangePIN, "                  \
      "WriteRecordWithSNUMTACProcEx2")                                                             \
    X(kResultBadSlot, BadSlot, 9, "a slot number outside 1..16",                                   \
      "the card commands, the transaction methods")                                                \
    X(kResultBadAttributeIndex, BadAttributeIndex, 0x1001,                                         \
      "a reader attribute index outside 0..4", "GetReaderStatus")                                  \
    X(kResultNotDigit, NotDigit, 0x1001,                                                           \
      "a PIN character that is not a digit (a new PIN in a change)",                               \
      "VerifyPIN, ChangePIN, the transaction methods")                                             \
    X(kResultRecordNumberOutOfRange, RecordNumberOutOfRange, 0x1001,                               \
      "a record number outside 1..254", "FiscReadRecord")                                          \
    X(kNumberOutOfRange, NumberOutOfRange, 0x1001,                                                 \
      "a number out of range: the operation flag, the key length or the data length", "DES, MAC")  \
    X(kResultWrongLength, WrongLength, 0x1002,                                                     \
      "a text or data of the wrong length: a PIN outside 6..12 characters, hex text that is "      \
      "not two characters a byte, a name or record longer than one command carries",               \
      "VerifyPIN, ChangePIN, FiscTransmit, FiscSelectDF, FiscSelectEF, FiscReadRecord, "           \
      "FiscWriteRecordWithSNUMTAC, the transaction methods")                                       \
    X(kTextLengthWrong, TextLengthWrong, 0x1002, "a key, ICV or data text of the wrong length",    \
      "DES, MAC")                                                                                  \
    X(kResultNoText, NoText, 0x1003,                                                               \
      "a text argument is absent (a reader name, a serial number, hex text)",                      \
      "ChangePIN, FiscTransmit, FiscSelectDF, FiscSelectEF, FiscWriteRecordWithSNUMTAC, "          \
      "the transaction methods")                                                                   \
    X(kResultNoReaderName, NoReaderName, 0x1003, "no reader name was given",                       \
      "GetReaderStatus, the methods that open a reader")                                           \
    X(kTextAbsent, TextAbsent, 0x1003, "a key or data text is absent", "DES, MAC")                 \
    X(kResultBadHexText, BadHexText, 0x1006,                                                       \
      "hex text with a character that is neither a digit nor a letter; every selection of a "      \
      "dedicated file, which is not supported",                                                    \
      "FiscTransmit, FiscSelectDF, FiscSelectEF, FiscReadRecord, FiscWriteRecordWithSNUMTAC, "     \
      "the transaction methods")                                                                   \
    X(kResultNoReaderKind, NoReaderKind, 0x1101,                                                   \
      "no reader name, so the reader's kind is unknown",                                           \
      "VerifyPIN, ChangePIN, the transaction methods")                                             \
    X(kResultSelectApplicationFailed, SelectApplicationFailed, 0x1200,                             \
      "selecting the financial application failed",                                                \
      "VerifyPIN, ChangePIN, ReadCardSN, the account and card data methods")                       \
    X(kResultSelectFileFailed, SelectFileFailed, 0x1201,                                           \
      "selecting an elementary file failed; on a keypad reader also the application by name",      \
      "ChangePIN, FiscSelectEF, the account and card data methods")                                \
    X(kResultReadRecordFailed, ReadRecordFailed, 0x1203, "reading a record failed",                \
      "the account and card data methods")                                                         \
    X(kResultReadSerialFailed, ReadSerialFailed, 0x1209,                                           \
      "reading the card's serial number failed", "ReadCardSN")                                     \
    X(kResultWritePinFailed, WritePinFailed, 0x120A, "writing the new PIN failed", "ChangePIN")    \
    X(kResultNoMemory, NoMemory, 0x1401, "a work buffer could not be had", "FiscTransmit")         \
    X(kResultTransactionCancelled, TransactionCancelled, 0x1403,                                   \
      "the confirmation window ended without OK: the transaction is cancelled",                    \
      "the transaction methods")                                                                   \
    X(kResultNoAccount, NoAccount, 0x1502,                                                         \
      "no account at that index: outside 0..8, a record too short, or an unused slot",             \
      "GetEF1001Account, GetEF1002Account")                                                        \
    X(kResultNoStatusWord, NoStatusWord, 0x1601,                                                   \
      "the card answered fewer than two bytes: no status word",                                    \
      "the card commands, VerifyPIN, ChangePIN, the transaction methods")                          \
    X(kResultReaderNameTooLong, ReaderNameTooLong, 0x1602,                                         \
      "a reader name of 64 characters or more", "GetReaderStatus, the methods that open a reader") \
    X(kResultNoFreeSlot, NoFreeSlot, 0x1603, "all 16 slots hold a reader",                         \
      "GetReaderStatus, the methods that open a reader")                                           \
    X(kResultPinBlocked, PinBlocked, 0x6983, "the card's answer: the PIN is blocked",              \
      "VerifyPIN, ChangePIN, the transaction methods")                                             \
    X(kResultPinChangeArgumentMissing, PinChangeArgumentMissing, 0x01001003,                       \
      "a PIN change without a reader name, old PIN or new PIN", "ChangePIN")                       \
    X(kResultOldPinNotDigit, OldPinNotDigit, 0x03001001,                                           \
      "the old PIN of a change has a character that is not a digit", "ChangePIN")                  \
    X(kResultOpenReaderFailed, OpenReaderFailed, 0x3001405,                                        \
      "opening the reader failed: the PC/SC context could not be opened",                          \
      "the methods that open a reader")                                                            \
    X(kResultPinLengthBeforeWrite, PinLengthBeforeWrite, 0x7001002,                                \
      "before the write, on an ordinary reader: a PIN outside 6..12 characters",                   \
      "the transaction methods")                                                                   \
    X(kResultPinNotPackable, PinNotPackable, 0x8001001,                                            \
      "a PIN character that hex packing refuses", "the transaction methods")

// X(group, methods): a name for several methods in the lists above.
#define KESTROVA_METHOD_GROUPS(X)                                                             \
    X("the card commands",                                                                    \
      "FiscTransmit, FiscSelectAID, FiscReadRecord, FiscWriteRecordWithSNUMTAC")              \
    X("the transaction methods", "WriteRecordWithSNUMTACProc, WriteRecordWithSNUMTACProcEx2") \
    X("the account and card data methods",                                                    \
      "ListEF1001Accounts, GetEF1001Account, ListEF1002Accounts, GetEF1002Account, "          \
      "ListEF1001AccountString, ListEF1002AccountString, GetIssuerBank, GetICCRemark")        \
    X("the methods that open a reader",                                                       \
      "ConnectReader, ConnectCard, ReConnectCard, CheckCardInsert, ChangePIN, "               \
      "WriteRecordWithSNUMTACProcEx2")

namespace kestrova {

#define KESTROVA_RESULT_CONSTANT(constant, name, value, meaning, methods) \
    inline constexpr std::int32_t constant = value;
KESTROVA_RESULT_CODES(KESTROVA_RESULT_CONSTANT)
#undef KESTROVA_RESULT_CONSTANT

}  // namespace kestrova
