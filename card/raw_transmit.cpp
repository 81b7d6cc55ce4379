#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <span>

#include "card/hex.h"
#include "card/raw_commands.h"
#include "platform/secure_wipe.h"
#include "reader/raw_exchange.h"
#include "reader/result_codes.h"

namespace kestrova {

std::int32_t TransmitHexCommand(std::int32_t slotNumber, std::int32_t commandLength,
                                const char* commandText, ResponseFields& fields) {
    ClearResponse(fields);
    if (commandText == nullptr) {
        return kResultNoText;
    }
    // Widened, so that no length doubles past the 32-bit range; a text too long
    // to count in 32 bits is as wrong as any other.
    if (commandLength > std::numeric_limits<std::int32_t>::max() / 2 ||
        static_cast<std::int64_t>(std::strlen(commandText)) !=
            2 * static_cast<std::int64_t>(commandLength)) {
        return kResultWrongLength;
    }
    const auto commandSize = static_cast<std::size_t>(commandLength);
    const std::unique_ptr<std::uint8_t[]> command(new (std::nothrow) std::uint8_t[commandSize]());
    if (command == nullptr) {
        return kResultNoMemory;
    }
    // A page may send a PIN block this way: the decoded bytes are wiped
    // however the call ends, before the buffer goes back to the heap.
    std::span<std::uint8_t> commandBytes(command.get(), commandSize);
    const platform::WipeOnExit wipeCommand(commandBytes);
    if (HexDecode(2 * commandLength, commandText, command.get()) != 0) {
        return kResultBadHexText;
    }
    const std::unique_ptr<std::uint8_t[]> response(new (std::nothrow)
                                                       std::uint8_t[kRawResponseSize]());
    if (response == nullptr) {
        return kResultNoMemory;
    }
    std::int32_t dataLength = 0;
    const std::int32_t result =
        TransmitRaw(slotNumber, commandLength, command.get(), dataLength, response.get());
    if (result != 0) {
        return FileFailure(fields, result);
    }
    StoreResponse(fields, response.get(), dataLength);
    return 0;
}

}  // namespace kestrova
