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
#include "control/unicode_text.h"
#include "host/page_site.h"
#include "platform/hosting_page.h"
#include "platform/secure_wipe.h"

namespace kestrova::bridge {
namespace {

std::string TooLargeReply() {
    return ErrorReply(std::nullopt, kInvalidRequestCode,
                      "a message may hold at most 1048576 bytes");
}

// Appended piece by piece: GCC 12 for i686 sees a false overlap (-Wrestrict)
// in a literal added to a temporary string here.
std::string BusyReply(std::optional<std::int64_t> id) {
    std::string message = "refused: ";
    message.append(std::to_string(kMaxPendingCalls)).append(" calls or ");
    message.append(std::to_string(kMaxPendingBytes)).append(" bytes already wait for an answer");
    return ErrorReply(id, kBusyCode, message);
}

std::string FloodedReply() {
    std::string message = "more than ";
    message.append(std::to_string(kMaxPendingRefusals))
        .append(" refused calls waited for an answer: the session ends");
    return ErrorReply(std::nullopt, kBusyCode, message);
}

// The same decision the control makes for its guarded methods, on the page
// the session would serve.
bool IsAllowedOrigin(const std::string& pageAddress) {
    const std::optional<std::u16string> displayName = Utf8ToUtf16(pageAddress);
    if (!displayName) {
        return false;
    }
    const platform::StatedHostingPage page(*displayName);
    AllowedHostPair hosts{};
    return IsHostingPageAllowed(&page, hosts);
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

// Only an allowed page has a session, so the status is its own.
std::string AnswerStatus(const Request& request, SessionLog& log) {
    std::string reply = StatusReply(request.id);
    log.Status(reply);
    return reply;
}

std::string Answer(CKestrovaCtrl& control, SessionLog& log, std::string& body) {
    auto parsed = ParseRequest(body);
    platform::WipeBuffer(body);
    if (const auto* refusal = std::get_if<ProtocolError>(&parsed)) {
        return ErrorReply(refusal->id, refusal->code, refusal->message);
    }
    const Request& request = std::get<Request>(parsed);
    if (request.statusQuery) {
        return AnswerStatus(request, log);
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
std::optional<int> OpenConnection(InputPump& input, int outputFd, host::PageSite& page,
                                  SessionLog& log) {
    InputItem first = input.Next();
    switch (first.kind) {
        case InputKind::kEnd:
            return kSessionClosed;
        case InputKind::kTooLarge:
            WriteFrame(outputFd, TooLargeReply());
            return kSessionRefused;
        case InputKind::kMessage:
            break;
        case InputKind::kRefused:
        case InputKind::kFlooded:
            // The first message is always taken; kept for completeness.
            WriteFrame(outputFd, FloodedReply());
            return kSessionRefused;
    }
    const auto hello = ParseHello(first.body);
    platform::WipeBuffer(first.body);
    if (const auto* refusal = std::get_if<ProtocolError>(&hello)) {
        WriteFrame(outputFd, ErrorReply(std::nullopt, refusal->code, refusal->message));
        return kSessionRefused;
    }
    // Whatever the extension let through, a page the control would refuse
    // gets no session: no call is read, no reader is touched.
    const std::string pageAddress = std::get<std::string>(hello) + "/";
    log.Origin(std::get<std::string>(hello));
    if (!IsAllowedOrigin(pageAddress)) {
        WriteFrame(outputFd, ErrorReply(std::nullopt, kRefusedPageCode,
                                        "the origin is not an https site of the bank: no "
                                        "session"));
        return kSessionRefused;
    }
    if (!page.Serve(pageAddress) || !WriteFrame(outputFd, ReadyReply())) {
        return kSessionRefused;
    }
    return std::nullopt;
}

int ServeCalls(InputPump& input, int outputFd, CKestrovaCtrl& control, SessionLog& log) {
    for (;;) {
        InputItem item = input.Next();
        std::string reply;
        switch (item.kind) {
            case InputKind::kEnd:
                return kSessionClosed;
            case InputKind::kTooLarge:
                WriteFrame(outputFd, TooLargeReply());
                return kSessionRefused;
            case InputKind::kFlooded:
                WriteFrame(outputFd, FloodedReply());
                return kSessionRefused;
            case InputKind::kRefused:
                reply = BusyReply(item.id);
                break;
            case InputKind::kMessage:
                reply = Answer(control, log, item.body);
                break;
        }
        if (!WriteFrame(outputFd, reply)) {
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
    if (const std::optional<int> ended = OpenConnection(input, outputFd, page, record)) {
        return *ended;
    }
    return ServeCalls(input, outputFd, control, record);
}

}  // namespace kestrova::bridge
