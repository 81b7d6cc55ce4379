// kestrova-host as a browser starts it: who may start it, and a page's
// session on the simulated readers giving the same results, call for call,
// as `kestrova run --json` does for the same calls.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "bridge/host/frame_io.h"
#include "card/pin_block.h"
#include "host/call_syntax.h"
#include "host/value_format.h"
#include "tests/integration/kestrova_process.h"
#include "tests/support/transfer_call.h"

namespace kestrova::bridge {
namespace {

using Json = nlohmann::json;
using testing::KestrovaOutput;
using testing::KestrovaProcess;

const std::string kChromiumCaller =
    std::string("'chrome-extension://") + KESTROVA_CHROMIUM_EXTENSION_ID + "/'";
const std::string kFirefoxCaller = std::string("/usr/lib/mozilla/native-messaging-hosts/x.json '") +
                                   KESTROVA_GECKO_EXTENSION_ID + "'";
constexpr char kHello[] = R"({"origin":"https://card.kestrova.example.com"})";

// The replies in the host's output; false in `whole` when anything else was
// there.
std::vector<Json> Replies(std::string output, bool& whole) {
    std::vector<Json> replies;
    whole = true;
    while (output.size() >= 4) {
        std::uint32_t length = 0;
        std::memcpy(&length, output.data(), 4);
        if (output.size() < 4 + std::size_t{length}) {
            break;
        }
        replies.push_back(Json::parse(output.substr(4, length), nullptr, false));
        whole = whole && !replies.back().is_discarded();
        output.erase(0, 4 + length);
    }
    whole = whole && output.empty();
    return replies;
}

// Sends the page's frames and keeps the input open until the host has
// answered the request with the last id, as a browser keeps a page's port
// open; then the input ends. Gives up after a minute.
constexpr char kKeepOpenScript[] = R"(frames=$1; out=$2; last=$3; shift 3
: >"$out"
{ cat "$frames"; n=0
  while ! grep -aq "\"id\":$last," "$out" && [ $n -lt 1200 ]; do sleep 0.05; n=$((n+1)); done
} | "$@" >"$out"
status=$?; cat "$out"; exit $status
)";

class HostProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The host reads no configuration of the machine it runs on.
        setenv("KESTROVA_HOST_CONFIG", process_.WriteFile("host.conf", "").c_str(), 1);
    }
    void TearDown() override { unsetenv("KESTROVA_HOST_CONFIG"); }

    KestrovaOutput Host(const std::string& arguments, const std::string& input) {
        return process_.RunProgram(KESTROVA_HOST_PATH, arguments, input);
    }

    // The host (after `prefix`, a command that runs it) with the page's
    // frames, its input open until the reply to lastId.
    KestrovaOutput HostKeptOpen(const std::string& arguments, const std::string& frames, int lastId,
                                const std::string& prefix = "") {
        return process_.RunProgram(
            "/bin/sh", "'" + process_.WriteFile("keep_open.sh", kKeepOpenScript) + "' '" +
                           process_.WriteFile("frames.bin", frames) + "' '" +
                           (process_.Directory() / "out.bin").string() + "' " +
                           std::to_string(lastId) + " " + prefix + " '" + KESTROVA_HOST_PATH +
                           "' " + arguments);
    }

    KestrovaProcess process_;
};

TEST_F(HostProcessTest, StartsOnlyForOurExtension) {
    const std::string input = EncodeFrame(kHello);
    const struct {
        std::string arguments;
        int status;
    } cases[] = {
        {kChromiumCaller, 0},
        {kFirefoxCaller, 0},
        {"", 1},
        {"'chrome-extension://abcdefghijklmnopabcdefghijklmnop/'", 1},
        {"/tmp/x.json other@example.com", 1},
        {"--verbose " + kChromiumCaller, 1},
    };
    for (const auto& c : cases) {
        const KestrovaOutput output = Host(c.arguments, input);
        EXPECT_EQ(output.status, c.status) << c.arguments << ": " << output.err;
        bool whole = false;
        const std::vector<Json> replies = Replies(output.out, whole);
        EXPECT_TRUE(whole) << c.arguments;
        EXPECT_EQ(replies.size(), c.status == 0 ? 1U : 0U) << c.arguments;
    }
}

