#include "sim/service/event_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

#include "sim/service/hex_bytes.h"

namespace kestrova::sim_service {
namespace {

std::string Hex(unsigned long value, int width) {
    std::array<char, 24> text{};
    static_cast<void>(std::snprintf(text.data(), text.size(), "0x%0*lX", width, value));
    return text.data();
}

template <std::size_t N>
std::string NameOr(const std::array<std::pair<DWORD, const char*>, N>& names, DWORD value) {
    for (const auto& [known, name] : names) {
        if (known == value) {
            return name;
        }
    }
    return std::to_string(value);
}

}  // namespace

std::string ResultText(LONG result) {
    static constexpr std::array<std::pair<LONG, const char*>, 26> kNames = {{
        {SCARD_S_SUCCESS, "SCARD_S_SUCCESS"},
        {SCARD_F_INTERNAL_ERROR, "SCARD_F_INTERNAL_ERROR"},
        {SCARD_E_CANCELLED, "SCARD_E_CANCELLED"},
        {SCARD_E_INVALID_HANDLE, "SCARD_E_INVALID_HANDLE"},
        {SCARD_E_INVALID_PARAMETER, "SCARD_E_INVALID_PARAMETER"},
        {SCARD_E_NO_MEMORY, "SCARD_E_NO_MEMORY"},
        {SCARD_E_INSUFFICIENT_BUFFER, "SCARD_E_INSUFFICIENT_BUFFER"},
        {SCARD_E_UNKNOWN_READER, "SCARD_E_UNKNOWN_READER"},
        {SCARD_E_TIMEOUT, "SCARD_E_TIMEOUT"},
        {SCARD_E_SHARING_VIOLATION, "SCARD_E_SHARING_VIOLATION"},
        {SCARD_E_NO_SMARTCARD, "SCARD_E_NO_SMARTCARD"},
        {SCARD_E_UNKNOWN_CARD, "SCARD_E_UNKNOWN_CARD"},
        {SCARD_E_PROTO_MISMATCH, "SCARD_E_PROTO_MISMATCH"},
        {SCARD_E_NOT_READY, "SCARD_E_NOT_READY"},
        {SCARD_E_INVALID_VALUE, "SCARD_E_INVALID_VALUE"},
        {SCARD_F_COMM_ERROR, "SCARD_F_COMM_ERROR"},
        {SCARD_E_NOT_TRANSACTED, "SCARD_E_NOT_TRANSACTED"},
        {SCARD_E_READER_UNAVAILABLE, "SCARD_E_READER_UNAVAILABLE"},
        {SCARD_E_NO_SERVICE, "SCARD_E_NO_SERVICE"},
        {SCARD_E_SERVICE_STOPPED, "SCARD_E_SERVICE_STOPPED"},
        {SCARD_E_UNSUPPORTED_FEATURE, "SCARD_E_UNSUPPORTED_FEATURE"},
        {SCARD_E_NO_READERS_AVAILABLE, "SCARD_E_NO_READERS_AVAILABLE"},
        {SCARD_W_UNRESPONSIVE_CARD, "SCARD_W_UNRESPONSIVE_CARD"},
        {SCARD_W_UNPOWERED_CARD, "SCARD_W_UNPOWERED_CARD"},
        {SCARD_W_RESET_CARD, "SCARD_W_RESET_CARD"},
        {SCARD_W_REMOVED_CARD, "SCARD_W_REMOVED_CARD"},
    }};
    for (const auto& [known, name] : kNames) {
        if (known == result) {
            return name;
        }
    }
    return Hex(static_cast<unsigned long>(result) & 0xFFFFFFFFUL, 8);
}

std::string HandleText(long handle) {
    return Hex(static_cast<unsigned long>(handle), 1);
}

std::string HexWord(DWORD value) {
    return Hex(value, 8);
}

std::string ScopeText(DWORD scope) {
    static constexpr std::array<std::pair<DWORD, const char*>, 4> kNames = {{
        {SCARD_SCOPE_USER, "SCARD_SCOPE_USER"},
        {SCARD_SCOPE_TERMINAL, "SCARD_SCOPE_TERMINAL"},
        {SCARD_SCOPE_SYSTEM, "SCARD_SCOPE_SYSTEM"},
        {SCARD_SCOPE_GLOBAL, "SCARD_SCOPE_GLOBAL"},
    }};
    return NameOr(kNames, scope);
}

std::string ShareModeText(DWORD shareMode) {
    static constexpr std::array<std::pair<DWORD, const char*>, 3> kNames = {{
        {SCARD_SHARE_EXCLUSIVE, "SCARD_SHARE_EXCLUSIVE"},
        {SCARD_SHARE_SHARED, "SCARD_SHARE_SHARED"},
        {SCARD_SHARE_DIRECT, "SCARD_SHARE_DIRECT"},
    }};
    return NameOr(kNames, shareMode);
}

std::string DispositionText(DWORD disposition) {
    static constexpr std::array<std::pair<DWORD, const char*>, 4> kNames = {{
        {SCARD_LEAVE_CARD, "SCARD_LEAVE_CARD"},
        {SCARD_RESET_CARD, "SCARD_RESET_CARD"},
        {SCARD_UNPOWER_CARD, "SCARD_UNPOWER_CARD"},
        {SCARD_EJECT_CARD, "SCARD_EJECT_CARD"},
    }};
    return NameOr(kNames, disposition);
}

std::string ProtocolText(DWORD protocols) {
    if (protocols == SCARD_PROTOCOL_UNDEFINED) {
        return "SCARD_PROTOCOL_UNDEFINED";
    }
    static constexpr std::array<std::pair<DWORD, const char*>, 4> kBits = {{
        {SCARD_PROTOCOL_T0, "SCARD_PROTOCOL_T0"},
        {SCARD_PROTOCOL_T1, "SCARD_PROTOCOL_T1"},
        {SCARD_PROTOCOL_RAW, "SCARD_PROTOCOL_RAW"},
        {SCARD_PROTOCOL_T15, "SCARD_PROTOCOL_T15"},
    }};
    std::string text;
    DWORD rest = protocols;
    for (const auto& [bit, name] : kBits) {
        if ((protocols & bit) != 0) {
            text += (text.empty() ? "" : "|");
            text += name;
            rest &= ~bit;
        }
    }
    if (rest != 0) {
        text += (text.empty() ? "" : "|") + Hex(rest, 1);
    }
    return text;
}

std::string PciText(const SCARD_IO_REQUEST* pci) {
    if (pci == nullptr) {
        return "null";
    }
    switch (pci->dwProtocol) {
        case SCARD_PROTOCOL_T0:
            return "SCARD_PCI_T0";
        case SCARD_PROTOCOL_T1:
            return "SCARD_PCI_T1";
        case SCARD_PROTOCOL_RAW:
            return "SCARD_PCI_RAW";
        default:
            return "pci(" + ProtocolText(pci->dwProtocol) + ")";
    }
}

std::string AttributeText(DWORD attribute) {
    return Hex(attribute, 8);
}

std::string QuotedText(const char* text) {
    if (text == nullptr) {
        return "null";
    }
    // Bounded: a name longer than pcsc-lite's limit is refused anyway.
    return "\"" + std::string(text, strnlen(text, MAX_READERNAME + 1)) + "\"";
}

std::string LengthText(const void* buffer, const DWORD* length) {
    if (buffer == nullptr || length == nullptr) {
        return "null";
    }
    return std::to_string(*length);
}

std::string CommandText(const unsigned char* command, std::size_t length) {
    constexpr std::size_t kHeader = 4;
    const bool pinCommand =
        length > kHeader + 1 && (command[1] == 0x20 || command[1] == 0x24 || command[1] == 0x2C ||
                                 command[1] == 0xD2 || command[1] == 0xDC);
    if (!pinCommand) {
        return kestrova::sim::HexText(command, length);
    }
    const std::size_t dataEnd = std::min(length, kHeader + 1 + std::size_t{command[kHeader]});
    return kestrova::sim::HexText(command, kHeader + 1) +
           std::string(2 * (dataEnd - kHeader - 1), '*') +
           kestrova::sim::HexText(command + dataEnd, length - dataEnd);
}

}  // namespace kestrova::sim_service
