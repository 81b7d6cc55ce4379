// A page connection in the process: messages in through a pipe, replies out
// through another, one control on the simulated service. Every kind of bad
// input gets its reply and the session goes on; the end of input closes an
// open confirmation window and releases the card.

#include "bridge/host/bridge_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "bridge/host/closable_user_interface.h"
#include "bridge/host/frame_io.h"
#include "bridge/host/reply.h"
#include "bridge/host/request.h"
#include "control/automation_error.h"
#include "control/method_table.h"
#include "platform/modal_dialog.h"
#include "platform/pause.h"
#include "reader/card_service.h"
#include "reader/service_binding.h"
#include "sim/profiles/card_profile.h"
#include "sim/profiles/profile_installer.h"
#include "sim/service/simulated_pcsc.h"
#include "tests/support/recording_user_interface.h"
#include "tests/support/transfer_call.h"

namespace kestrova::bridge {
namespace {

using Json = nlohmann::json;

constexpr char kReader[] = "Kestrova Virtual Reader 0";
constexpr char kHello[] = R"({"origin":"https://card.kestrova.example.com"})";

std::int32_t Code(AutomationErrorCode code) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(code));
}

void NoPause(std::uint32_t /*milliseconds*/) {}

struct SessionOutcome {
    int status = -1;
    std::vector<Json> replies;
    bool onlyFrames = true;  // the output was whole frames of JSON, nothing else
};

class BridgeSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::Reset();
        UnbindCardService();
        TheCardService() = CardService{};
        SetCardServiceLibrary(KESTROVA_SIM_PCSC_LIBRARY);
        previousPause_ = platform::ReplacePause(&NoPause);
        std::string error;
        ASSERT_TRUE(sim::InstallCardProfile(sim::DefaultCardProfile(), &error)) << error;
        OpenPipes();
    }

    void OpenPipes() {
        ASSERT_EQ(pipe(input_), 0);
        ASSERT_EQ(pipe(output_), 0);
    }

    void TearDown() override {
        CloseInput();
        platform::ReplacePause(previousPause_);
        UnbindCardService();
        TheCardService() = CardService{};
        SetCardServiceLibrary(nullptr);
        sim::Reset();
    }

    void CloseInput() {
        if (input_[1] >= 0) {
            close(input_[1]);
            input_[1] = -1;
        }
    }

    // Sends the bytes, leaves the input open when told, runs the session on
    // this thread and collects what it wrote.
    SessionOutcome Run(const std::string& bytes, bool closeInput = true,
                       platform::UserInterface* view = nullptr) {
        std::thread writer([this, bytes, closeInput] {
            std::size_t done = 0;
            while (done < bytes.size()) {
                const ssize_t count = write(input_[1], bytes.data() + done, bytes.size() - done);
                if (count <= 0) {
                    break;
                }
                done += static_cast<std::size_t>(count);
            }
            if (closeInput) {
                CloseInput();
            }
        });
        std::string written;
        std::thread reader([this, &written] {
            char buffer[4096];
            ssize_t count = 0;
            while ((count = read(output_[0], buffer, sizeof buffer)) > 0) {
                written.append(buffer, static_cast<std::size_t>(count));
            }
        });
        SessionOutcome outcome;
        outcome.status =
            RunBridgeSession(input_[0], output_[1], view != nullptr ? *view : userInterface_);
        writer.join();
        close(output_[1]);
        reader.join();
        close(output_[0]);
        close(input_[0]);
        while (written.size() >= 4) {
            std::uint32_t length = 0;
            std::memcpy(&length, written.data(), 4);
            if (written.size() < 4 + length) {
                break;
            }
            Json reply = Json::parse(written.substr(4, length), nullptr, false);
            outcome.onlyFrames = outcome.onlyFrames && !reply.is_discarded();
            outcome.replies.push_back(std::move(reply));
            written.erase(0, 4 + length);
        }
        outcome.onlyFrames = outcome.onlyFrames && written.empty();
        return outcome;
    }

    int input_[2] = {-1, -1};
    int output_[2] = {-1, -1};
    test_support::RecordingUserInterface userInterface_;

  private:
    platform::PauseFunction previousPause_ = nullptr;
};