TEST_F(HostProcessTest, APageSessionGivesWhatKestrovaRunGives) {
    std::ifstream example(std::string(KESTROVA_EXAMPLES_DIR) + "/accounts.txt");
    std::string calls;
    std::string frames = EncodeFrame(kHello);
    std::int64_t id = 0;
    const auto addCall = [&](const std::string& line) {
        const auto parsed = host::ParseCallLine(line);
        const auto* call = std::get_if<host::ParsedCall>(&parsed);
        if (call == nullptr) {
            return;
        }
        std::string arguments;
        for (const AutomationValue& argument : call->arguments) {
            arguments += (arguments.empty() ? "" : ",") + host::FormatValueJson(argument);
        }
        frames += EncodeFrame("{\"id\":" + std::to_string(++id) + ",\"method\":\"" +
                              call->methodName + "\",\"args\":[" + arguments + "]}");
        calls += line + "\n";
    };
    for (std::string line; std::getline(example, line);) {
        addCall(line);
    }
    ASSERT_GT(id, 10);
    // A transfer whose window is cancelled, then what the control kept.
    addCall("ConnectCard(\"Kestrova Virtual Reader 0\")");
    addCall(
        "WriteRecordWithSNUMTACProc(\"Kestrova Virtual Reader 0\", \"\", \"1003\", 4, \"2520\", "
        "\"123456\", \"<CAPTION>Transfer</CAPTION>\")");
    addCall("GetLastError()");
    addCall("GetRespSNUM()");

    const KestrovaOutput expected = process_.Run(
        "run --json --simulate --ui console --confirm cancel "
        "--page-url https://card.kestrova.example.com/ '" +
        process_.WriteFile("calls.txt", calls) + "'");
    ASSERT_EQ(expected.status, 0) << expected.err;

    // The options from the configuration file this time, the caller Firefox.
    setenv("KESTROVA_HOST_CONFIG",
           process_.WriteFile("host.conf", "simulate\nui=console\nconfirm=cancel\n").c_str(), 1);
    const KestrovaOutput output = Host(kFirefoxCaller, frames);
    EXPECT_EQ(output.status, 0) << output.err;
    bool whole = false;
    const std::vector<Json> replies = Replies(output.out, whole);
    EXPECT_TRUE(whole);
    ASSERT_EQ(replies.size(), static_cast<std::size_t>(id) + 1);

    std::istringstream lines(expected.out);
    std::size_t index = 0;
    for (std::string line; std::getline(lines, line);) {
        ++index;
        const Json run = Json::parse(line);
        ASSERT_LT(index, replies.size());
        EXPECT_EQ(replies[index]["id"], index);
        EXPECT_EQ(replies[index]["result"], run["result"]) << run["call"];
    }
    EXPECT_EQ(index, static_cast<std::size_t>(id));
}

