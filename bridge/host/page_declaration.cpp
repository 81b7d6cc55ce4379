// Writes kestrova.d.ts, the TypeScript declaration of what a page gets as
// window.kestrova through the bridge, from the control's method table: one
// method per method of the control, each returning a Promise of its result.
//
//     kestrova_page_declaration OUTPUT

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "control/method_codes.h"
#include "control/method_info.h"
#include "control/method_table.h"
#include "reader/result_codes.h"

namespace {

using namespace kestrova;

constexpr char kHeader[] =
    R"(// The Kestrova control as a bank's page sees it through the browser bridge.
// Generated from the control's method table when Kestrova is built.

/** Why a call was not carried out. A method's own failures are not errors:
 *  they are its result codes. */
export interface KestrovaError extends Error {
  readonly name: "KestrovaError";
  /** An automation error's number as scripts saw it (-2147352570 for an
   *  unknown method, -2147352562 for a wrong argument count, -2147352571 for
   *  a type mismatch, -2147352566 for an overflow), a bridge error (-32700,
   *  -32600, -32603; -32001 a page that is not the bank's, -32002 a call
   *  refused because too many wait), or why the bridge cannot serve the
   *  page. */
  readonly code: number | "NotInstalled" | "Closed" | "Refused" | "HostVersion";
}

/** The control's methods: `long` results are numbers, `BSTR` results are
 *  strings or null (a null BSTR). A `long` parameter takes a whole number
 *  from -2^31 to 2^31-1, a `BSTR` parameter a string or null. A method marked
 *  "allowed pages only" serves only https pages of the bank's allowed hosts
 *  (the bridge serves no other page at all); the others never reach a
 *  reader. */
export interface KestrovaControl {
)";

constexpr char kFooter[] = R"(}

/** A method returns one of these, a card's status word (0x6001..0xFFFF) or
 *  a PC/SC service code (negative). */
export interface KestrovaCodes {
@CODES@}

/** The host's product version and its wire protocol's version; as text, the
 *  product version. */
export interface KestrovaVersions {
  readonly version: string;
  readonly protocol: number;
  toString(): string;
}

/** What Kestrova sees without a card command: whether the PC/SC service
 *  runs ("stopped": installed but not running; "missing": not installed;
 *  "failing": it answers with another error), how many readers it lists and
 *  how many of them hold a card, and the host's versions. */
export interface KestrovaStatus {
  readonly service: "running" | "stopped" | "missing" | "failing";
  readonly readers: number;
  readonly cards: number;
  readonly version: string;
  readonly protocol: number;
}

export interface KestrovaBridge extends KestrovaControl {
  /** Resolves with the host's versions once it is ready for calls; rejects
   *  with code "NotInstalled" when Kestrova is not installed and
   *  "HostVersion" when the host speaks a protocol the extension does not. */
  ready(): Promise<KestrovaVersions>;
  /** The service and its readers and cards, from the host, for a sentence
   *  that tells the person what is wrong before a card is asked for. Starts
   *  the host if need be; rejects as ready() does. */
  status(): Promise<KestrovaStatus>;
  /** Any method by name, for names the page learns at run time. */
  call(method: string, ...args: Array<number | string | null>): Promise<number | string | null>;
  readonly KestrovaError: new (code: KestrovaError["code"], message: string) => KestrovaError;
  /** The result codes by name, as in `if (rc === kestrova.codes.PinBlocked)`.
   *  One value can mean different things for different methods: read a code
   *  with the method that returned it (docs/result-codes.md). */
  readonly codes: KestrovaCodes;
}

declare global {
  interface Window {
    /** Present only on the pages the bridge serves; the "kestrova-available"
     *  event on window says when it has appeared. */
    readonly kestrova?: KestrovaBridge;
  }
  interface WindowEventMap {
    /** window.kestrova has appeared. It never comes where the extension is
     *  missing or the site is not one of the bank's: wait with a time-out. */
    "kestrova-available": Event;
  }
}
)";

// Parameters and results alike.
std::string TypeScriptType(AutomationType type) {
    return type == AutomationType::Long ? "number" : "string | null";
}

// The page-access column, for the reader of the declaration.
std::string PageAccessNote(const MethodInfo& method) {
    switch (method.pageAccess) {
        case PageAccess::AllowedPage:
            return "Allowed pages only: elsewhere -1" +
                   std::string(method.returnType == AutomationType::Bstr
                                   ? " (null, with -1 for GetLastError)"
                                   : "") +
                   ", and no reader is touched.";
        case PageAccess::AllowedPageWarned:
            return "Allowed pages only: elsewhere the warning box, then -1; no reader is touched.";
        case PageAccess::Open:
            break;
    }
    return {};
}

std::string ReturnsNote(const MethodInfo& method) {
    const std::vector<ResultCodeInfo> codes = ResultCodesOf(method);
    if (codes.empty()) {
        return {};
    }
    std::string note = method.returnType == AutomationType::Bstr
                           ? "the text; null on failure, with the code for GetLastError:"
                           : "a result code (kestrova.codes):";
    for (const ResultCodeInfo& code : codes) {
        note += std::string(&code == codes.data() ? " " : ", ") + std::string(code.name);
    }
    return note;
}

// An editor shows the comment with the method.
std::string Comment(const MethodInfo& method) {
    std::string comment = "  /** " + std::string(method.description) + "\n";
    if (const std::string access = PageAccessNote(method); !access.empty()) {
        comment += "   *  " + access + "\n";
    }
    for (const ParameterInfo& parameter : method.Parameters()) {
        comment += "   *  @param " + std::string(parameter.name) + " " +
                   std::string(parameter.meaning) + "\n";
    }
    if (const std::string returns = ReturnsNote(method); !returns.empty()) {
        comment += "   *  @returns " + returns + "\n";
    }
    return comment + "   */\n";
}

std::string Declaration(const MethodInfo& method) {
    std::string line = Comment(method) + "  " + std::string(method.name) + "(";
    bool first = true;
    for (const ParameterInfo& parameter : method.Parameters()) {
        line += (first ? "" : ", ") + std::string(parameter.name) + ": " +
                TypeScriptType(parameter.type);
        first = false;
    }
    return line + "): Promise<" + TypeScriptType(method.returnType) + ">;\n";
}

}  // namespace

int main(int argc, char** argv) {
    constexpr char kUsage[] = "usage: kestrova_page_declaration OUTPUT\n";
    const std::string_view output = argc == 2 ? argv[1] : "";
    if (output == "--help" || output == "-h") {
        std::cout << kUsage << "Writes the page API's TypeScript declaration to OUTPUT.\n";
        return 0;
    }
    // An option is never taken for the file to write ("./-x" names one).
    if (argc != 2 || output.empty() || output.starts_with('-')) {
        std::cerr << kUsage;
        return 2;
    }
    std::string text = kHeader;
    for (const MethodInfo& method : MethodTable()) {
        text += Declaration(method);
    }
    std::string codes;
#define KESTROVA_DECLARED_CODE(constant, name, value, meaning, methods)          \
    codes += std::string("  /** ") + (meaning) + ". Returned by: " + (methods) + \
             ". */\n  readonly " + #name + ": " + std::to_string(value) + ";\n";
    KESTROVA_RESULT_CODES(KESTROVA_DECLARED_CODE)
#undef KESTROVA_DECLARED_CODE
    std::string footer = kFooter;
    footer.replace(footer.find("@CODES@"), 7, codes);
    text += footer;
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "kestrova_page_declaration: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
