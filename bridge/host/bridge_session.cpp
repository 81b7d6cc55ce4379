#include "bridge/host/bridge_session.h"

#include <optional>
#include <string>
#include <variant>

#include "bridge/host/closable_user_interface.h"
#include "bridge/host/input_pump.h"
#include "bridge/host/reply.h"
#include "bridge/host/request.h"
#include "control/dispatch.h"
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

std::string Answer(CKestrovaCtrl& control, std::string& body) {
    auto parsed = ParseRequest(body);
    platform::WipeBuffer(body);
    if (const auto* refusal = std::get_if<ProtocolError>(&parsed)) {
        return ErrorReply(refusal->id, refusal->code, refusal->message);
    }
    const Request& request = std::get<Request>(parsed);
    const InvokeResult outcome = Call(control, request);
    if (!outcome.Succeeded()) {
        return ErrorReply(request.id,
                          ScriptErrorNumber(static_cast<std::uint32_t>(outcome.Error().code)),
                          outcome.Error().message);
    }
    std::string reply = ResultReply(request.id, outcome.Value());
    if (reply.size() > kMaxFrameBytes) {
        return ErrorReply(request.id, kInternalErrorCode, "the result is larger than 1 MiB");
    }
    return reply;
}

// The origin is the page's address for the whole connection. Nothing when
// the connection is open, else how the session ends.
std::optional<int> OpenConnection(InputPump& input, int outputFd, host::PageSite& page) {
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
    if (!page.Serve(std::get<std::string>(hello) + "/") || !WriteFrame(outputFd, ReadyReply())) {
        return kSessionRefused;
    }
    return std::nullopt;
}

int ServeCalls(InputPump& input, int outputFd, CKestrovaCtrl& control) {
    for (;;) {
        InputItem item = input.Next();
        if (item.status == FrameStatus::kEnd) {
            return kSessionClosed;
        }
        if (item.status == FrameStatus::kTooLarge) {
            WriteFrame(outputFd, TooLargeReply());
            return kSessionRefused;
        }
        if (!WriteFrame(outputFd, Answer(control, item.body))) {
            return kSessionRefused;
        }
    }
}

}  // namespace

int RunBridgeSession(int inputFd, int outputFd, platform::UserInterface& view) {
    // A box already up when the page goes is dismissed at once; the watch
    // of a confirmation window and the closed interface see to the rest.
    InputPump input(inputFd, [&view] { view.DismissFromAnotherThread(); });
    ClosableUserInterface userInterface(view, input.EndSeen());
    // Its card service disconnects the cards when it goes.
    CKestrovaCtrl control;
    host::PageSite page(control, &userInterface);
    if (const std::optional<int> ended = OpenConnection(input, outputFd, page)) {
        return *ended;
    }
    return ServeCalls(input, outputFd, control);
}

}  // namespace kestrova::bridge
