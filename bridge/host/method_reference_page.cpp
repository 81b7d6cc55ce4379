// Writes docs/reference.md, the page developer's reference of the control's
// methods, from the method table and the result-code registry.
//
//     kestrova_method_reference_page OUTPUT

#include <fstream>
#include <iostream>
#include <string>

#include "control/automation_value.h"
#include "control/method_codes.h"
#include "control/method_info.h"
#include "control/method_table.h"

namespace {

using namespace kestrova;

std::string TypeText(AutomationType type) {
    return std::string(TypeName(type));
}

std::string Signature(const MethodInfo& method) {
    std::string signature = TypeText(method.returnType) + " " + std::string(method.name) + "(";
    for (const ParameterInfo& parameter : method.Parameters()) {
        signature += (&parameter == method.Parameters().data() ? "" : ", ") +
                     TypeText(parameter.type) + " " + std::string(parameter.name);
    }
    return signature + ")";
}

std::string PageAccessText(const MethodInfo& method) {
    switch (method.pageAccess) {
        case PageAccess::AllowedPage:
            return "allowed pages only; elsewhere -1 and no reader is touched";
        case PageAccess::AllowedPageWarned:
            return "allowed pages only; elsewhere the warning box, then -1, and no reader is "
                   "touched";
        case PageAccess::Open:
            break;
    }
    return "every page";
}

std::string Section(const MethodInfo& method) {
    std::string text = "## " + std::string(method.name) + "\n\n`" + Signature(method) +
                       "` (DISPID " + std::to_string(method.dispid) + ")\n\n" +
                       std::string(method.description) + "\n\n";
    if (!method.Parameters().empty()) {
        text += "| parameter | type | meaning |\n|---|---|---|\n";
        for (const ParameterInfo& parameter : method.Parameters()) {
            text += "| `" + std::string(parameter.name) + "` | " + TypeText(parameter.type) +
                    " | " + std::string(parameter.meaning) + " |\n";
        }
        text += "\n";
    }
    const std::vector<ResultCodeInfo> codes = ResultCodesOf(method);
    if (!codes.empty()) {
        text += method.returnType == AutomationType::Bstr
                    ? "Codes, for GetLastError when it returns null:"
                    : "Codes:";
        for (const ResultCodeInfo& code : codes) {
            text += std::string(&code == codes.data() ? " " : ", ") + "[`" +
                    std::string(code.name) + "`](result-codes.md#" + std::string(code.name) + ")";
        }
        text += "\n\n";
    }
    return text + "Pages: " + PageAccessText(method) + ".\n\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kestrova_method_reference_page OUTPUT\n";
        return 2;
    }
    std::string page =
        "# Method reference\n\n"
        "<!-- Generated from control/method_table.cpp and reader/result_codes.h by "
        "kestrova_method_reference_page; the test docs.method_reference keeps it current. -->\n\n"
        "The control's 79 methods as a bank's page calls them (`window.kestrova` in the browser,\n"
        "each call a Promise of its result; `kestrova run` without one). A `long` is a whole\n"
        "number, a `BSTR` a string or null. The codes a method returns are listed by their names\n"
        "in `kestrova.codes` and explained in [result-codes.md](result-codes.md); a card's status\n"
        "word (0x6001..0xFFFF) and a PC/SC service code (negative) pass through as they are. A\n"
        "method for allowed pages only serves only https pages of the bank's allowed hosts.\n"
        "`kestrova methods --long` prints the same in the terminal.\n\n";
    for (const MethodInfo& method : MethodTable()) {
        page += Section(method);
    }
    page.pop_back();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << page;
    return out.good() ? 0 : 1;
}
