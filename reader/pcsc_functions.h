#pragma once

// The PC/SC service as bound at run time: its functions and protocol control
// records, with the service's own types. The service library is never linked;
// its header only gives the types.

#include <winscard.h>

#include <cstdint>

namespace kestrova {

struct PcscFunctions {
    const SCARD_IO_REQUEST* t0Pci = nullptr;
    const SCARD_IO_REQUEST* t1Pci = nullptr;
    const SCARD_IO_REQUEST* rawPci = nullptr;
    decltype(&::SCardEstablishContext) establishContext = nullptr;
    decltype(&::SCardReleaseContext) releaseContext = nullptr;
    decltype(&::SCardListReaders) listReaders = nullptr;
    decltype(&::SCardConnect) connect = nullptr;
    decltype(&::SCardReconnect) reconnect = nullptr;
    decltype(&::SCardDisconnect) disconnect = nullptr;
    decltype(&::SCardStatus) status = nullptr;
    decltype(&::SCardTransmit) transmit = nullptr;
    decltype(&::SCardGetAttrib) getAttrib = nullptr;
    decltype(&::SCardEndTransaction) endTransaction = nullptr;
    decltype(&::SCardBeginTransaction) beginTransaction = nullptr;
};

// The service's LONG result as the card layer's 32-bit code: 0x8010000C
// becomes a negative number whatever the width of LONG.
inline std::int32_t NarrowResult(LONG result) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(result));
}

inline constexpr std::int32_t kSharingViolation = static_cast<std::int32_t>(0x8010000BU);
inline constexpr std::int32_t kUnresponsiveCard = static_cast<std::int32_t>(0x80100066U);
inline constexpr std::int32_t kRemovedCard = static_cast<std::int32_t>(0x80100069U);

}  // namespace kestrova
