#pragma once

// The readable pieces of event log lines: pcsc-lite's symbolic names for
// results, modes and protocols, handles and lengths in hex or decimal.

#include <cstddef>
#include <string>

#include "sim/service/pcsc_api.h"

namespace kestrova::sim_service {

std::string ResultText(LONG result);
std::string HandleText(long handle);  // SCARDCONTEXT and SCARDHANDLE, in hex
std::string ScopeText(DWORD scope);
std::string ShareModeText(DWORD shareMode);
std::string ProtocolText(DWORD protocols);  // a mask: "SCARD_PROTOCOL_T0|SCARD_PROTOCOL_T1"
std::string DispositionText(DWORD disposition);
std::string PciText(const SCARD_IO_REQUEST* pci);
std::string AttributeText(DWORD attribute);
std::string QuotedText(const char* text);  // "null" when absent
// The caller's buffer size, "null" when the buffer or the length is absent.
std::string LengthText(const void* buffer, const DWORD* length);
std::string HexWord(DWORD value);  // 0x00010034
// A command APDU in hex, the data of a PIN command (VERIFY, CHANGE
// REFERENCE DATA, RESET RETRY COUNTER, a record write) as "**" per byte.
std::string CommandText(const unsigned char* command, std::size_t length);

}  // namespace kestrova::sim_service