// Another view, passed on, that says when the session has told it the
// page has gone.
class NoticedEnd final : public platform::UserInterface {
  public:
    explicit NoticedEnd(platform::UserInterface& view) : view_(view) {}
    void ShowMessageBox(std::string_view text, std::string_view caption,
                        platform::MessageBoxIcon icon) override {
        view_.ShowMessageBox(text, caption, icon);
    }
    std::int32_t RunModal(platform::ModalDialog& dialog) override { return view_.RunModal(dialog); }
    void DismissFromAnotherThread() override {
        const std::lock_guard lock(mutex_);
        told_ = true;
        changed_.notify_all();
    }
    void WaitUntilTold() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return told_; });
    }

  private:
    platform::UserInterface& view_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool told_ = false;
};

struct Exchange {
    const char* name;
    std::string request;
    Json id;            // the reply's id
    std::int32_t code;  // 0: a result, else the error's code
};

TEST_F(BridgeSessionTest, EveryBadRequestGetsItsErrorAndTheSessionGoesOn) {
    const std::int32_t kUnknown = Code(AutomationErrorCode::UnknownName);
    const std::int32_t kCount = Code(AutomationErrorCode::BadParamCount);
    const std::int32_t kType = Code(AutomationErrorCode::TypeMismatch);
    const std::int32_t kOverflow = Code(AutomationErrorCode::Overflow);
    const std::string deep = std::string(500000, '[') + std::string(500000, ']');
    const std::string millionOpen = std::string(1000000, '[');
    const std::string longName(kMaxFrameBytes - 64, 'A');
    const Exchange exchanges[] = {
        {"a call", R"({"id":1,"method":"GetAPIVersion","args":[]})", 1, 0},
        {"case ignored", R"({"id":2,"method":"getreadername","args":[0]})", 2, 0},
        {"not JSON", "GetAPIVersion()", nullptr, kParseErrorCode},
        {"two values", R"({"id":3,"method":"GetAPIVersion","args":[]} {})", nullptr,
         kParseErrorCode},
        {"not UTF-8", "{\"id\":4,\"method\":\"GetReaderName\",\"args\":[\"\xC3\x28\"]}", nullptr,
         kParseErrorCode},
        {"a lone surrogate", R"({"id":5,"method":"GetReaderName","args":["\ud800"]})", nullptr,
         kParseErrorCode},
        {"not an object", "[1,2]", nullptr, kInvalidRequestCode},
        {"no id", R"({"method":"GetAPIVersion","args":[]})", nullptr, kInvalidRequestCode},
        {"a text id", R"({"id":"6","method":"GetAPIVersion","args":[]})", nullptr,
         kInvalidRequestCode},
        {"a negative id", R"({"id":-1,"method":"GetAPIVersion","args":[]})", nullptr,
         kInvalidRequestCode},
        {"an id past 2^53", R"({"id":9007199254740992,"method":"GetAPIVersion","args":[]})",
         nullptr, kInvalidRequestCode},
        {"the largest id", R"({"id":9007199254740991,"method":"GetAPIVersion","args":[]})",
         9007199254740991LL, 0},
        {"no method", R"({"id":7,"args":[]})", 7, kInvalidRequestCode},
        {"a number for the method", R"({"id":8,"method":5,"args":[]})", 8, kInvalidRequestCode},
        {"no args", R"({"id":9,"method":"GetAPIVersion"})", 9, kInvalidRequestCode},
        {"args not an array", R"({"id":10,"method":"GetAPIVersion","args":{}})", 10,
         kInvalidRequestCode},
        {"an unknown method", R"({"id":11,"method":"FormatDisk","args":[]})", 11, kUnknown},
        {"too few", R"({"id":12,"method":"GetReaderName","args":[]})", 12, kCount},
        {"too many, one a boolean", R"({"id":13,"method":"GetReaderName","args":[true,1]})", 13,
         kCount},
        {"a boolean", R"({"id":14,"method":"GetReaderName","args":[false]})", 14, kType},
        {"an array", R"({"id":15,"method":"GetReaderName","args":[[0]]})", 15, kType},
        {"an object", R"({"id":16,"method":"GetReaderName","args":[{}]})", 16, kType},
        {"a fraction", R"({"id":17,"method":"GetReaderName","args":[0.5]})", 17, kType},
        {"text for a long", R"({"id":18,"method":"GetReaderName","args":["one"]})", 18, kType},
        {"null for a long", R"({"id":19,"method":"GetReaderName","args":[null]})", 19, kType},
        {"2^31", R"({"id":20,"method":"GetReaderName","args":[2147483648]})", 20, kOverflow},
        {"-2^31-1", R"({"id":21,"method":"GetReaderName","args":[-2147483649]})", 21, kOverflow},
        {"2^64", R"({"id":22,"method":"GetReaderName","args":[18446744073709551616]})", 22,
         kOverflow},
        {"1e300", R"({"id":23,"method":"GetReaderName","args":[1e300]})", 23, kOverflow},
        {"deeply nested", R"({"id":24,"method":"GetReaderName","args":[)" + deep + "]}", 24,
         kInvalidRequestCode},
        {"a million levels", R"({"id":30,"method":"GetAPIVersion","args":)" + millionOpen, nullptr,
         kInvalidRequestCode},
        {"a method name of 1 MiB", R"({"id":31,"method":")" + longName + R"(","args":[]})", 31,
         kUnknown},
        {"the extremes of a long",
         R"({"id":25,"method":"DES","args":[-2147483648,2147483647,"",""]})", 25, 0},
        {"1e1 is ten", R"({"id":26,"method":"GetReaderName","args":[1e1]})", 26, 0},
        {"a digit string for a long", R"({"id":27,"method":"GetReaderName","args":["0"]})", 27, 0},
        {"a number for a BSTR", R"({"id":28,"method":"ConnectCard","args":[12]})", 28, 0},
        {"an unknown query", R"({"id":30,"query":"reboot"})", 30, kInvalidRequestCode},
        {"a query and a method", R"({"id":31,"query":"status","method":"GetAPIVersion"})", 31,
         kInvalidRequestCode},
        {"still answering", R"({"id":29,"method":"GetAPIVersion","args":[]})", 29, 0},
    };
    std::string bytes = EncodeFrame(kHello);
    for (const Exchange& exchange : exchanges) {
        bytes += EncodeFrame(exchange.request);
    }
    const SessionOutcome outcome = Run(bytes);
    EXPECT_EQ(outcome.status, kSessionClosed);
    EXPECT_TRUE(outcome.onlyFrames);
    ASSERT_EQ(outcome.replies.size(), std::size(exchanges) + 1);
    EXPECT_EQ(outcome.replies[0].value("ready", false), true);
    EXPECT_EQ(outcome.replies[0].value("version", ""), KESTROVA_VERSION);
    EXPECT_EQ(outcome.replies[0].value("protocol", 0), KESTROVA_PROTOCOL_VERSION);
    for (std::size_t i = 0; i < std::size(exchanges); ++i) {
        const Exchange& exchange = exchanges[i];
        const Json& reply = outcome.replies[i + 1];
        EXPECT_EQ(reply["id"], exchange.id) << exchange.name;
        EXPECT_LT(reply.dump().size(), 8192U) << exchange.name;
        if (exchange.code == 0) {
            EXPECT_TRUE(reply.contains("result") && !reply.contains("error")) << exchange.name;
        } else {
            EXPECT_FALSE(reply.contains("result")) << exchange.name;
            EXPECT_EQ(reply["error"]["code"], exchange.code) << exchange.name;
            EXPECT_TRUE(reply["error"]["message"].is_string()) << exchange.name;
        }
    }
}

