// SCardStatus, SCardTransmit and SCardGetAttrib.

#include <algorithm>
#include <cstring>
#include <string>

#include "sim/service/event_text.h"
#include "sim/service/hex_bytes.h"
#include "sim/service/pcsc_api.h"
#include "sim/service/reader_model.h"
#include "sim/service/service_state.h"

namespace kestrova::sim_service {
namespace {

struct StatusOutputs {
    LPSTR name;
    LPDWORD nameLength;
    LPDWORD stateWord;
    LPDWORD protocol;
    LPBYTE atr;
    LPDWORD atrLength;
};

// Copies as strncpy does: the name, then NULs up to the buffer's size; no
// terminator when the name fills the buffer.
void CopyName(const std::string& name, char* buffer, DWORD size) {
    const std::size_t copied = std::min<std::size_t>(name.size(), size);
    std::copy_n(name.begin(), copied, buffer);
    std::fill(buffer + copied, buffer + size, '\0');
}

LONG Status(ServiceState& state, SCARDHANDLE card, const StatusOutputs& out, DWORD nameOffered,
            DWORD atrOffered) {
    Connection* connection = nullptr;
    VirtualReader* reader = nullptr;
    const LONG located = LocateConnection(state, card, connection, reader);
    if (located == SCARD_E_INVALID_HANDLE) {
        return located;
    }
    if (located != SCARD_S_SUCCESS) {
        return SCARD_E_READER_UNAVAILABLE;
    }
    const LONG use = CheckCardUse(*reader, *connection, card);
    if (use != SCARD_S_SUCCESS) {
        return use;
    }
    if (out.nameLength != nullptr) {
        *out.nameLength = static_cast<DWORD>(reader->name.size() + 1);
    }
    if (out.atrLength != nullptr) {
        *out.atrLength = static_cast<DWORD>(reader->atr.size());
    }
    if (out.stateWord != nullptr) {
        *out.stateWord = ReaderStateWord(*reader);
    }
    if (out.protocol != nullptr) {
        *out.protocol = reader->activeProtocol;
    }
    if (nameOffered == SCARD_AUTOALLOCATE || atrOffered == SCARD_AUTOALLOCATE) {
        return SCARD_E_INVALID_PARAMETER;
    }
    LONG result = SCARD_S_SUCCESS;
    if (out.name != nullptr) {
        if (reader->name.size() + 1 > nameOffered) {
            result = SCARD_E_INSUFFICIENT_BUFFER;
        }
        CopyName(reader->name, out.name, nameOffered);
    }
    if (out.atr != nullptr) {
        if (reader->atr.size() > atrOffered) {
            result = SCARD_E_INSUFFICIENT_BUFFER;
        }
        std::memcpy(out.atr, reader->atr.data(),
                    std::min<std::size_t>(reader->atr.size(), atrOffered));
    }
    return result;
}

std::string StatusText(ServiceState& state, SCARDHANDLE card) {
    Connection* connection = nullptr;
    VirtualReader* reader = nullptr;
    if (LocateConnection(state, card, connection, reader) != SCARD_S_SUCCESS) {
        return {};
    }
    return "reader=\"" + reader->name + "\" state=" + HexWord(ReaderStateWord(*reader)) +
           " protocol=" + ProtocolText(reader->activeProtocol) +
           " atr=" + sim::HexText(reader->atr);
}

LONG Transmit(ServiceState& state, SCARDHANDLE card, const SCARD_IO_REQUEST* sendPci,
              LPCBYTE command, DWORD commandLength, LPBYTE response, LPDWORD responseLength,
              std::string& answerText) {
    if (command == nullptr || response == nullptr || responseLength == nullptr ||
        sendPci == nullptr) {
        return SCARD_E_INVALID_PARAMETER;
    }
    const DWORD offered = *responseLength;
    *responseLength = 0;
    Connection* connection = nullptr;
    VirtualReader* reader = nullptr;
    const LONG located = LocateConnection(state, card, connection, reader);
    if (located == SCARD_E_INVALID_HANDLE) {
        return located;
    }
    if (commandLength > kMaxBufferSizeExtended) {
        return SCARD_E_INSUFFICIENT_BUFFER;
    }
    if (located != SCARD_S_SUCCESS) {
        return located;
    }
    const LONG use = CheckCardUse(*reader, *connection, card);
    if (use != SCARD_S_SUCCESS) {
        return use;
    }
    if (sendPci->dwProtocol != SCARD_PROTOCOL_RAW) {
        if (!reader->cardPresent) {
            return SCARD_E_NO_SMARTCARD;
        }
        if (sendPci->dwProtocol != kProtocolAnyOld &&
            sendPci->dwProtocol != reader->activeProtocol) {
            return SCARD_E_PROTO_MISMATCH;
        }
    }
    // pcscd lets the card answer into its own buffer; a caller's buffer too
    // small for the answer gets nothing but the length it would need.
    const sim::Bytes answer = reader->card->Answer(sim::Bytes(command, command + commandLength));
    *responseLength = static_cast<DWORD>(answer.size());
    if (answer.size() > offered) {
        answerText = "length=" + std::to_string(answer.size());
        return SCARD_E_INSUFFICIENT_BUFFER;
    }
    std::copy(answer.begin(), answer.end(), response);
    answerText = "response=" + sim::HexText(answer);
    return SCARD_S_SUCCESS;
}

// The attribute as the reader's driver gives it, or pcscd's own answer for
// the reader's names.
const sim::Bytes* AttributeValue(const VirtualReader& reader, DWORD attribute,
                                 sim::Bytes& nameValue) {
    const auto found = reader.attributes.find(static_cast<std::uint32_t>(attribute));
    if (found != reader.attributes.end()) {
        return &found->second;
    }
    if (attribute == SCARD_ATTR_DEVICE_FRIENDLY_NAME ||
        attribute == SCARD_ATTR_DEVICE_SYSTEM_NAME) {
        nameValue.assign(reader.name.begin(), reader.name.end());
        nameValue.push_back(0);
        return &nameValue;
    }
    return nullptr;
}

LONG GetAttrib(ServiceState& state, SCARDHANDLE card, DWORD attribute, LPBYTE value, LPDWORD length,
               std::string& lengthText) {
    if (length == nullptr || *length == SCARD_AUTOALLOCATE) {
        return SCARD_E_INVALID_PARAMETER;
    }
    if (value == nullptr) {
        *length = kMaxBufferSize;
    }
    Connection* connection = nullptr;
    VirtualReader* reader = nullptr;
    const LONG located = LocateConnection(state, card, connection, reader);
    if (located == SCARD_E_INVALID_HANDLE) {
        return located;
    }
    if (*length > kMaxBufferSize) {
        return SCARD_E_INSUFFICIENT_BUFFER;
    }
    if (located != SCARD_S_SUCCESS) {
        return located;
    }
    const LONG use = CheckCardUse(*reader, *connection, card);
    if (use != SCARD_S_SUCCESS) {
        return use;
    }
    sim::Bytes nameValue;
    const sim::Bytes* found = AttributeValue(*reader, attribute, nameValue);
    if (found == nullptr) {
        return SCARD_E_UNSUPPORTED_FEATURE;
    }
    const DWORD offered = *length;
    *length = static_cast<DWORD>(found->size());
    lengthText = "length=" + std::to_string(found->size());
    if (value != nullptr) {
        std::copy_n(found->begin(), std::min<std::size_t>(found->size(), offered), value);
    }
    return found->size() > offered ? SCARD_E_INSUFFICIENT_BUFFER : SCARD_S_SUCCESS;
}

}  // namespace
}  // namespace kestrova::sim_service

