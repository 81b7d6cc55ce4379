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

void Deliver(const std::uint8_t* bytes, std::size_t count, CardResponse& response) {
    std::memcpy(response.data.data(), bytes, count);
    response.length = static_cast<std::int32_t>(count);
}

// GET RESPONSE once after 61XX; its own chaining status is not followed.
std::int32_t FetchResponse(const Exchange& exchange, std::uint8_t available, bool withLe,
                           std::uint8_t le, CardResponse& response) {
    const std::uint8_t fetchLe = withLe ? std::max(le, available) : available;
    const std::array<std::uint8_t, 5> getResponse{0x00, 0xC0, 0x00, 0x00, fetchLe};
    ReceiveBuffer received{};
    std::size_t receivedLength = 0;
    std::int32_t result =
        exchange.Send(getResponse.data(), getResponse.size(), received, receivedLength);
    if (result == kResultSuccess && receivedLength < 2) {
        result = kResultNoStatusWord;
    }
    if (result != kResultSuccess) {
        return result;
    }
    std::size_t dataLength = receivedLength - 2;
    if (dataLength == 0) {
        std::int32_t status = StatusWordResult(received[0], received[1]);
        if (status != kResultSuccess) {
            return status;  // nothing was fetched: the failure is the card's
        }
    }
    // 61 00 announces 256 bytes.
    std::size_t announced = available == 0 ? kResponseDataSize : available;
    std::size_t delivered = std::min(announced, dataLength);
    Deliver(received.data(), delivered, response);
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

std::int32_t ExchangeCommand(std::int32_t slotNumber, const CardCommand& command,
                             CardResponse& response) {
    const ReaderSlot* slot = SlotNumbered(slotNumber);
    if (slot == nullptr) {
        return kResultBadSlot;
    }
    if (BindCardService() != kResultSuccess) {
        return kResultFailure;
    }
    response.length = 0;
    const Exchange exchange{TheCardService().functions, *slot, SendPciOf(*slot)};

    const bool withLe = command.le.has_value();
    std::uint8_t le = command.le.value_or(0);
    const auto lc = static_cast<std::uint8_t>(command.data.size());
    std::array<std::uint8_t, kCommandBufferSize> bytes{command.cla, command.ins, command.p1,
                                                       command.p2};
    // A VERIFY carries the PIN block.
    const platform::WipeOnExit wipeCommand(bytes);

    for (int resends = 0;; ++resends) {
        std::size_t commandLength = 4;
        if (lc != 0) {
            bytes[4] = lc;
            std::memcpy(&bytes[5], command.data.data(), lc);
            commandLength = std::size_t{lc} + 5;
        }
        // Under T=1 the resend after 6CXX carries the length the card asked
        // for, else the card could not answer with data at all.
        if (withLe && (slot->sendPci == ProtocolRecord::kT1 ||
                       (slot->sendPci == ProtocolRecord::kT0 && lc == 0))) {
            bytes[commandLength++] = le;
        }

        ReceiveBuffer received{};
        std::size_t receivedLength = 0;
        std::int32_t result = exchange.Send(bytes.data(), commandLength, received, receivedLength);
        if (result != kResultSuccess) {
            return result;
        }
        if (receivedLength < 2) {
            return kResultNoStatusWord;
        }
        if (receivedLength > 2) {
            if (!withLe) {
                return kResultFailure;
            }
            std::size_t dataLength = receivedLength - 2;
            Deliver(received.data(), dataLength, response);
            return StatusWordResult(received[dataLength], received[dataLength + 1]);
        }

        const std::uint8_t sw1 = received[0];
        const std::uint8_t sw2 = received[1];
        if (sw1 == kSw1WrongLength) {
            if (resends == kMaxLengthResends) {
                return StatusWordResult(sw1, sw2);
            }
            le = sw2;
            continue;
        }
        if (sw1 == kSw1BytesAvailable) {
            return FetchResponse(exchange, sw2, withLe, le, response);
        }
        return StatusWordResult(sw1, sw2);
    }
}

}  // namespace kestrova
