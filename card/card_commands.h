#pragma once

// The financial card's command set, every command the card layer sends built
// here, one builder each; each operation is one ExchangeCommand of its
// builder's command, and returns the exchange's result unchanged: 0 when the card answered 90 00
// (or a 61XX response was fetched), else the card's status word or a reader or service code. No
// status word is interpreted here.
//
// A response length out-argument is written only on success, with the number
// of data bytes the card really delivered (0..256): an answer of 90 00 alone
// gives 0, never the length that was asked for.

#include <array>
#include <cstdint>
#include <span>

#include "card/pin_block.h"
#include "reader/apdu_exchange.h"

namespace kestrova {

// Two bytes, sent in the order stored: {0x10, 0x01} is EF1001.
using FileIdentifier = std::array<std::uint8_t, 2>;

inline constexpr std::int32_t kMaxSelectNameLength = 32;
inline constexpr std::int32_t kMaxRecordDataLength = 255;

// The builders, one a command: the bytes each sends are in its comment.
// 00 A4 04 00 Lc name 00
CardCommand SelectByNameCommand(std::span<const std::uint8_t> name);
// 00 A4 02 00 02 id, and Le 10 when the file's control information is wanted
CardCommand SelectFileCommand(const FileIdentifier& fileId, bool wantResponse);
// 00 B2 rec 04 Le
CardCommand ReadRecordCommand(std::uint8_t recordNumber, std::uint8_t le);
// 00 B0 00 00 10
CardCommand ReadBinaryCommand();
// 00 D2 rec 04 Lc data
CardCommand WriteRecordCommand(std::uint8_t recordNumber, std::span<const std::uint8_t> data);
// VERIFY of the application PIN, 00 20 00 10 08 block: the PIN block, or the
// keypad marker F0 x 8 with which a keypad reader collects both PINs itself.
CardCommand VerifyCommand(std::span<const std::uint8_t, kPinBlockSize> block);
CardCommand VerifyOnKeypadForChangeCommand();
// 80 20 00 10: the PIN pad reader collects the PIN itself when VERIFY carries none.
CardCommand VerifyOnPinPadCommand();
// 00 E2 fid1 fid2 Lc record 00: the card writes the record and signs it.
CardCommand WriteWithSnumTacCommand(const FileIdentifier& fileId,
                                    std::span<const std::uint8_t> record);

// One exchange of `command`: the data delivered go to `response` (whatever
// the result), their count to responseLength only on success.
std::int32_t SendCommand(std::int32_t slotNumber, const CardCommand& command,
                         std::int32_t& responseLength, ResponseBuffer& response);

// 00 A4 04 00 08 FinancialAid, length byte 00; the response is discarded.
std::int32_t SelectApplication(std::int32_t slotNumber);

// 00 A4 04 00 Lc name, length byte 00. A name longer than 32 bytes (or a
// negative length) is refused with kResultWrongLength before anything is
// sent.
std::int32_t SelectByName(std::int32_t slotNumber, std::int32_t nameLength,
                          const std::uint8_t* name, std::int32_t& responseLength,
                          ResponseBuffer& response);

// 00 A4 02 00 02 id. With wantResponse non-zero the length byte starts at
// 0x10 and the file's control information comes back; with 0 nothing is
// asked back (no Le on either protocol) and the length reported is 0.
std::int32_t SelectFile(std::int32_t slotNumber, const FileIdentifier& fileId,
                        std::int32_t& responseLength, ResponseBuffer& response,
                        std::int32_t wantResponse);

// 00 B2 rec 04 Le: record `recordNumber` of the current file; Le is the
// expected length (0 asks for up to 256 bytes).
std::int32_t ReadRecord(std::int32_t slotNumber, std::uint8_t recordNumber,
                        std::uint8_t expectedLength, std::int32_t& responseLength,
                        ResponseBuffer& response);

// 00 B0 00 00 10: the first 16 bytes of the current transparent data.
std::int32_t ReadBinary(std::int32_t slotNumber, std::int32_t& responseLength,
                        ResponseBuffer& response);

// 00 D2 rec 04 Lc data, no Le. Data longer than 255 bytes (or a negative
// length) is refused with kResultWrongLength before anything is sent.
std::int32_t WriteRecord(std::int32_t slotNumber, std::uint8_t recordNumber,
                         std::int32_t dataLength, const std::uint8_t* data);

// 00 20 00 10 08 block, no Le. A wrong PIN comes back as the card's 63CX.
std::int32_t VerifyPinBlock(std::int32_t slotNumber, const PinBlock& block);

}  // namespace kestrova