// The host's status: the service and what it sees, without a card command,
// and only for a page of the allowed sites, as any call of the page.
TEST_F(BridgeSessionTest, TheStatusTellsAnAllowedPageTheServiceReadersAndCards) {
    constexpr char kStatus[] = R"({"id":1,"query":"status"})";
    const struct {
        const char* name;
        std::string origin;
        std::function<void()> arrange;
        std::string calls;  // the page's calls before it asks
        Json result;        // null: refused
    } cases[] = {
        {"both cards in",
         "https://card.kestrova.example.com",
         [] {},
         "",
         {{"service", "running"}, {"readers", 2}, {"cards", 2}}},
        {"a card out",
         "https://card.kestrova.example.com",
         [] { ASSERT_TRUE(sim::RemoveCard(kReader)); },
         "",
         {{"service", "running"}, {"readers", 2}, {"cards", 1}}},
        {"a card held by the page",
         "https://card.kestrova.example.com",
         [] {},
         EncodeFrame(R"({"id":0,"method":"ConnectCard","args":["Kestrova Virtual Reader 0"]})"),
         {{"service", "running"}, {"readers", 2}, {"cards", 2}}},
        {"no reader",
         "https://card.kestrova.example.com",
         [] {
             ASSERT_TRUE(sim::RemoveReader(kReader));
             ASSERT_TRUE(sim::RemoveReader("ACS ACR83U 00 00"));
         },
         "",
         {{"service", "running"}, {"readers", 0}, {"cards", 0}}},
        {"the service stopped",
         "https://card.kestrova.example.com",
         [] { ASSERT_TRUE(sim::FailNextCalls("SCardEstablishContext", 2, 0x8010001DL)); },
         "",
         {{"service", "stopped"}, {"readers", 0}, {"cards", 0}}},
        {"no service library",
         "https://card.kestrova.example.com",
         [] { SetCardServiceLibrary("/nonexistent/libpcsclite.so.1"); },
         "",
         {{"service", "missing"}, {"readers", 0}, {"cards", 0}}},
        {"another site", "https://card.kestrova.example.com.evil.example", [] {}, "", nullptr},
        {"plain http", "http://card.kestrova.example.com", [] {}, "", nullptr},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        c.arrange();
        sim::ClearEvents();
        const SessionOutcome outcome =
            Run(EncodeFrame(Json{{"origin", c.origin}}.dump()) + c.calls + EncodeFrame(kStatus));
        ASSERT_FALSE(outcome.replies.empty()) << c.name;
        const Json& reply = outcome.replies.back();
        if (c.result.is_null()) {
            // No session at all: the origin's refusal is the one reply.
            EXPECT_EQ(outcome.replies.size(), 1U) << c.name;
            EXPECT_EQ(reply["error"]["code"], kRefusedPageCode) << c.name;
            continue;
        }
        for (const auto& [field, value] : c.result.items()) {
            EXPECT_EQ(reply["result"][field], value) << c.name << ": " << field;
        }
        EXPECT_EQ(reply["result"]["protocol"], KESTROVA_BRIDGE_PROTOCOL_VERSION) << c.name;
        if (c.calls.empty()) {
            for (const std::string& event : sim::Events()) {
                EXPECT_EQ(event.find("SCardTransmit"), std::string::npos) << c.name << event;
            }
        }
    }
}

