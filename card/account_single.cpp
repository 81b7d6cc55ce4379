#include "card/account_data.h"
#include "card/application_file.h"
#include "reader/result_codes.h"

namespace kestrova {

std::int32_t ReadAccount(std::int32_t slotNumber, const AccountFile& file, std::int32_t index,
                         std::string& text) {
    if (index < 0 || index > file.largestAccountIndex) {
        return kResultNoAccount;
    }
    const std::int32_t selected = SelectApplicationFile(slotNumber, file.fileId);
    if (selected != 0) {
        return selected;
    }
    ResponseBuffer record{};
    std::int32_t recordLength = 0;
    const auto recordNumber = static_cast<std::uint8_t>(file.firstAccountRecord + index);
    const std::int32_t result =
        ReadFileRecord(slotNumber, recordNumber, file.expectedRecordLength, record, recordLength);
    if (result != 0) {
        return result;
    }
    text.clear();
    if (recordLength < file.minimumSingleReadLength) {
        return kResultNoAccount;
    }
    // A record just long enough for the minimum but short of the whole number
    // fails here: its missing characters read as zero.
    if (!HasAccountCharacters(record, file)) {
        return -1;
    }
    if (IsUnusedAccountSlot(record, file)) {
        return kResultNoAccount;
    }
    text = AccountNumberOf(record, file);
    return 0;
}

}  // namespace kestrova