using namespace kestrova::sim_service;

LONG SCardStatus(SCARDHANDLE hCard, LPSTR szReaderName, LPDWORD pcchReaderLen, LPDWORD pdwState,
                 LPDWORD pdwProtocol, LPBYTE pbAtr, LPDWORD pcbAtrLen) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const std::string arguments = HandleText(hCard) + ", " +
                                  LengthText(szReaderName, pcchReaderLen) + ", " +
                                  LengthText(pbAtr, pcbAtrLen);
    const DWORD nameOffered = pcchReaderLen != nullptr ? *pcchReaderLen : 0;
    const DWORD atrOffered = pcbAtrLen != nullptr ? *pcbAtrLen : 0;
    // Like pcsc-lite: nothing is reported unless the service answers.
    for (LPDWORD output : {pcchReaderLen, pdwState, pdwProtocol, pcbAtrLen}) {
        if (output != nullptr) {
            *output = 0;
        }
    }
    if (const auto fault = TakeFault(state, "SCardStatus", arguments)) {
        return *fault;
    }
    const LONG result =
        Status(state, hCard, {szReaderName, pcchReaderLen, pdwState, pdwProtocol, pbAtr, pcbAtrLen},
               nameOffered, atrOffered);
    const bool reported = result == SCARD_S_SUCCESS || result == SCARD_E_INSUFFICIENT_BUFFER;
    return RecordCall(state, "SCardStatus", arguments, result,
                      reported ? StatusText(state, hCard) : "");
}

LONG SCardTransmit(SCARDHANDLE hCard, const SCARD_IO_REQUEST* pioSendPci, LPCBYTE pbSendBuffer,
                   DWORD cbSendLength, SCARD_IO_REQUEST* /*pioRecvPci*/, LPBYTE pbRecvBuffer,
                   LPDWORD pcbRecvLength) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const std::string commandText =
        pbSendBuffer == nullptr
            ? "null"
            : CommandText(pbSendBuffer,
                          std::min<std::size_t>(cbSendLength, kMaxBufferSizeExtended));
    const std::string arguments = HandleText(hCard) + ", " + PciText(pioSendPci) + ", " +
                                  commandText + ", " + LengthText(pbRecvBuffer, pcbRecvLength);
    if (const auto fault = TakeFault(state, "SCardTransmit", arguments)) {
        if (pcbRecvLength != nullptr) {
            *pcbRecvLength = 0;
        }
        return *fault;
    }
    std::string answerText;
    const LONG result = Transmit(state, hCard, pioSendPci, pbSendBuffer, cbSendLength, pbRecvBuffer,
                                 pcbRecvLength, answerText);
    return RecordCall(state, "SCardTransmit", arguments, result, answerText);
}

LONG SCardGetAttrib(SCARDHANDLE hCard, DWORD dwAttrId, LPBYTE pbAttr, LPDWORD pcbAttrLen) {
    ServiceState& state = State();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const std::string arguments =
        HandleText(hCard) + ", " + AttributeText(dwAttrId) + ", " + LengthText(pbAttr, pcbAttrLen);
    if (const auto fault = TakeFault(state, "SCardGetAttrib", arguments)) {
        return *fault;
    }
    std::string lengthText;
    const LONG result = GetAttrib(state, hCard, dwAttrId, pbAttr, pcbAttrLen, lengthText);
    return RecordCall(state, "SCardGetAttrib", arguments, result, lengthText);
}
