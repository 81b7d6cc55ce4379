// What a browser sends kestrova-host comes from a page's script through the
// extension. Two levels: one message through the request parser, whose
// every reply must be JSON that carries the request's id back; and the
// input as a whole stream of frames through a session, which must end (at
// the end of the input) without a crash. The card service is one that cannot
// be bound: card answers have their own fuzz target, and this one stays
// about what the browser sends.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <variant>

#include "bridge/host/bridge_session.h"
#include "bridge/host/frame_io.h"
#include "bridge/host/reply.h"
#include "bridge/host/request.h"
#include "platform/console_user_interface.h"
#include "platform/pause.h"
#include "reader/service_binding.h"

namespace {

using namespace kestrova;
using namespace kestrova::bridge;
using Json = nlohmann::json;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void NoPause(std::uint32_t /*milliseconds*/) {}

void CheckOneMessage(std::string_view body) {
    const auto parsed = ParseRequest(body);
    std::string reply;
    std::optional<std::int64_t> id;
    if (const auto* refusal = std::get_if<ProtocolError>(&parsed)) {
        reply = ErrorReply(refusal->id, refusal->code, refusal->message);
        id = refusal->id;
    } else {
        const Request& request = std::get<Request>(parsed);
        Require(request.id >= 0 && request.id <= kMaxRequestId);
        id = request.id;
        for (const AutomationValue& argument : request.arguments) {
            reply = ResultReply(request.id, argument);
            Require(Json::parse(reply, nullptr, false)["id"] == request.id);
        }
        reply = ErrorReply(request.id, kInvalidRequestCode, request.method);
    }
    Require(reply.size() <= kMaxFrameBytes);
    const Json json = Json::parse(reply, nullptr, false);
    Require(!json.is_discarded());
    Require(id ? json["id"] == *id : json["id"].is_null());
}

// The threads of this process, from the system's own count.
int ThreadCount() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Threads:")) {
            return std::atoi(line.c_str() + 8);
        }
    }
    return -1;
}

// The session's input reader is a detached thread that ends by itself once
// it has read the closed pipe to its end. Until it has ended it still holds
// its last frame, which the fuzzer's leak check would take for a leak.
void WaitForThreadsBack(int before) {
    for (int waited = 0; ThreadCount() > before && waited < 2000; ++waited) {
        usleep(1000);
    }
}

void RunStream(std::string_view bytes) {
    const int threadsBefore = ThreadCount();
    int input[2];
    Require(pipe(input) == 0);
    // An input may be more than a pipe holds: written while the session reads.
    std::thread writer([&bytes, fd = input[1]] {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t count = write(fd, bytes.data() + done, bytes.size() - done);
            if (count <= 0) {
                break;
            }
            done += static_cast<std::size_t>(count);
        }
        close(fd);
    });
    const int output = open("/dev/null", O_WRONLY);
    Require(output >= 0);
    std::ostream nowhere(nullptr);
    platform::ConsoleUserInterface view(nowhere, platform::ConfirmMode::kCancel, -1);
    const int status = RunBridgeSession(input[0], output, view);
    Require(status == kSessionClosed || status == kSessionRefused);
    // A refused session leaves the rest unread: the writer is let go.
    close(input[0]);
    writer.join();
    close(output);
    WaitForThreadsBack(threadsBefore);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    SetCardServiceLibrary("/nonexistent/libpcsclite.so.1");
    platform::ReplacePause(&NoPause);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckOneMessage(bytes);
    RunStream(bytes);
    return 0;
}
