#include "card/account_file.h"

#include <algorithm>

#include "platform/ascii_text.h"

namespace kestrova {
namespace {

bool IsAsciiDigit(std::uint8_t byte) {
    return platform::IsAsciiDigit(static_cast<char>(byte));
}

bool IsAsciiLetterOrDigit(std::uint8_t byte) {
    return IsAsciiDigit(byte) || platform::IsAsciiAlpha(static_cast<char>(byte));
}

auto AccountNumberBegin(const ResponseBuffer& record) {
    return record.begin() + kAccountNumberOffset;
}

auto AccountNumberEnd(const ResponseBuffer& record, const AccountFile& file) {
    return AccountNumberBegin(record) + static_cast<std::ptrdiff_t>(file.accountNumberLength);
}

}  // namespace

bool HasAccountCharacters(const ResponseBuffer& record, const AccountFile& file) {
    return std::all_of(AccountNumberBegin(record), AccountNumberEnd(record, file),
                       IsAsciiLetterOrDigit);
}

bool IsUnusedAccountSlot(const ResponseBuffer& record, const AccountFile& file) {
    return std::all_of(AccountNumberBegin(record), AccountNumberEnd(record, file),
                       [](std::uint8_t byte) { return byte == '0'; });
}

bool HoldsAccountNumber(const ResponseBuffer& record, const AccountFile& file) {
    return HasAccountCharacters(record, file) && !IsUnusedAccountSlot(record, file);
}

std::string AccountNumberOf(const ResponseBuffer& record, const AccountFile& file) {
    return {AccountNumberBegin(record), AccountNumberEnd(record, file)};
}

bool IsListedAccount(const ResponseBuffer& record, std::int32_t responseLength,
                     const AccountFile& file) {
    return responseLength > 0 && IsAsciiDigit(record[3]) && HoldsAccountNumber(record, file);
}

}  // namespace kestrova
