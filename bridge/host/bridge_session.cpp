#include "bridge/host/bridge_session.h"

#include <chrono>
#include <optional>
#include <string>
#include <variant>

#include "bridge/host/closable_user_interface.h"
#include "bridge/host/host_status.h"
#include "bridge/host/input_pump.h"
#include "bridge/host/reply.h"
#include "bridge/host/request.h"
#include "bridge/host/session_log.h"
#include "control/dispatch.h"
#include "control/hosting_page_check.h"
#include "control/kestrova_ctrl.h"
#include "control/method_table.h"
#include "host/page_site.h"
#include "platform/secure_wipe.h"

namespace kestrova::bridge {
namespace {

std::string TooLargeReply() {
    return ErrorReply(std::nullopt, kInvalidRequestCode,
                      "a message may hold at most 1048576 bytes");
}

// The dispatch layer checks the name and the count; an argument that no
// automation value can hold is reported only after those.
InvokeResult Call(CKestrovaCtrl& control, const Request& request) {
    const MethodInfo* method = FindMethod(request.method);
    if (method != nullptr && request.argumentError &&
        request.arguments.size() == method->parameterCount) {
        return *request.argumentError;
    }
    return InvokeMethod(control, request.method, request.arguments);
}

// What the connection knows of its page.
struct Page {
    bool allowed = false;  // an https page of an allowed host
};

std::string AnswerStatus(const Request& request, const Page& page, SessionLog& log) {
    if (!page.allowed) {
        return ErrorReply(request.id, kPageNotAllowedCode,
                          "the status answers only the allowed bank pages");
    }
    std::string reply = StatusReply(request.id);
    log.Status(reply);
    return reply;
}

std::string Answer(CKestrovaCtrl& control, const Page& page, SessionLog& log, std::string& body) {
    auto parsed = ParseRequest(body);
    platform::WipeBuffer(body);
    if (const auto* refusal = std::get_if<ProtocolError>(&parsed)) {
        return ErrorReply(refusal->id, refusal->code, refusal->message);
    }
    const Request& request = std::get<Request>(parsed);
    if (request.statusQuery) {
        return AnswerStatus(request, page, log);
    }
    const auto started = std::chrono::steady_clock::now();
    const InvokeResult outcome = Call(control, request);
    const auto took = std::chrono::steady_clock::now() - started;
    if (!outcome.Succeeded()) {
        const std::int32_t code =
            ScriptErrorNumber(static_cast<std::uint32_t>(outcome.Error().code));
        log.Refused(request.method, code, took);
        return ErrorReply(request.id, code, outcome.Error().message);
    }
    log.Call(request.method, outcome.Value(), took);
    std::string reply = ResultReply(request.id, outcome.Value());
    if (reply.size() > kMaxFrameBytes) {
        return ErrorReply(request.id, kInternalErrorCode, "the result is larger than 1 MiB");
    }
    return reply;
}

// The origin is the page's address for the whole connection. Nothing when
// the connection is open, else how the session ends.
std::optional<int> OpenConnection(InputPump& input, int outputFd, host::PageSite& page, Page& known,
                                  SessionLog& log) {
    InputItem first = input.Next();
    if (first.status == FrameStatus::kEnd) {
        return kSessionClosed;
    }
    if (first.status == FrameStatus::kTooLarge) {
        WriteFrame(outputFd, TooLargeReply());
        return kSessionRefused;
    }
    const auto hello = ParseHello(first.body);
    if (const auto* refusal = std::get_if<ProtocolError>(&hello)) {
        WriteFrame(outputFd, ErrorReply(std::nullopt, refusal->code, refusal->message));
        return kSessionRefused;
    }
    const std::string address = std::get<std::string>(hello) + "/";
    log.Origin(std::get<std::string>(hello));
    known.allowed = IsAllowedPageAddress(address, kConfiguredAllowedHosts);
    if (!page.Serve(address) || !WriteFrame(outputFd, ReadyReply())) {
        return kSessionRefused;
    }
    return std::nullopt;
}

int ServeCalls(InputPump& input, int outputFd, CKestrovaCtrl& control, const Page& page,
               SessionLog& log) {
    for (;;) {
        InputItem item = input.Next();
        if (item.status == FrameStatus::kEnd) {
            return kSessionClosed;
        }
        if (item.status == FrameStatus::kTooLarge) {
            WriteFrame(outputFd, TooLargeReply());
            return kSessionRefused;
        }
        if (!WriteFrame(outputFd, Answer(control, page, log, item.body))) {
            return kSessionRefused;
        }
    }
}

}  // namespace

int RunBridgeSession(int inputFd, int outputFd, platform::UserInterface& view, SessionLog* log) {
    SessionLog none(nullptr, {});
    SessionLog& record = log != nullptr ? *log : none;
    // A box already up when the page goes is dismissed at once; the watch
    // of a confirmation window and the closed interface see to the rest.
    InputPump input(inputFd, [&view] { view.DismissFromAnotherThread(); });
    ClosableUserInterface userInterface(view, input.EndSeen());
    // Its card service disconnects the cards when it goes.
    CKestrovaCtrl control;
    host::PageSite page(control, &userInterface);
    Page known;
    if (const std::optional<int> ended = OpenConnection(input, outputFd, page, known, record)) {
        return *ended;
    }
    return ServeCalls(input, outputFd, control, known, record);
}

}  // namespace kestrova::bridge
