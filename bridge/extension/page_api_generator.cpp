// Writes the page API script from its template, with the method names taken
// from the control's method table, so that the page sees exactly the methods
// the host can call.
//
//   kestrova_page_api_generator TEMPLATE OUTPUT

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "control/method_table.h"
#include "reader/result_codes.h"

namespace {

constexpr std::string_view kPlaceholder = "@KESTROVA_METHOD_NAMES@";
constexpr std::string_view kCodesPlaceholder = "@KESTROVA_RESULT_CODES@";

std::string ResultCodesObject() {
    std::string codes = "{";
#define KESTROVA_PAGE_CODE(constant, name, value, meaning, methods) \
    codes += std::string(codes.size() > 1 ? ", " : "") + #name ": " + std::to_string(value);
    KESTROVA_RESULT_CODES(KESTROVA_PAGE_CODE)
#undef KESTROVA_PAGE_CODE
    return codes + "}";
}

std::string MethodNamesArray() {
    std::string names = "[";
    for (const kestrova::MethodInfo& method : kestrova::MethodTable()) {
        if (names.size() > 1) {
            names += ", ";
        }
        // Method names are plain identifiers: nothing to escape.
        names += '"';
        names += method.name;
        names += '"';
    }
    return names + "]";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: kestrova_page_api_generator TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string script = text.str();
    const std::size_t at = script.find(kPlaceholder);
    const std::size_t codesAt = script.find(kCodesPlaceholder);
    if (!in || at == std::string::npos || codesAt == std::string::npos || codesAt < at) {
        std::cerr << argv[1] << ": cannot read it, or it lacks " << kPlaceholder << " or "
                  << kCodesPlaceholder << "\n";
        return 1;
    }
    script.replace(codesAt, kCodesPlaceholder.size(), ResultCodesObject());
    script.replace(at, kPlaceholder.size(), MethodNamesArray());
    std::ofstream out(argv[2], std::ios::binary);
    out << script;
    return out.good() ? 0 : 1;
}
