#pragma once

// The simulated PC/SC library bound the way the card layer binds a PC/SC
// service: loaded by path, every name looked up with dlsym.

#include <reader.h>
#include <winscard.h>

namespace kestrova::sim_test {

struct BoundService {
    void* library = nullptr;
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
    decltype(&::SCardBeginTransaction) beginTransaction = nullptr;
    decltype(&::SCardEndTransaction) endTransaction = nullptr;
};

// Names that are missing stay null; library is null when loading failed.
BoundService BindService(const char* path);

// The simulated service built for these tests, bound once.
const BoundService& Service();

}  // namespace kestrova::sim_test
