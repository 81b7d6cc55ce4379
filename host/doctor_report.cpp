#include "host/doctor_report.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace kestrova::host {
namespace {

std::string_view OutcomeWord(CheckOutcome outcome) {
    switch (outcome) {
        case CheckOutcome::kPass:
            return "ok";
        case CheckOutcome::kWarning:
            return "warning";
        case CheckOutcome::kProblem:
            return "problem";
    }
    return "problem";
}

std::string_view OutcomeMark(CheckOutcome outcome) {
    switch (outcome) {
        case CheckOutcome::kPass:
            return "[ ok ]";
        case CheckOutcome::kWarning:
            return "[warn]";
        case CheckOutcome::kProblem:
            return "[FAIL]";
    }
    return "[FAIL]";
}

CheckLine Line(std::string_view check, std::string_view title, CheckOutcome outcome,
               std::string result, std::string fix) {
    return CheckLine{std::string(check), std::string(title), outcome, std::move(result),
                     std::move(fix)};
}

}  // namespace

void DoctorReport::Pass(std::string_view check, std::string_view title, std::string result) {
    lines.push_back(Line(check, title, CheckOutcome::kPass, std::move(result), {}));
}

void DoctorReport::Warn(std::string_view check, std::string_view title, std::string result,
                        std::string fix) {
    lines.push_back(Line(check, title, CheckOutcome::kWarning, std::move(result), std::move(fix)));
}

void DoctorReport::Fail(std::string_view check, std::string_view title, std::string result,
                        std::string fix) {
    lines.push_back(Line(check, title, CheckOutcome::kProblem, std::move(result), std::move(fix)));
}

bool DoctorReport::AllPassed() const {
    return std::ranges::all_of(
        lines, [](const CheckLine& line) { return line.outcome == CheckOutcome::kPass; });
}

std::string ReportText(const DoctorReport& report) {
    std::string text = "Kestrova " + report.version + ", bridge protocol " +
                       std::to_string(report.protocol) + "\n";
    std::size_t wrong = 0;
    for (const CheckLine& line : report.lines) {
        text +=
            std::string(OutcomeMark(line.outcome)) + " " + line.title + ": " + line.result + "\n";
        if (line.outcome != CheckOutcome::kPass) {
            ++wrong;
            text += "       fix: " + line.fix + "\n";
        }
    }
    text += wrong == 0 ? "Nothing to fix.\n"
                       : std::to_string(wrong) + (wrong == 1 ? " thing" : " things") + " to fix.\n";
    return text;
}

std::string ReportJson(const DoctorReport& report) {
    nlohmann::ordered_json checks = nlohmann::ordered_json::array();
    for (const CheckLine& line : report.lines) {
        checks.push_back({{"check", line.check},
                          {"title", line.title},
                          {"outcome", OutcomeWord(line.outcome)},
                          {"result", line.result},
                          {"fix", line.fix}});
    }
    const nlohmann::ordered_json document = {{"version", report.version},
                                             {"protocol", report.protocol},
                                             {"ok", report.AllPassed()},
                                             {"checks", checks}};
    // Reader names and file paths the system gave may hold bytes that are
    // not UTF-8; they are replaced rather than refused.
    return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace kestrova::host
