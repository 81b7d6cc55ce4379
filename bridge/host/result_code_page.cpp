// Writes docs/result-codes.md, the page of the result codes, from their one
// table (reader/result_codes.h).
//
//     kestrova_result_code_page OUTPUT

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "reader/result_codes.h"

namespace {

std::string Hex(std::int32_t value) {
    char text[16];
    static_cast<void>(std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value)));
    return value <= 0 ? std::to_string(value) : text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kestrova_result_code_page OUTPUT\n";
        return 2;
    }
    std::string page =
        "# Result codes\n\n"
        "<!-- Generated from reader/result_codes.h by kestrova_result_code_page; "
        "the test docs.result_codes keeps it current. -->\n\n"
        "Every method returns one 32-bit signed code: 0 for success (and the card's 90 00),\n"
        "a card status word 0x6001..0xFFFF passed through (63CX: a wrong PIN, X tries left),\n"
        "a PC/SC service code (negative) passed through, or one of the codes below. A page\n"
        "names them `kestrova.codes.Name`.\n\n"
        "**One value can mean different things for different methods**: 0x1001 (4097) is\n"
        "`NotDigit` from VerifyPIN, `RecordNumberOutOfRange` from FiscReadRecord,\n"
        "`BadAttributeIndex` from GetReaderStatus and `NumberOutOfRange` from DES. Read a\n"
        "code together with the method that returned it.\n\n"
        "| name | value | decimal | meaning | returned by |\n"
        "|---|---|---|---|---|\n";
#define KESTROVA_CODE_ROW(constant, name, value, meaning, methods)                                 \
    page += std::string("| <a id=\"") + #name + "\"></a>`" + #name + "` | " + Hex(value) + " | " + \
            std::to_string(value) + " | " + (meaning) + " | " + (methods) + " |\n";
    KESTROVA_RESULT_CODES(KESTROVA_CODE_ROW)
#undef KESTROVA_CODE_ROW
    page += "\nThe groups of methods named above:\n\n";
#define KESTROVA_GROUP_LINE(group, methods) \
    page += std::string("- ") + (group) + ": " + (methods) + "\n";
    KESTROVA_METHOD_GROUPS(KESTROVA_GROUP_LINE)
#undef KESTROVA_GROUP_LINE
    page += "\nWhich codes each method returns: [reference.md](reference.md).\n";
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << page;
    return out.good() ? 0 : 1;
}