TEST_F(BridgeSessionTest, AConnectionMustOpenWithTheOrigin) {
    std::string tooLarge(4, '\xFF');
    const struct {
        const char* name;
        std::string bytes;
        int status;
        std::int32_t code;  // the one reply's error code; 0: no reply
    } cases[] = {
        {"closed at once", "", kSessionClosed, 0},
        {"cut short", EncodeFrame(kHello).substr(0, 10), kSessionClosed, 0},
        {"a call first", EncodeFrame(R"({"id":1,"method":"GetAPIVersion","args":[]})"),
         kSessionRefused, kInvalidRequestCode},
        {"an origin that is no string", EncodeFrame(R"({"origin":1})"), kSessionRefused,
         kInvalidRequestCode},
        {"not JSON", EncodeFrame("origin"), kSessionRefused, kParseErrorCode},
        {"too large", tooLarge, kSessionRefused, kInvalidRequestCode},
    };
    for (const auto& c : cases) {
        if (&c != &cases[0]) {
            OpenPipes();  // each run closes its own
        }
        const SessionOutcome outcome = Run(c.bytes);
        EXPECT_EQ(outcome.status, c.status) << c.name;
        EXPECT_TRUE(outcome.onlyFrames) << c.name;
        ASSERT_EQ(outcome.replies.size(), c.code == 0 ? 0U : 1U) << c.name;
        if (c.code != 0) {
            EXPECT_EQ(outcome.replies[0]["error"]["code"], c.code) << c.name;
            EXPECT_TRUE(outcome.replies[0]["id"].is_null()) << c.name;
        }
    }
}

