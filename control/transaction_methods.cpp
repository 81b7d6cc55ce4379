// The transaction methods: the write with SNUM and TAC as a single command,
// and the whole transaction flow, on the card of CurrentSlot or (Ex2) on the
// card of the named reader opened in a slot of its own.

#include <cstdint>

#include "card/response_fields.h"
#include "control/kestrova_ctrl.h"
#include "txn/authorise_transaction.h"
#include "txn/write_record_with_snum_tac.h"

namespace kestrova {

namespace {

// The control's fields a transaction fills.
TransactionFields TransactionFieldsOf(CKestrovaCtrl& control) {
    return {{control.LastError, control.LastResultCode, control.RespLength, control.RespData},
            control.RespSNUM,
            control.RespTAC,
            control.TransactionIssuer,
            control.TransactionRemark,
            control.TransactionAccount};
}

}  // namespace

std::int32_t CKestrovaCtrl::FiscWriteRecordWithSNUMTAC(const char* EFID, std::int32_t Len,
                                                       const char* Data) {
    ResponseFields fields{LastError, LastResultCode, RespLength, RespData};
    return WriteRecordWithSnumTac(CurrentSlot, EFID, Len, Data, fields);
}

std::int32_t CKestrovaCtrl::WriteRecordWithSNUMTACProc(const char* pReaderName,
                                                       const char* pReaderName2ndList,
                                                       const char* pEFID, std::int32_t DataLen,
                                                       const char* pData, const char* pPassword,
                                                       const char* pMsgStr) {
    const TransactionRequest request{pReaderName, pReaderName2ndList, pEFID,  DataLen,
                                     pData,       pPassword,          pMsgStr};
    TransactionFields fields = TransactionFieldsOf(*this);
    return AuthoriseTransaction(request, CurrentSlot, fields, MessageBoxes());
}

std::int32_t CKestrovaCtrl::WriteRecordWithSNUMTACProcEx2(const char* pReaderName,
                                                          const char* pReaderName2ndList,
                                                          const char* pEFID, std::int32_t DataLen,
                                                          const char* pData, const char* pPassword,
                                                          const char* pMsgStr) {
    const TransactionRequest request{pReaderName, pReaderName2ndList, pEFID,  DataLen,
                                     pData,       pPassword,          pMsgStr};
    TransactionFields fields = TransactionFieldsOf(*this);
    return AuthoriseTransactionInOwnSlot(request, fields, MessageBoxes());
}

}  // namespace kestrova