// The page goes while the confirmation window waits for the card to be taken
// out (nobody takes it): the input ends, the window is cancelled, the host
// answers the call and exits. In the text window told to confirm, and in the
// Qt window drawn offscreen.
TEST_F(HostProcessTest, TheHostExitsWhenThePageGoesDuringTheWindow) {
    const std::string reader = "Kestrova Virtual Reader 0";
    const std::string message = "<CAPTION>Transfer</CAPTION>";
    const Json transfer = {{"id", 2},
                           {"method", "WriteRecordWithSNUMTACProc"},
                           {"args", test_support::TransferArguments(reader, message)}};
    const std::string input =
        EncodeFrame(kHello) +
        EncodeFrame(R"({"id":1,"method":"ConnectCard","args":["Kestrova Virtual Reader 0"]})") +
        EncodeFrame(transfer.dump());
    // What a cancelled window gives, from the kestrova command.
    const KestrovaOutput cancelled = process_.Run(
        "run --json --simulate --ui console --confirm cancel "
        "--page-url https://card.kestrova.example.com/ '" +
        process_.WriteFile("calls.txt", "ConnectCard(\"" + reader + "\")\n" +
                                            test_support::TransferCallLine(reader, message) +
                                            "\n") +
        "'");
    ASSERT_EQ(cancelled.status, 0) << cancelled.err;
    const Json cancelledResult =
        Json::parse(cancelled.out.substr(cancelled.out.find('\n') + 1))["result"];
    ASSERT_NE(cancelledResult, 0);

    std::vector<std::string> views = {"--ui=console --confirm=ok"};
#ifdef KESTROVA_WITH_QT
    views.emplace_back("--ui=qt");
#endif
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (const std::string& view : views) {
        const KestrovaOutput output = Host("--simulate " + view + " " + kChromiumCaller, input);
        EXPECT_EQ(output.status, 0) << view << ": " << output.err;
        bool whole = false;
        const std::vector<Json> replies = Replies(output.out, whole);
        EXPECT_TRUE(whole) << view;
        ASSERT_EQ(replies.size(), 3U) << view;
        EXPECT_EQ(replies[1]["result"], 0) << view;
        EXPECT_EQ(replies[2]["result"], cancelledResult) << view;
    }
    unsetenv("QT_QPA_PLATFORM");
}

// A transfer record of the sample page's form, to the payee's account.
constexpr char kPayee[] = "0040987654321098";
const std::string kRecord =
    std::string("2520") + "00000000123456" + std::string(30, ' ') + kPayee + "KESTROVA BANK   ";

std::string CallFrame(int id, const std::string& method, const Json& arguments) {
    return EncodeFrame(Json{{"id", id}, {"method", method}, {"args", arguments}}.dump());
}