// Whatever the extension let through: a page the control would refuse gets
// one refusal, and not one of its calls reaches a reader.
TEST_F(BridgeSessionTest, AForeignOriginGetsNoSessionAndNoCall) {
    std::string calls;
    for (const MethodInfo& method : MethodTable()) {
        Json call = {
            {"id", method.dispid}, {"method", std::string(method.name)}, {"args", Json::array()}};
        for (const ParameterInfo& parameter : method.Parameters()) {
            call["args"].push_back(parameter.type == AutomationType::Long ? Json(1)
                                                                          : Json(kReader));
        }
        calls += EncodeFrame(call.dump());
    }
    bool first = true;
    for (const char* origin : {"https://evil.example.org", "http://card.kestrova.example.com",
                               "null", "https://card.kestrova.example.com.evil.example.org", ""}) {
        SCOPED_TRACE(origin);
        if (!first) {
            OpenPipes();  // each run closes its own
        }
        first = false;
        sim::ClearEvents();
        const SessionOutcome outcome = Run(EncodeFrame(Json{{"origin", origin}}.dump()) + calls);
        EXPECT_EQ(outcome.status, kSessionRefused);
        ASSERT_EQ(outcome.replies.size(), 1U);
        EXPECT_EQ(outcome.replies[0]["error"]["code"], kRefusedPageCode);
        // Only the control's end, which releases the context it never had.
        EXPECT_EQ(sim::Events(),
                  std::vector<std::string>{"SCardReleaseContext(0x0) -> SCARD_E_INVALID_HANDLE"});
    }
}

TEST_F(BridgeSessionTest, AMessageTooLargeAfterTheOriginEndsTheSession) {
    const SessionOutcome outcome =
        Run(EncodeFrame(kHello) + std::string("\x01\x00\x10\x00", 4) + "{}");
    EXPECT_EQ(outcome.status, kSessionRefused);
    ASSERT_EQ(outcome.replies.size(), 2U);
    EXPECT_EQ(outcome.replies[1]["error"]["code"], kInvalidRequestCode);
}

// The page goes away while the confirmation window waits for the card to be
// taken out: the window ends as cancelled, the call still answers (into a
// pipe nobody reads any more), and the card is released.
TEST_F(BridgeSessionTest, TheEndOfInputCancelsAnOpenWindowAndReleasesTheCard) {
    const Json transfer = {
        {"id", 2},
        {"method", "WriteRecordWithSNUMTACProc"},
        {"args", test_support::TransferArguments(kReader, "<CAPTION>Transfer</CAPTION>")}};
    bool connectedWhileOpen = false;
    NoticedEnd view(userInterface_);
    userInterface_.modalScript = test_support::ModalScript::kDriveByHand;
    userInterface_.driveModal = [&](test_support::ScriptedDialogWindow& window) {
        connectedWhileOpen = sim::ConnectionCount(kReader).value_or(0) > 0;
        EXPECT_TRUE(window.TimerRunning(kCloseWatchTimerId));
        window.Tick(2);
        EXPECT_FALSE(window.Ended());
        CloseInput();
        // Once the reading thread has seen the end, the next watch tick
        // ends the window.
        view.WaitUntilTold();
        window.Tick();
    };
    const SessionOutcome outcome = Run(
        EncodeFrame(kHello) +
            EncodeFrame(R"({"id":1,"method":"ConnectCard","args":["Kestrova Virtual Reader 0"]})") +
            EncodeFrame(transfer.dump()),
        /*closeInput=*/false, &view);
    EXPECT_EQ(outcome.status, kSessionClosed);
    ASSERT_EQ(userInterface_.modalWindows.size(), 1U);
    EXPECT_TRUE(userInterface_.modalWindows[0]->Ended());
    EXPECT_EQ(userInterface_.modalWindows[0]->EndCode(), platform::kDialogCancel);
    EXPECT_TRUE(connectedWhileOpen);
    EXPECT_EQ(sim::ConnectionCount(kReader).value_or(-1), 0);
    EXPECT_EQ(sim::ContextCount(), 0);
    ASSERT_EQ(outcome.replies.size(), 3U);
    EXPECT_EQ(outcome.replies[1]["result"], 0);
    EXPECT_NE(outcome.replies[2]["result"], 0);
}

