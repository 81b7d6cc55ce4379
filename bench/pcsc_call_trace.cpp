// A PC/SC library that hands every call on to libpcsclite.so.1 and appends
// one line per call to the file named by KESTROVA_PCSC_TRACE:
//
//   <microseconds on the monotonic clock> TAB <call and its result>
//
// kestrova binds it with --pcsc-library, the floor client gets it through
// LD_PRELOAD; the two traces then show whether both sides made the same
// calls, and where the time between the calls went. Handles and response
// data are left out of the text (they differ from run to run); the status
// word of each answer is kept.

#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>
#include <winscard.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void* RealLibrary() {
    static void* library = dlopen("libpcsclite.so.1", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "pcsc_call_trace: %s\n", dlerror());
        std::abort();
    }
    return library;
}

template <typename Function>
Function* Real(Function*, const char* name) {
    void* address = dlsym(RealLibrary(), name);
    if (address == nullptr) {
        std::fprintf(stderr, "pcsc_call_trace: libpcsclite.so.1 lacks %s\n", name);
        std::abort();
    }
    return reinterpret_cast<Function*>(address);
}

#define KESTROVA_REAL(name) (Real(&::name, #name))

long long MonotonicMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000LL + now.tv_nsec / 1000;
}

// Taken before the call, so that the line's time is when the call began.
struct CallStart {
    long long microseconds = MonotonicMicroseconds();
};

__attribute__((format(printf, 2, 3))) void Trace(const CallStart& start, const char* format, ...) {
    static int file = [] {
        const char* path = std::getenv("KESTROVA_PCSC_TRACE");
        return path == nullptr ? -1 : open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    }();
    if (file < 0) {
        return;
    }
    char text[1200];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    std::string line = std::to_string(start.microseconds) + "\t" + text + "\n";
    // One write per line keeps lines whole when the file is shared.
    if (write(file, line.data(), line.size()) < 0) {
        return;
    }
}

unsigned long Code(LONG result) {
    return static_cast<unsigned long>(result) & 0xFFFFFFFFUL;
}

std::string Hex(const unsigned char* bytes, DWORD length) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (DWORD at = 0; at < length; ++at) {
        text += digits[bytes[at] >> 4];
        text += digits[bytes[at] & 0x0F];
    }
    return text;
}

}  // namespace

