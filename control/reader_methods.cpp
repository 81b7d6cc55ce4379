// The reader methods: listing readers, connecting and disconnecting cards,
// reader attributes and the service's version information. Each hands the
// control's fields to one reader-layer operation.

#include <algorithm>
#include <cstdint>
#include <string>

#include "control/kestrova_ctrl.h"
#include "platform/default_user_interface.h"
#include "reader/atr_text.h"
#include "reader/card_status.h"
#include "reader/reader_attributes.h"
#include "reader/reader_list.h"
#include "reader/reader_operations.h"
#include "reader/result_codes.h"
#include "reader/service_info.h"

namespace kestrova {
namespace {

// Text up to the first zero byte of the first `length` bytes.
template <typename Buffer>
std::string TextOf(const Buffer& buffer, std::size_t length) {
    const auto end = buffer.begin() + static_cast<std::ptrdiff_t>(std::min(length, buffer.size()));
    return std::string(buffer.begin(), std::find(buffer.begin(), end, '\0'));
}

}  // namespace

platform::UserInterface& CKestrovaCtrl::MessageBoxes() {
    if (userInterface_ != nullptr) {
        return *userInterface_;
    }
    return platform::DefaultUserInterface();
}

std::int32_t CKestrovaCtrl::ListReaders() {
    ReaderCount = 0;
    for (auto& entry : ReaderNames) {
        entry.fill('\0');
    }
    ListReaderTable(ReaderCount, ReaderNames);
    return 0;
}

std::int32_t CKestrovaCtrl::ConnectReader(const char* pReaderName) {
    if (pReaderName == nullptr) {
        return kResultNoReaderName;
    }
    return OpenReader(pReaderName, CurrentSlot, ReaderCount);
}

std::int32_t CKestrovaCtrl::ConnectCard(const char* pReaderName) {
    return OpenCardInFirstSlot(pReaderName);
}

std::int32_t CKestrovaCtrl::ReConnectCard(const char* pReaderName, std::int32_t /*reset_flag*/) {
    return OpenCardInFirstSlot(pReaderName);
}

// A failed connect leaves no slot and no results behind (nor does a refused
// one: RefusesHostingPage).
std::int32_t CKestrovaCtrl::OpenCardInFirstSlot(const char* pReaderName) {
    ResetResults();
    CurrentSlot = 0;
    if (pReaderName == nullptr) {
        return kResultNoReaderName;
    }
    std::int32_t textLength = 0;
    AtrText atrText{};
    const std::int32_t result =
        OpenCard(pReaderName, CurrentSlot, ReaderCount, textLength, atrText);
    if (result != kResultSuccess) {
        return result;
    }
    CardStatus = TextOf(atrText, static_cast<std::size_t>(textLength));
    return 0;
}

std::int32_t CKestrovaCtrl::DisconnectReader(const char* pReaderName) {
    return ReleaseReader(pReaderName);
}

std::int32_t CKestrovaCtrl::DisconnectCard(const char* pReaderName) {
    ReleaseReader(pReaderName);
    ResetResults();
    return 0;
}

std::string CKestrovaCtrl::GetReaderStatus(const char* pReaderName, std::int32_t AttribID) {
    std::int32_t length = 0;
    AttributeBuffer bytes{};
    const std::int32_t result =
        QueryReaderAttribute(pReaderName, CurrentSlot, AttribID, length, bytes);
    if (result != kResultSuccess) {
        LastError = result;
        return {};
    }
    return TextOf(bytes, bytes.size());
}

std::int32_t CKestrovaCtrl::CheckCardInsert(const char* pReaderName) {
    return CheckCardPresent(pReaderName);
}

std::int32_t CKestrovaCtrl::ListWinscardInfo() {
    ListServiceInfo(WinscardInfo);
    return 0;
}

}  // namespace kestrova
