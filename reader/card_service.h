#pragma once

// The process-wide card-layer state: the service binding, its context and the
// 16 reader slots through which every card command reaches a card. Shared by
// all controls of the process; nothing is locked, all calls come from one
// thread.

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/dynamic_library.h"
#include "reader/pcsc_functions.h"

namespace kestrova {

inline constexpr std::int32_t kSlotCount = 16;
inline constexpr std::size_t kReaderNameSize = 64;
inline constexpr std::size_t kReaderListSize = 1024;
inline constexpr std::size_t kAtrBufferSize = 256;

using ReaderNameEntry = std::array<char, kReaderNameSize>;
using ListedReaderNames = std::array<ReaderNameEntry, kSlotCount>;
using AtrBuffer = std::array<std::uint8_t, kAtrBufferSize>;

// Which of the service's protocol control records a slot sends with. The
// slot keeps the choice rather than the record's address, so a slot never
// holds an address into a service library that has since been unloaded.
enum class ProtocolRecord : std::uint8_t { kNone, kT0, kT1 };

struct ReaderSlot {
    std::int32_t registered = 0;
    ReaderNameEntry readerName{};  // first byte 0: free
    SCARDHANDLE card = 0;
    ProtocolRecord sendPci = ProtocolRecord::kNone;  // never cleared once set
};

struct CardService {
    platform::DynamicLibrary* library = nullptr;
    PcscFunctions functions;
    SCARDCONTEXT context = 0;
    std::int32_t contextOpen = 0;
    std::array<ReaderSlot, kSlotCount> slots{};  // slot n is slots[n - 1]
    SCARDHANDLE currentCard = 0;                 // latest connection, whatever its slot
    DWORD activeProtocol = 0;                    // protocol of the latest connect or reconnect
    SCARDHANDLE transactionCard = 0;             // holds a transaction, see held_transaction.h
    std::array<char, kReaderListSize> listBuffer{};
};

CardService& TheCardService();

// The slot numbered 1..16, or null for any other number.
ReaderSlot* SlotNumbered(std::int32_t slotNumber);

// Marks the slot's protocol record from the service's protocol number:
// 1 (T=0) and 2 (T=1); any other value leaves it as it is.
void MarkSendPci(ReaderSlot& slot, DWORD protocol);

// The bound service's record for the slot's protocol; null when none was
// chosen or the service has no such record.
const SCARD_IO_REQUEST* SendPciOf(const ReaderSlot& slot);

// Clears a slot's name, all 64 bytes.
void ClearReaderName(ReaderSlot& slot);

}  // namespace kestrova
