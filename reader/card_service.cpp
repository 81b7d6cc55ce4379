#include "reader/card_service.h"

namespace kestrova {

CardService& TheCardService() {
    static CardService service;
    return service;
}

ReaderSlot* SlotNumbered(std::int32_t slotNumber) {
    if (slotNumber < 1 || slotNumber > kSlotCount) {
        return nullptr;
    }
    return &TheCardService().slots[static_cast<std::size_t>(slotNumber - 1)];
}

void MarkSendPci(ReaderSlot& slot, DWORD protocol) {
    if (protocol == SCARD_PROTOCOL_T0) {
        slot.sendPci = ProtocolRecord::kT0;
    } else if (protocol == SCARD_PROTOCOL_T1) {
        slot.sendPci = ProtocolRecord::kT1;
    }
}

const SCARD_IO_REQUEST* SendPciOf(const ReaderSlot& slot) {
    const PcscFunctions& functions = TheCardService().functions;
    switch (slot.sendPci) {
        case ProtocolRecord::kT0:
            return functions.t0Pci;
        case ProtocolRecord::kT1:
            return functions.t1Pci;
        case ProtocolRecord::kNone:
            break;
    }
    return nullptr;
}

void ClearReaderName(ReaderSlot& slot) {
    slot.readerName.fill('\0');
}

}  // namespace kestrova
