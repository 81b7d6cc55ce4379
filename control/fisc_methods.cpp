// The single card commands: raw pass-through, selections and a record read
// on the card of CurrentSlot.

#include <cstdint>
#include <cstdio>

#include "card/card_commands.h"
#include "card/raw_commands.h"
#include "card/response_fields.h"
#include "control/kestrova_ctrl.h"

namespace kestrova {

std::int32_t CKestrovaCtrl::FiscTransmit(std::int32_t inLength, const char* inData) {
    ResponseFields fields{LastError, LastResultCode, RespLength, RespData};
    return TransmitHexCommand(CurrentSlot, inLength, inData, fields);
}

std::int32_t CKestrovaCtrl::FiscSelectDF(const char* DF) {
    return SelectDedicatedFile(DF, CurrentSlot);
}

std::int32_t CKestrovaCtrl::FiscSelectEF(const char* EF) {
    return SelectElementaryFile(EF, CurrentSlot);
}

std::int32_t CKestrovaCtrl::FiscSelectAID() {
    return SelectApplication(CurrentSlot);
}

// The record number travels as at least two lowercase hex digits ("%.2x" is
// the same as "%0.2x": the 0 flag is ignored with a precision); a number
// outside 0..255 gives more digits, which the read refuses as the wrong
// length. A negative number formats as its 32-bit two's complement.
std::int32_t CKestrovaCtrl::FiscReadRecord(std::int32_t RecordNo) {
    char recordText[16] = {};
    // At most 8 digits: the buffer always holds the whole text.
    (void)std::snprintf(recordText, sizeof recordText, "%.2x", static_cast<unsigned int>(RecordNo));
    ResponseFields fields{LastError, LastResultCode, RespLength, RespData};
    return ReadRecordOfCurrentFile(CurrentSlot, recordText, fields);
}

}  // namespace kestrova