extern "C" {

// The protocol control records, with pcsc-lite's values: the service reads
// the protocol from them, not their address.
const SCARD_IO_REQUEST g_rgSCardT0Pci = {SCARD_PROTOCOL_T0, sizeof(SCARD_IO_REQUEST)};
const SCARD_IO_REQUEST g_rgSCardT1Pci = {SCARD_PROTOCOL_T1, sizeof(SCARD_IO_REQUEST)};
const SCARD_IO_REQUEST g_rgSCardRawPci = {SCARD_PROTOCOL_RAW, sizeof(SCARD_IO_REQUEST)};

LONG SCardEstablishContext(DWORD scope, LPCVOID reserved1, LPCVOID reserved2,
                           LPSCARDCONTEXT context) {
    CallStart start;
    LONG result = KESTROVA_REAL(SCardEstablishContext)(scope, reserved1, reserved2, context);
    Trace(start, "SCardEstablishContext(scope %lu) -> %08lX", static_cast<unsigned long>(scope),
          Code(result));
    return result;
}

LONG SCardReleaseContext(SCARDCONTEXT context) {
    CallStart start;
    LONG result = KESTROVA_REAL(SCardReleaseContext)(context);
    Trace(start, "SCardReleaseContext -> %08lX", Code(result));
    return result;
}

LONG SCardListReaders(SCARDCONTEXT context, LPCSTR groups, LPSTR readers, LPDWORD length) {
    CallStart start;
    LONG result = KESTROVA_REAL(SCardListReaders)(context, groups, readers, length);
    Trace(start, "SCardListReaders(%s) -> %08lX", readers == nullptr ? "length only" : "names",
          Code(result));
    return result;
}

LONG SCardConnect(SCARDCONTEXT context, LPCSTR reader, DWORD shareMode, DWORD preferredProtocols,
                  LPSCARDHANDLE card, LPDWORD activeProtocol) {
    CallStart start;
    LONG result = KESTROVA_REAL(SCardConnect)(context, reader, shareMode, preferredProtocols, card,
                                              activeProtocol);
    Trace(start, "SCardConnect(\"%s\", share %lu, protocols %lu) -> %08lX", reader,
          static_cast<unsigned long>(shareMode), static_cast<unsigned long>(preferredProtocols),
          Code(result));
    return result;
}

LONG SCardReconnect(SCARDHANDLE card, DWORD shareMode, DWORD preferredProtocols,
                    DWORD initialization, LPDWORD activeProtocol) {
    CallStart start;
    LONG result = KESTROVA_REAL(SCardReconnect)(card, shareMode, preferredProtocols, initialization,
                                                activeProtocol);
    Trace(start, "SCardReconnect(share %lu, protocols %lu, initialization %lu) -> %08lX",
          static_cast<unsigned long>(shareMode), static_cast<unsigned long>(preferredProtocols),
          static_cast<unsigned long>(initialization), Code(result));
    return result;
}

LONG SCardDisconnect(SCARDHANDLE card, DWORD disposition) {
    CallStart start;
    LONG result = KESTROVA_REAL(SCardDisconnect)(card, disposition);
    Trace(start, "SCardDisconnect(disposition %lu) -> %08lX",
          static_cast<unsigned long>(disposition), Code(result));
    return result;
}

LONG SCardBeginTransaction(SCARDHANDLE card) {
    CallStart start;
    LONG result = KESTROVA_REAL(SCardBeginTransaction)(card);
    Trace(start, "SCardBeginTransaction -> %08lX", Code(result));
    return result;
}

LONG SCardEndTransaction(SCARDHANDLE card, DWORD disposition) {
    CallStart start;
    LONG result = KESTROVA_REAL(SCardEndTransaction)(card, disposition);
    Trace(start, "SCardEndTransaction(disposition %lu) -> %08lX",
          static_cast<unsigned long>(disposition), Code(result));
    return result;
}

LONG SCardStatus(SCARDHANDLE card, LPSTR readerName, LPDWORD readerLength, LPDWORD state,
                 LPDWORD protocol, LPBYTE atr, LPDWORD atrLength) {
    CallStart start;
    LONG result =
        KESTROVA_REAL(SCardStatus)(card, readerName, readerLength, state, protocol, atr, atrLength);
    Trace(start, "SCardStatus -> %08lX", Code(result));
    return result;
}

LONG SCardTransmit(SCARDHANDLE card, const SCARD_IO_REQUEST* sendPci, LPCBYTE command,
                   DWORD commandLength, SCARD_IO_REQUEST* receivePci, LPBYTE response,
                   LPDWORD responseLength) {
    CallStart start;
    LONG result = KESTROVA_REAL(SCardTransmit)(card, sendPci, command, commandLength, receivePci,
                                               response, responseLength);
    std::string statusWord = "none";
    if (result == SCARD_S_SUCCESS && *responseLength >= 2) {
        statusWord = Hex(response + *responseLength - 2, 2);
    }
    Trace(start, "SCardTransmit(T=%d, %s) -> %08lX, %lu bytes, SW %s",
          sendPci != nullptr && sendPci->dwProtocol == SCARD_PROTOCOL_T1 ? 1 : 0,
          Hex(command, commandLength).c_str(), Code(result),
          result == SCARD_S_SUCCESS ? static_cast<unsigned long>(*responseLength) : 0UL,
          statusWord.c_str());
    return result;
}

LONG SCardGetAttrib(SCARDHANDLE card, DWORD attribute, LPBYTE value, LPDWORD valueLength) {
    CallStart start;
    LONG result = KESTROVA_REAL(SCardGetAttrib)(card, attribute, value, valueLength);
    Trace(start, "SCardGetAttrib(%08lX) -> %08lX", static_cast<unsigned long>(attribute),
          Code(result));
    return result;
}

}  // extern "C"
