#include "card/application_file.h"

#include <algorithm>

#include "reader/result_codes.h"

namespace kestrova {

std::int32_t SelectApplicationFile(std::int32_t slotNumber, const FileIdentifier& fileId) {
    if (SelectApplication(slotNumber) != 0) {
        return kResultSelectApplicationFailed;
    }
    std::int32_t responseLength = 0;
    ResponseBuffer response{};
    if (SelectFile(slotNumber, fileId, responseLength, response, 0) != 0) {
        return kResultSelectFileFailed;
    }
    return 0;
}

std::int32_t ReadFileRecord(std::int32_t slotNumber, std::uint8_t recordNumber,
                            std::uint8_t expectedLength, ResponseBuffer& record,
                            std::int32_t& recordLength) {
    record.fill(0);
    std::int32_t delivered = 0;
    if (ReadRecord(slotNumber, recordNumber, expectedLength, delivered, record) != 0) {
        return kResultReadRecordFailed;
    }
    // Le 0 asks for up to 256 bytes.
    const std::int32_t limit =
        expectedLength == 0 ? static_cast<std::int32_t>(record.size()) : expectedLength;
    recordLength = std::min(delivered, limit);
    std::fill(record.begin() + recordLength, record.end(), std::uint8_t{0});
    return 0;
}

}  // namespace kestrova
