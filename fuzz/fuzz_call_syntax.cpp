// Lines of a call file come from whoever writes them. The parser must take any
// bytes without reading past the line, and whatever it reads as arguments
// must print back (host/value_format.h) to text that it reads the same way.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/call_syntax.h"
#include "host/value_format.h"

namespace {

using namespace kestrova;
using namespace kestrova::host;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const ParsedLine parsed = ParseCallLine(line);
    if (const auto* error = std::get_if<SyntaxError>(&parsed)) {
        Require(error->column >= 1 && error->column <= line.size() + 1);
        Require(!error->message.empty());
        return 0;
    }
    if (const auto* call = std::get_if<ParsedCall>(&parsed)) {
        std::string printed = call->methodName + "(";
        for (std::size_t i = 0; i < call->arguments.size(); ++i) {
            printed += (i == 0 ? "" : ", ") + FormatValue(call->arguments[i]);
        }
        printed += ")";
        const ParsedLine reparsed = ParseCallLine(printed);
        const auto* again = std::get_if<ParsedCall>(&reparsed);
        Require(again != nullptr);
        Require(again->methodName == call->methodName);
        Require(again->arguments == call->arguments);
    }
    return 0;
}
