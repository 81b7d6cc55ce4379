#include "reader/apdu_exchange.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/secure_wipe.h"
#include "reader/card_service.h"
#include "reader/result_codes.h"
#include "reader/service_binding.h"

namespace kestrova {
namespace {

constexpr std::size_t kCommandBufferSize = 300;
constexpr std::size_t kReceiveBufferSize = 768;
// 256 data bytes and the status word.
constexpr DWORD kReceiveOffered = 258;

constexpr std::uint8_t kSw1WrongLength = 0x6C;
constexpr std::uint8_t kSw1BytesAvailable = 0x61;

using ReceiveBuffer = std::array<std::uint8_t, kReceiveBufferSize>;

struct Exchange {
    const PcscFunctions& functions;
    const ReaderSlot& slot;
    const SCARD_IO_REQUEST* pci;

    // Sends `length` bytes; the received length is bounded by what was offered.
    std::int32_t Send(const std::uint8_t* command, std::size_t length, ReceiveBuffer& received,
                      std::size_t& receivedLength) const {
        DWORD offered = kReceiveOffered;
        std::int32_t result =
            NarrowResult(functions.transmit(slot.card, pci, command, static_cast<DWORD>(length),
                                            nullptr, received.data(), &offered));
        receivedLength = std::min<std::size_t>(offered, kReceiveOffered);
        return result;
    }
};

void Deliver(const std::uint8_t* bytes, std::size_t count, std::uint8_t* response,
             std::int32_t* responseByteCount) {
    if (response != nullptr) {
        std::memcpy(response, bytes, count);
    }
    if (responseByteCount != nullptr) {
        *responseByteCount = static_cast<std::int32_t>(count);
    }
}

// GET RESPONSE once after 61XX; its own chaining status is not followed.
std::int32_t FetchResponse(const Exchange& exchange, std::uint8_t available, std::uint8_t le,
                           std::uint8_t* lengthByte, std::uint8_t* response,
                           std::int32_t* responseByteCount) {
    std::uint8_t fetchLe = lengthByte != nullptr ? std::max(le, available) : available;
    if (lengthByte != nullptr) {
        *lengthByte = available;
    }
    const std::array<std::uint8_t, 5> getResponse{0x00, 0xC0, 0x00, 0x00, fetchLe};
    ReceiveBuffer received{};
    std::size_t receivedLength = 0;
    std::int32_t result =
        exchange.Send(getResponse.data(), getResponse.size(), received, receivedLength);
    if (result == kResultSuccess && receivedLength < 2) {
        result = kResultNoStatusWord;
    }
    if (result != kResultSuccess) {
        if (lengthByte != nullptr) {
            *lengthByte = 0;
        }
        return result;
    }
    std::size_t dataLength = receivedLength - 2;
    if (dataLength == 0) {
        std::int32_t status = StatusWordResult(received[0], received[1]);
        if (status != kResultSuccess) {
            // Nothing was fetched: the failure is the card's, not a success.
            if (lengthByte != nullptr) {
                *lengthByte = 0;
            }
            return status;
        }
    }
    // 61 00 announces 256 bytes.
    std::size_t announced = available == 0 ? kResponseDataSize : available;
    std::size_t delivered = std::min(announced, dataLength);
    Deliver(received.data(), delivered, response, responseByteCount);
    if (lengthByte != nullptr) {
        *lengthByte = static_cast<std::uint8_t>(delivered);
    }
    // Data that ends in an error or a warning is delivered with that status
    // word, as an answer without a fetch is; another 61XX only says more is
    // there, which is not followed.
    const std::uint8_t sw1 = received[dataLength];
    const std::uint8_t sw2 = received[dataLength + 1];
    return sw1 == kSw1BytesAvailable ? kResultSuccess : StatusWordResult(sw1, sw2);
}

}  // namespace

std::int32_t StatusWordResult(std::uint8_t sw1, std::uint8_t sw2) {
    std::int32_t statusWord = (sw1 << 8) | sw2;
    return statusWord == 0x9000 ? kResultSuccess : statusWord;
}

std::int32_t TransmitApdu(std::int32_t slotNumber, std::uint8_t cla, std::uint8_t ins,
                          std::uint8_t p1, std::uint8_t p2, std::uint8_t lc,
                          std::uint8_t* lengthByte, const std::uint8_t* data,
                          std::uint8_t* response, std::int32_t* responseByteCount) {
    const ReaderSlot* slot = SlotNumbered(slotNumber);
    if (slot == nullptr) {
        return kResultBadSlot;
    }
    if (BindCardService() != kResultSuccess) {
        return kResultFailure;
    }
    if (responseByteCount != nullptr) {
        *responseByteCount = 0;
    }
    const Exchange exchange{TheCardService().functions, *slot, SendPciOf(*slot)};

    std::uint8_t le = lengthByte != nullptr ? *lengthByte : 0;
    std::array<std::uint8_t, kCommandBufferSize> command{};
    // A VERIFY carries the PIN block.
    const platform::WipeOnExit wipeCommand(command);
    command[0] = cla;
    command[1] = ins;
    command[2] = p1;
    command[3] = p2;

    for (int resends = 0;; ++resends) {
        std::size_t commandLength = 4;
        if (lc != 0) {
            command[4] = lc;
            if (data != nullptr) {
                std::memcpy(&command[5], data, lc);
            }
            commandLength = std::size_t{lc} + 5;
        }
        // Under T=1 the resend after 6CXX carries the length the card asked
        // for, else the card could not answer with data at all.
        bool sendsLe = lengthByte != nullptr && (slot->sendPci == ProtocolRecord::kT1 ||
                                                 (slot->sendPci == ProtocolRecord::kT0 && lc == 0));
        if (sendsLe) {
            command[commandLength++] = le;
        }

        ReceiveBuffer received{};
        std::size_t receivedLength = 0;
        std::int32_t result =
            exchange.Send(command.data(), commandLength, received, receivedLength);
        if (result != kResultSuccess) {
            return result;
        }
        if (receivedLength < 2) {
            return kResultNoStatusWord;
        }
        if (receivedLength > 2) {
            if (lengthByte == nullptr) {
                return kResultFailure;
            }
            std::size_t dataLength = receivedLength - 2;
            *lengthByte = static_cast<std::uint8_t>(dataLength);
            Deliver(received.data(), dataLength, response, responseByteCount);
            return StatusWordResult(received[dataLength], received[dataLength + 1]);
        }

        const std::uint8_t sw1 = received[0];
        const std::uint8_t sw2 = received[1];
        if (sw1 == kSw1WrongLength) {
            if (resends == kMaxLengthResends || response == nullptr) {
                return StatusWordResult(sw1, sw2);
            }
            le = sw2;
            continue;
        }
        if (sw1 == kSw1BytesAvailable) {
            return FetchResponse(exchange, sw2, le, lengthByte, response, responseByteCount);
        }
        return StatusWordResult(sw1, sw2);
    }
}

}  // namespace kestrova
