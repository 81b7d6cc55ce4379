#include "sim/card/card_records.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace kestrova::sim {
namespace {

// Every record starts with its own number and the length of what follows.
Bytes Record(std::size_t number, const Bytes& body) {
    Bytes record;
    record.reserve(body.size() + 2);
    record.push_back(static_cast<std::uint8_t>(number));
    record.push_back(static_cast<std::uint8_t>(body.size()));
    record.insert(record.end(), body.begin(), body.end());
    return record;
}

Bytes TextBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

void AppendAccountRecords(const AccountFileContent& file, std::size_t accountLength,
                          std::vector<Bytes>& records) {
    const std::size_t slots = std::max(file.slots, file.accounts.size());
    const std::string unused(accountLength, '0');
    for (std::size_t slot = 0; slot < slots; ++slot) {
        const std::string& account = slot < file.accounts.size() ? file.accounts[slot] : unused;
        records.push_back(Record(records.size() + 1, TextBytes(account)));
    }
}

}  // namespace

std::vector<Bytes> Ef1001Records(const CardContent& content) {
    std::vector<Bytes> records;
    Bytes issuer = TextBytes(content.issuerBank);
    issuer.resize(kIssuerBankLength, 0x00);
    records.push_back(Record(1, issuer));
    Bytes remark = content.remark;
    remark.resize(std::min(remark.size(), kRemarkMaxLength));
    records.push_back(Record(2, remark));
    AppendAccountRecords(content.ef1001, kEf1001AccountLength, records);
    return records;
}

std::vector<Bytes> Ef1002Records(const CardContent& content) {
    std::vector<Bytes> records;
    AppendAccountRecords(content.ef1002, kEf1002AccountLength, records);
    return records;
}

Bytes SerialData(const CardContent& content) {
    Bytes data = content.serialData;
    data.resize(kSerialDataLength, 0x00);
    return data;
}

Bytes ApplicationFci() {
    Bytes fci = {0x6F, static_cast<std::uint8_t>(kFinancialAid.size() + 2), 0x84,
                 static_cast<std::uint8_t>(kFinancialAid.size())};
    fci.insert(fci.end(), kFinancialAid.begin(), kFinancialAid.end());
    return fci;
}

Bytes FileFci(std::uint16_t fileId, FileStructure structure) {
    return {0x62,
            0x0B,
            0x82,
            0x02,
            static_cast<std::uint8_t>(structure),
            0x21,
            0x83,
            0x02,
            static_cast<std::uint8_t>(fileId >> 8),
            static_cast<std::uint8_t>(fileId & 0xFF),
            0x8A,
            0x01,
            0x05};
}

}  // namespace kestrova::sim
