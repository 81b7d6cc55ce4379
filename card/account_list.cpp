#include "card/account_data.h"
#include "card/application_file.h"

namespace kestrova {
namespace {

// Reads the file's listed records in order and hands each account number
// found to `keep`. Returns 0 or the first failed read's code.
template <typename Keep>
std::int32_t ForEachListedAccount(std::int32_t slotNumber, const AccountFile& file, Keep keep) {
    ResponseBuffer record{};
    for (std::int32_t i = 0; i < file.listedRecords; ++i) {
        const auto recordNumber = static_cast<std::uint8_t>(file.firstAccountRecord + i);
        std::int32_t recordLength = 0;
        const std::int32_t result = ReadFileRecord(slotNumber, recordNumber,
                                                   file.expectedRecordLength, record, recordLength);
        if (result != 0) {
            return result;
        }
        if (IsListedAccount(record, recordLength, file)) {
            keep(AccountNumberOf(record, file));
        }
    }
    return 0;
}

}  // namespace

std::int32_t ReadAccountList(std::int32_t slotNumber, const AccountFile& file, std::int32_t& count,
                             AccountNumberList& list) {
    const std::int32_t selected = SelectApplicationFile(slotNumber, file.fileId);
    if (selected != 0) {
        return selected;
    }
    count = 0;
    return ForEachListedAccount(slotNumber, file, [&](std::string accountNumber) {
        // Eight listed records never fill the ten entries.
        if (static_cast<std::size_t>(count) < list.size()) {
            list[static_cast<std::size_t>(count)] = std::move(accountNumber);
            ++count;
        }
    });
}

std::int32_t ReadAccountString(std::int32_t slotNumber, const AccountFile& file,
                               std::string& text) {
    const std::int32_t selected = SelectApplicationFile(slotNumber, file.fileId);
    if (selected != 0) {
        return selected;
    }
    std::string accounts;
    const std::int32_t result =
        ForEachListedAccount(slotNumber, file, [&](const std::string& accountNumber) {
            accounts += accountNumber;
            accounts += ';';
        });
    if (result == 0) {
        text = std::move(accounts);
    }
    return result;
}

}  // namespace kestrova
