#pragma once

// The transfer the page tests make: WriteRecordWithSNUMTACProc on file 1003
// with an 80-character record of code 252, which asks for the confirmation
// window, and the default profile's PIN; as a page's arguments, or as a line
// of a page's calls for `kestrova run`.

#include <nlohmann/json.hpp>
#include <string>

namespace kestrova::test_support {

inline const std::string kTransferRecord = std::string("2520") + "00000000123456" +
                                           std::string(30, ' ') + "0040987654321098" +
                                           "KESTROVA BANK   ";

inline nlohmann::json TransferArguments(const std::string& reader, const std::string& message) {
    return nlohmann::json::array(
        {reader, "", "1003", kTransferRecord.size(), kTransferRecord, "123456", message});
}

inline std::string TransferCallLine(const std::string& reader, const std::string& message) {
    return "WriteRecordWithSNUMTACProc(\"" + reader + "\", \"\", \"1003\", " +
           std::to_string(kTransferRecord.size()) + ", \"" + kTransferRecord +
           "\", \"123456\", \"" + message + "\")";
}

}  // namespace kestrova::test_support
