#pragma once

// The opt-in diagnostics log (`log=PATH` in host.conf): one line for the
// host's start, the page's origin, each call's method name with its result
// code and duration, and the end. It never holds an argument's value nor a
// result's text: only method names the control knows, numbers, and "text"
// or "null" where a method returns a string.

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "control/automation_value.h"

namespace kestrova::bridge {

class SessionLog {
  public:
    // `out` null: nothing is written. `tag` names this host process on each
    // line, since every page's host appends to the same file.
    SessionLog(std::ostream* out, std::string tag);

    void Started(std::string_view version);
    void Origin(std::string_view origin);
    void Call(std::string_view method, const AutomationValue& result,
              std::chrono::steady_clock::duration took);
    void Refused(std::string_view method, std::int32_t code,
                 std::chrono::steady_clock::duration took);
    // The host's status as a page was told it (its reply's JSON).
    void Status(std::string_view reply);
    void Ended(int status);

  private:
    void Line(const std::string& text);

    std::ostream* out_;
    std::string tag_;
};

// The method's name as the control's table spells it; a name the control
// does not know is never written, as a page could put anything there.
std::string LoggedMethodName(std::string_view method);

}  // namespace kestrova::bridge
