#include <cstring>

#include "card/card_commands.h"
#include "card/hex.h"
#include "card/raw_commands.h"
#include "reader/result_codes.h"

namespace kestrova {
namespace {

constexpr std::size_t kFileIdTextLength = 4;

// Returns 0 with the identifier decoded, or the text's failure code.
std::int32_t DecodeFileId(const char* text, FileIdentifier& fileId) {
    if (text == nullptr) {
        return kResultNoText;
    }
    if (std::strlen(text) != kFileIdTextLength) {
        return kResultWrongLength;
    }
    if (HexDecode(static_cast<std::int32_t>(kFileIdTextLength), text, fileId.data()) != 0) {
        return kResultBadHexText;
    }
    return 0;
}

}  // namespace

std::int32_t SelectDedicatedFile(const char* fileIdText, std::int32_t /*slotNumber*/) {
    FileIdentifier fileId{};
    const std::int32_t decoded = DecodeFileId(fileIdText, fileId);
    return decoded != 0 ? decoded : kResultBadHexText;
}

std::int32_t SelectElementaryFile(const char* fileIdText, std::int32_t slotNumber) {
    FileIdentifier fileId{};
    const std::int32_t decoded = DecodeFileId(fileIdText, fileId);
    if (decoded != 0) {
        return decoded;
    }
    std::int32_t responseLength = 0;
    ResponseBuffer response{};
    if (SelectFile(slotNumber, fileId, responseLength, response, 0) != 0) {
        return kResultSelectFileFailed;
    }
    return 0;
}

}  // namespace kestrova
