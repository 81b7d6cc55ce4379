#include "host/call_runner.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "control/dispatch.h"
#include "control/method_codes.h"
#include "control/method_table.h"
#include "host/call_syntax.h"
#include "host/command_line.h"
#include "host/directive_syntax.h"
#include "host/value_format.h"

namespace kestrova::host {
namespace {

constexpr std::string_view kPrompt = "kestrova> ";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string ErrorCodeText(AutomationErrorCode code) {
    const auto value = static_cast<std::uint32_t>(code);
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) {
        text.push_back("0123456789ABCDEF"[(value >> shift) & 0xF]);
    }
    return text;
}

// Handles the shell's own words; true when the line was one of them.
bool ShellWord(std::string_view line, std::ostream& out, bool& quit) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
        line.remove_prefix(1);
    }
    if (line == "quit" || line == "exit") {
        quit = true;
        return true;
    }
    if (line == "help" || line == "?") {
        PrintMethods(out);
        return true;
    }
    return false;
}

// True when the directive was carried out; else the failure is on err.
bool RunDirectiveLine(std::string_view line, const std::string& where, const RunSettings& settings,
                      ScriptDirectives* directives, std::ostream& out, std::ostream& err) {
    const auto fail = [&](const std::string& message) {
        err << where << " " << DirectiveText(line) << ": " << message << '\n';
        return false;
    };
    if (directives == nullptr) {
        return fail("directives are not available here");
    }
    const ParsedDirective parsed = ParseDirectiveLine(line);
    if (const auto* syntaxError = std::get_if<DirectiveSyntaxError>(&parsed)) {
        return fail(syntaxError->message);
    }
    const DirectiveResult result = directives->Run(std::get<Directive>(parsed), where);
    if (!result.done) {
        return fail(result.text);
    }
    if (!settings.json) {
        out << result.text << '\n';
    }
    return true;
}

struct FinishOnReturn {
    explicit FinishOnReturn(ScriptDirectives* finishing) : directives(finishing) {}
    FinishOnReturn(const FinishOnReturn&) = delete;
    FinishOnReturn& operator=(const FinishOnReturn&) = delete;
    ~FinishOnReturn() {
        if (directives != nullptr) {
            directives->Finish();
        }
    }
    ScriptDirectives* directives;
};

// Prints what scheduled card moves reported; true when there was anything.
bool ReportScheduledFailures(ScriptDirectives* directives, std::ostream& err) {
    if (directives == nullptr) {
        return false;
    }
    const std::vector<std::string> failures = directives->TakeScheduledFailures();
    for (const std::string& failure : failures) {
        err << failure << '\n';
    }
    return !failures.empty();
}

// What a method does, its parameters' meanings and its codes, indented under
// its signature, and a blank line.
void PrintDescription(const MethodInfo& method, std::ostream& out) {
    out << WrapText("  ", method.description);
    std::size_t width = 0;
    for (const ParameterInfo& parameter : method.Parameters()) {
        width = std::max(width, parameter.name.size());
    }
    for (const ParameterInfo& parameter : method.Parameters()) {
        std::string name(parameter.name);
        name.resize(width + 2, ' ');
        out << WrapText("  " + name, parameter.meaning);
    }
    const std::vector<ResultCodeInfo> codes = ResultCodesOf(method);
    std::string names;
    for (const ResultCodeInfo& code : codes) {
        names += (names.empty() ? "" : ", ") + std::string(code.name);
    }
    if (!codes.empty()) {
        out << WrapText(
            method.returnType == AutomationType::Bstr ? "  codes for GetLastError: " : "  codes: ",
            names);
    }
    out << '\n';
}

}  // namespace

void PrintMethods(std::ostream& out, bool withDescriptions) {
    for (const MethodInfo& method : MethodTable()) {
        out << FormatSignature(method) << (method.NeedsAllowedPage() ? "  [allowed pages]" : "")
            << '\n';
        if (withDescriptions) {
            PrintDescription(method, out);
        }
    }
}

int RunCalls(CKestrovaCtrl& control, std::istream& in, std::ostream& out, std::ostream& err,
             const RunSettings& settings, ScriptDirectives* directives) {
    // However the run ends, no scheduled move outlives it.
    const FinishOnReturn finishOnReturn{directives};
    std::string line;
    std::size_t lineNumber = 0;
    while (true) {
        if (ReportScheduledFailures(directives, err) && !settings.interactive) {
            return kExitFailure;
        }
        if (settings.interactive) {
            out << kPrompt << std::flush;
        }
        if (!std::getline(in, line)) {
            break;
        }
        ++lineNumber;
        if (lineNumber == 1 && line.starts_with(kUtf8ByteOrderMark)) {
            line.erase(0, kUtf8ByteOrderMark.size());
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string where = settings.sourceName + ":" + std::to_string(lineNumber) + ":";
        if (settings.interactive) {
            bool quit = false;
            if (ShellWord(line, out, quit)) {
                if (quit) {
                    break;
                }
                continue;
            }
        }

        if (IsDirectiveLine(line)) {
            if (!RunDirectiveLine(line, where, settings, directives, out, err) &&
                !settings.interactive) {
                return kExitFailure;
            }
            continue;
        }

        const ParsedLine parsed = ParseCallLine(line);
        if (std::holds_alternative<NoCall>(parsed)) {
            continue;
        }
        if (const auto* syntaxError = std::get_if<SyntaxError>(&parsed)) {
            err << where << syntaxError->column << ": syntax error: " << syntaxError->message
                << '\n';
            if (settings.interactive) {
                continue;
            }
            return kExitFailure;
        }

        const ParsedCall& call = std::get<ParsedCall>(parsed);
        const MethodInfo* method = FindMethod(call.methodName);
        // An unknown name is left to the dispatch, which reports it.
        const InvokeResult result = method != nullptr
                                        ? InvokeMethod(control, *method, call.arguments)
                                        : InvokeMethod(control, call.methodName, call.arguments);
        if (!result.Succeeded()) {
            err << where << " automation error " << ErrorCodeText(result.Error().code) << ": "
                << result.Error().message << '\n';
            if (settings.interactive) {
                continue;
            }
            return kExitFailure;
        }
        // Printed under the name the table stores, whatever case the line used.
        const std::string_view name = method != nullptr ? method->name : call.methodName;
        out << (settings.json ? FormatCallJson(name, call.arguments, result.Value())
                              : FormatCall(name, call.arguments, result.Value()))
            << '\n';
        if (settings.flushEachResult) {
            out.flush();
        }
    }
    if (settings.interactive) {
        out << '\n';
    }
    if (directives != nullptr) {
        directives->Finish();
    }
    if (ReportScheduledFailures(directives, err) && !settings.interactive) {
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace kestrova::host