// A page developer's transfer on the simulated card, the card taken out and
// put back by the host (simulate-removal=auto) and OK pressed by the text
// window, with the diagnostics log on: the page's status first, and the log
// afterwards holds every call's name and code but no PIN, PIN block,
// account number or record text.
TEST_F(HostProcessTest, ASimulatedTransferCompletesAndItsLogHoldsNoSecret) {
    const std::string log = (process_.Directory() / "host.log").string();
    setenv(
        "KESTROVA_HOST_CONFIG",
        process_
            .WriteFile("host.conf",
                       "simulate\nsimulate-removal=auto\nui=console\nconfirm=ok\nlog=" + log + "\n")
            .c_str(),
        1);
    const std::string pin = "123456";
    const std::string payee = "0040987654321098";
    const std::string record =
        std::string("2520") + "00000000123456" + std::string(30, ' ') + payee + "KESTROVA BANK   ";
    const std::string reader = "Kestrova Virtual Reader 0";
    const std::string frames = EncodeFrame(kHello) + EncodeFrame(R"({"id":1,"query":"status"})") +
                               CallFrame(2, "ConnectCard", {reader}) +
                               CallFrame(3, "ListEF1001AccountString", Json::array()) +
                               CallFrame(4, "WriteRecordWithSNUMTACProc",
                                         {reader, "", "1003", record.size(), record, pin,
                                          "<CAPTION>Transfer</CAPTION><Tag1>Confirm</Tag1>"}) +
                               CallFrame(5, "GetRespSNUM", Json::array());
    const KestrovaOutput output = HostKeptOpen(kChromiumCaller, frames, 5);
    ASSERT_EQ(output.status, 0) << output.err;
    bool whole = false;
    const std::vector<Json> replies = Replies(output.out, whole);
    ASSERT_EQ(replies.size(), 6U) << output.out << output.err;
    EXPECT_EQ(replies[1]["result"]["service"], "running");
    EXPECT_EQ(replies[1]["result"]["readers"], 2);
    EXPECT_EQ(replies[1]["result"]["cards"], 2);
    EXPECT_EQ(replies[1]["result"]["version"], KESTROVA_COMPONENT_VERSION);
    EXPECT_EQ(replies[2]["result"], 0);
    const std::string accounts = replies[3]["result"].get<std::string>();
    ASSERT_GE(accounts.size(), 16U);
    EXPECT_EQ(replies[4]["result"], 0) << output.err;
    ASSERT_TRUE(replies[5]["result"].is_string());
    const std::string snum = replies[5]["result"].get<std::string>();
    ASSERT_FALSE(snum.empty());
    // The reason the text window pressed OK is the configuration's.
    EXPECT_NE(output.err.find("pressed without asking (confirm=ok)"), std::string::npos)
        << output.err;

    std::ifstream file(log);
    std::stringstream text;
    text << file.rdbuf();
    const std::string written = text.str();
    for (const char* expected :
         {"start: kestrova-host", "origin: https://card.kestrova.example.com",
          "status: ", "call: ConnectCard -> 0 in ", "call: ListEF1001AccountString -> text in ",
          "call: WriteRecordWithSNUMTACProc -> 0 in ", "call: GetRespSNUM -> text in ",
          "end: exit status 0"}) {
        EXPECT_NE(written.find(expected), std::string::npos) << expected << " in\n" << written;
    }
    PinBlock block;
    ASSERT_EQ(block.Pack(pin.c_str(), pin.size()), 0);
    std::string blockHex;
    for (const std::uint8_t byte : block.Bytes()) {
        constexpr char kDigits[] = "0123456789ABCDEF";
        blockHex += kDigits[byte >> 4];
        blockHex += kDigits[byte & 0xF];
    }
    std::vector<std::string> secrets = {pin,  blockHex,       payee, record.substr(0, 18),
                                        snum, "KESTROVA BANK"};
    for (std::size_t at = 0; at + 16 <= accounts.size(); at += 16) {
        secrets.push_back(accounts.substr(at, 16));
    }
    for (const std::string& secret : secrets) {
        EXPECT_EQ(written.find(secret), std::string::npos) << secret << " in\n" << written;
    }
}

// The text window that answers by itself says why: the configuration's
// words, or that there is no display; never an option nobody gave.
TEST_F(HostProcessTest, TheTextWindowSaysWhyItAnswersByItself) {
    const std::string reader = "Kestrova Virtual Reader 0";
    const std::string frames = EncodeFrame(kHello) + CallFrame(1, "ConnectCard", {reader}) +
                               CallFrame(2, "WriteRecordWithSNUMTACProc",
                                         {reader, "", "1003", kRecord.size(), kRecord, "123456",
                                          "<CAPTION>Transfer</CAPTION>"});
    const struct {
        std::string conf;
        std::string reason;
    } cases[] = {
        {"simulate\nui=console\n", "(ui=console, and nobody can answer in the browser's log)"},
        {"simulate\nconfirm=cancel\n", "(confirm=cancel)"},
        {"simulate\n", "(no display for the window: DISPLAY and WAYLAND_DISPLAY are unset)"},
    };
    for (const auto& c : cases) {
        setenv("KESTROVA_HOST_CONFIG", process_.WriteFile("host.conf", c.conf).c_str(), 1);
        const KestrovaOutput output =
            HostKeptOpen(kChromiumCaller, frames, 2, "env -u DISPLAY -u WAYLAND_DISPLAY");
        EXPECT_EQ(output.status, 0) << c.conf << output.err;
        EXPECT_NE(output.err.find("[Cancel] pressed without asking " + c.reason), std::string::npos)
            << c.conf << output.err;
        EXPECT_EQ(output.err.find("--confirm"), std::string::npos) << c.conf << output.err;
    }
}

}  // namespace
}  // namespace kestrova::bridge
