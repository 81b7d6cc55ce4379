#include "txn/confirm_rows.h"

#include <algorithm>

#include "reader/result_codes.h"

namespace kestrova {
namespace {

// Where a row's value comes from: a text field of the record, or the amount.
struct RowSource {
    std::size_t offset = 0;  // unused for the amount
    std::size_t length = 0;  // 0: the amount
};

constexpr RowSource kAmount{};
constexpr RowSource Field(std::size_t offset, std::size_t length) {
    return {offset, length};
}

struct CodeRows {
    std::string_view code;
    std::int32_t count;
    std::array<RowSource, kMaxConfirmRows> rows;
};

constexpr std::size_t kTextFieldLength = 16;

// In the order they are tried.
constexpr std::array kCodeRows{
    CodeRows{"252", 3, {Field(64, kTextFieldLength), Field(48, kTextFieldLength), kAmount}},
    CodeRows{"253", 3, {Field(53, kTextFieldLength), kAmount, Field(48, 5)}},
    CodeRows{"254", 2, {Field(78, kTextFieldLength), kAmount, {}}},
    CodeRows{"256", 2, {Field(48, kTextFieldLength), kAmount, {}}},
    CodeRows{"251", 2, {Field(48, kTextFieldLength), kAmount, {}}},
    CodeRows{"258", 1, {kAmount, {}, {}}},
    CodeRows{"MV20", 2, {Field(48, kTextFieldLength), kAmount, {}}},
    CodeRows{"FX01", 1, {kAmount, {}, {}}},
};

const CodeRows* FindCode(std::string_view record) {
    for (const CodeRows& entry : kCodeRows) {
        if (record.substr(0, entry.code.size()) == entry.code) {
            return &entry;
        }
    }
    return nullptr;
}

bool FillRow(std::string_view record, const RowSource& source, RowValue& value) {
    if (source.length == 0) {
        if (record.size() < kAmountOffset + kAmountLength) {
            return false;
        }
        const auto amount = FormatAmount(record.substr(kAmountOffset, kAmountLength));
        if (!amount) {
            return false;
        }
        value = *amount;
        return true;
    }
    if (record.size() < source.offset + source.length) {
        return false;
    }
    // Read as text: a zero byte ends the field.
    const std::string_view field = record.substr(source.offset, source.length);
    const std::string_view text = field.substr(0, field.find('\0'));
    value.fill('\0');
    std::copy(text.begin(), text.end(), value.begin());
    return true;
}

}  // namespace

std::int32_t ConfirmRows(std::string_view record, ConfirmationRows& rows) {
    rows = ConfirmationRows{};
    const CodeRows* entry = FindCode(record);
    if (entry == nullptr) {
        return 0;
    }
    for (std::int32_t row = 0; row < entry->count; ++row) {
        const auto index = static_cast<std::size_t>(row);
        if (!FillRow(record, entry->rows[index], rows.values[index])) {
            rows = ConfirmationRows{};
            return kResultWrongLength;
        }
    }
    rows.count = entry->count;
    return 0;
}

}  // namespace kestrova