// A message box that waits for a person, until it is dismissed.
class WaitingBoxes final : public platform::UserInterface {
  public:
    void ShowMessageBox(std::string_view /*text*/, std::string_view /*caption*/,
                        platform::MessageBoxIcon /*icon*/) override {
        std::unique_lock lock(mutex_);
        ++shown_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return dismissed_; });
    }
    std::int32_t RunModal(platform::ModalDialog& /*dialog*/) override {
        return platform::kDialogCancel;
    }
    void DismissFromAnotherThread() override {
        const std::lock_guard lock(mutex_);
        dismissed_ = true;
        changed_.notify_all();
    }
    void WaitUntilShown() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return shown_ > 0; });
    }
    int Shown() {
        const std::lock_guard lock(mutex_);
        return shown_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int shown_ = 0;
    bool dismissed_ = false;
};

// A page of another site calls a guarded method: the control's warning box
// waits for a person. The page goes away meanwhile: the box is dismissed,
// and no later box is shown to nobody.
TEST_F(BridgeSessionTest, TheEndOfInputDismissesAMessageBoxThatIsUp) {
    WaitingBoxes boxes;
    const std::string connect =
        EncodeFrame(R"({"id":1,"method":"ConnectCard","args":["Kestrova Virtual Reader 0"]})");
    // The window is cancelled at once; the box that says so waits.
    const Json transfer = {{"id", 2},
                           {"method", "WriteRecordWithSNUMTACProc"},
                           {"args", test_support::TransferArguments(kReader, "")}};
    int status = -1;
    std::thread session([&] { status = RunBridgeSession(input_[0], output_[1], boxes); });
    const std::string bytes =
        EncodeFrame(kHello) + connect + EncodeFrame(transfer.dump()) + EncodeFrame(transfer.dump());
    ASSERT_EQ(write(input_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    boxes.WaitUntilShown();
    CloseInput();
    session.join();
    EXPECT_EQ(status, kSessionClosed);
    EXPECT_EQ(boxes.Shown(), 1);
    close(output_[1]);
    close(output_[0]);
    close(input_[0]);
}

// Any error text, however long, is quoted up to 4 KiB in whole characters
// and marked as cut; exactly 4 KiB is kept whole.
TEST(ErrorReplyTest, QuotesAtMost4KiBOfAnyMessage) {
    const std::string euro = "\xE2\x82\xAC";
    const struct {
        std::string message;
        std::size_t kept;
        bool cut;
    } cases[] = {
        {std::string(4096, 'a'), 4096, false},
        {std::string(4097, 'a'), 4096, true},
        {std::string(70000, 'a'), 4096, true},
        {std::string(4095, 'a') + euro, 4095, true},
    };
    for (const auto& each : cases) {
        const Json reply = Json::parse(ErrorReply(7, kInvalidRequestCode, each.message));
        const std::string message = reply["error"]["message"];
        EXPECT_EQ(reply["id"], 7);
        EXPECT_EQ(message, each.message.substr(0, each.kept) + (each.cut ? "..." : ""))
            << each.message.size();
    }
}

}  // namespace
}  // namespace kestrova::bridge
