#pragma once

// What `kestrova doctor` found: one line per check, with a sentence on how to
// fix it where something is wrong, for people or as JSON for tools.

#include <string>
#include <string_view>
#include <vector>

namespace kestrova::host {

enum class CheckOutcome { kPass, kWarning, kProblem };

struct CheckLine {
    std::string check;  // a stable name for tools: "pcsc-service", "chromium-host", ...
    std::string title;  // what was checked, for people
    CheckOutcome outcome = CheckOutcome::kPass;
    std::string result;
    std::string fix;  // empty when it passed
};

struct DoctorReport {
    std::string version;
    int protocol = 0;
    std::vector<CheckLine> lines;

    void Pass(std::string_view check, std::string_view title, std::string result);
    void Warn(std::string_view check, std::string_view title, std::string result, std::string fix);
    void Fail(std::string_view check, std::string_view title, std::string result, std::string fix);
    // Nothing to fix: every line passed.
    bool AllPassed() const;
};

// One line per check ("[ ok ]", "[warn]", "[FAIL]"), each fix on the line after
// its check, and a closing line.
std::string ReportText(const DoctorReport& report);

// {"version", "protocol", "ok", "checks": [{"check", "title", "outcome", "result", "fix"}]}
std::string ReportJson(const DoctorReport& report);

}  // namespace kestrova::host
