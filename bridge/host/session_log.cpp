#include "bridge/host/session_log.h"

#include <cstdio>
#include <ctime>
#include <ostream>

#include "control/method_table.h"

namespace kestrova::bridge {
namespace {

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    gmtime_s(&parts, &now);
#else
    gmtime_r(&now, &parts);
#endif
    char text[32];
    static_cast<void>(std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts));
    return text;
}

std::string Milliseconds(std::chrono::steady_clock::duration took) {
    char text[32];
    static_cast<void>(std::snprintf(text, sizeof text, "%.1f ms",
                                    std::chrono::duration<double, std::milli>(took).count()));
    return text;
}

}  // namespace

std::string LoggedMethodName(std::string_view method) {
    const MethodInfo* known = FindMethod(method);
    return known != nullptr ? std::string(known->name) : std::string("(an unknown method)");
}

SessionLog::SessionLog(std::ostream* out, std::string tag) : out_(out), tag_(std::move(tag)) {}

void SessionLog::Line(const std::string& text) {
    if (out_ != nullptr) {
        *out_ << UtcNow() << " [" << tag_ << "] " << text << '\n' << std::flush;
    }
}

void SessionLog::Started(std::string_view version) {
    Line("start: kestrova-host " + std::string(version));
}

void SessionLog::Origin(std::string_view origin) {
    Line("origin: " + std::string(origin));
}

void SessionLog::Call(std::string_view method, const AutomationValue& result,
                      std::chrono::steady_clock::duration took) {
    std::string outcome;
    if (result.IsLong()) {
        outcome = std::to_string(result.AsLong());
    } else {
        outcome = result.AsBstr().IsNull() ? "null" : "text";
    }
    Line("call: " + LoggedMethodName(method) + " -> " + outcome + " in " + Milliseconds(took));
}

void SessionLog::Refused(std::string_view method, std::int32_t code,
                         std::chrono::steady_clock::duration took) {
    Line("call: " + LoggedMethodName(method) + " -> error " + std::to_string(code) + " in " +
         Milliseconds(took));
}

void SessionLog::Status(std::string_view reply) {
    Line("status: " + std::string(reply));
}

void SessionLog::Ended(int status) {
    Line("end: exit status " + std::to_string(status));
}

}  // namespace kestrova::bridge
