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

namespace {

constexpr std::string_view kPlaceholder = "@KESTROVA_METHOD_NAMES@";

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
    if (!in || at == std::string::npos) {
        std::cerr << argv[1] << ": cannot read it, or it lacks " << kPlaceholder << "\n";
        return 1;
    }
    script.replace(at, kPlaceholder.size(), MethodNamesArray());
    std::ofstream out(argv[2], std::ios::binary);
    out << script;
    return out.good() ? 0 : 1;
}
