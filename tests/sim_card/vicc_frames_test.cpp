// kestrova-vicc's side of vpcd's protocol without a socket: frames, control
// codes and the command line.

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "sim/vicc/vicc_options.h"
#include "sim/vicc/vicc_session.h"
#include "sim/vicc/vpcd_frames.h"
#include "tests/sim_card/card_test_support.h"

namespace kestrova::sim_card_test {
namespace {

using sim::HexBytes;
using sim::HexText;
using sim::vicc::FrameReader;

TEST(VpcdFrames, CarryABigEndianLengthBeforeThePayload) {
    EXPECT_EQ(HexText(*sim::vicc::EncodeFrame(HexBytes("9000"))), "00029000");
    EXPECT_EQ(HexText(*sim::vicc::EncodeFrame({})), "0000");
    const auto large = sim::vicc::EncodeFrame(sim::Bytes(0x1234, 0xAB));
    ASSERT_TRUE(large);
    EXPECT_EQ(HexText(sim::Bytes(large->begin(), large->begin() + 3)), "1234AB");
    EXPECT_EQ(large->size(), 0x1236U);
    EXPECT_FALSE(sim::vicc::EncodeFrame(sim::Bytes(0x10000, 0)));
}

TEST(VpcdFrames, AreCutFromWhateverPiecesTheConnectionDelivers) {
    FrameReader reader;
    const sim::Bytes stream = HexBytes("0001 04 0000 0005 00A4040000 0001 01");
    // One byte at a time: a frame comes out only when it is whole.
    std::vector<std::string> payloads;
    for (const std::uint8_t byte : stream) {
        reader.Append(&byte, 1);
        while (auto payload = reader.Next()) {
            payloads.push_back(HexText(*payload));
        }
    }
    EXPECT_EQ(payloads, (std::vector<std::string>{"04", "", "00A4040000", "01"}));
    // All at once gives the same frames.
    FrameReader whole;
    whole.Append(stream.data(), stream.size());
    std::vector<std::string> again;
    while (auto payload = whole.Next()) {
        again.push_back(HexText(*payload));
    }
    EXPECT_EQ(again, payloads);
}

TEST(ViccSession, AnswersTheAtrAndCommandsAndStartsAFreshSessionAtPowerOnAndReset) {
    sim::FinancialCard card(SampleContent(sim::Protocol::kT1));
    sim::vicc::ViccSession session(card);
    EXPECT_EQ(HexText(*session.OnFrame({0x04})), "3B80800101");
    EXPECT_FALSE(session.OnFrame({0x01})) << "power on wants no answer";
    EXPECT_TRUE(session.Powered());
    SelectApplication(card);
    VerifyPin(card);
    ASSERT_TRUE(card.PinVerified());
    EXPECT_FALSE(session.OnFrame({0x02}));
    EXPECT_FALSE(card.PinVerified()) << "a reset ends the verification";
    EXPECT_EQ(HexText(*session.OnFrame(HexBytes("00B0000010"))), "6986");
    EXPECT_FALSE(session.OnFrame({0x00}));
    EXPECT_FALSE(session.Powered());
    // vpcd waits for an answer to anything but its four control codes.
    EXPECT_EQ(HexText(*session.OnFrame({0x07})), "6700");
    EXPECT_EQ(HexText(*session.OnFrame({})), "6700");
}

TEST(ViccOptions, HaveDefaultsForVpcdsFirstReaderAndTheBuiltInProfile) {
    const auto parsed = sim::vicc::ParseViccOptions({});
    ASSERT_TRUE(std::holds_alternative<sim::vicc::ViccOptions>(parsed));
    const auto& options = std::get<sim::vicc::ViccOptions>(parsed);
    EXPECT_EQ(options.port, 35963);
    EXPECT_EQ(options.host, "127.0.0.1");
    EXPECT_TRUE(options.profilePath.empty());
    EXPECT_FALSE(options.startRemoved);
}

TEST(ViccOptions, ReadValuesInBothFormsAndRefuseBadOnes) {
    const std::vector<std::string_view> arguments = {
        "--profile", "p.json",     "--reader=Virtual PCD 00 01",
        "--port",    "35964",      "--connect-timeout=3",
        "--removed", "--log-apdus"};
    const auto parsed = sim::vicc::ParseViccOptions(arguments);
    ASSERT_TRUE(std::holds_alternative<sim::vicc::ViccOptions>(parsed));
    const auto& options = std::get<sim::vicc::ViccOptions>(parsed);
    EXPECT_EQ(options.profilePath, "p.json");
    EXPECT_EQ(options.readerName, "Virtual PCD 00 01");
    EXPECT_EQ(options.port, 35964);
    EXPECT_EQ(options.connectTimeoutMs, 3000);
    EXPECT_TRUE(options.startRemoved);
    EXPECT_TRUE(options.logApdus);

    auto errorOf = [](std::vector<std::string_view> bad) {
        const auto result = sim::vicc::ParseViccOptions(bad);
        return std::holds_alternative<std::string>(result) ? std::get<std::string>(result)
                                                           : std::string("(accepted)");
    };
    EXPECT_EQ(errorOf({"--port", "0"}), "--port must be a number from 1 to 65535");
    EXPECT_EQ(errorOf({"--port", "65536"}), "--port must be a number from 1 to 65535");
    EXPECT_EQ(errorOf({"--port", "12x"}), "--port must be a number from 1 to 65535");
    EXPECT_EQ(errorOf({"--profile"}), "--profile needs a value");
    EXPECT_EQ(errorOf({"--removed=yes"}), "--removed takes no value");
    EXPECT_EQ(errorOf({"--colour"}), "unknown argument --colour");
    EXPECT_EQ(errorOf({"--connect-timeout", "-1"}),
              "--connect-timeout must be a number of seconds from 0 to 3600");
}

TEST(ViccOptions, ChooseTheNamedReadersCardOrTheFirstCard) {
    const auto parsed = sim::ParseCardProfile(R"({"readers": [
        {"name": "Empty"},
        {"name": "First", "card": {"pin": "111111"}},
        {"name": "Second", "card": {"pin": "222222"}}]})");
    const auto& profile = std::get<sim::CardProfile>(parsed);
    auto pinOf = [&](const std::string& reader) {
        const auto chosen = sim::vicc::ChooseCard(profile, reader);
        return std::holds_alternative<sim::CardContent>(chosen)
                   ? std::get<sim::CardContent>(chosen).pin
                   : std::get<std::string>(chosen);
    };
    EXPECT_EQ(pinOf(""), "111111");
    EXPECT_EQ(pinOf("Second"), "222222");
    EXPECT_EQ(pinOf("Empty"), "reader \"Empty\" of the profile has no card");
    EXPECT_EQ(pinOf("Third"), "the profile has no reader \"Third\"");
}

}  // namespace
}  // namespace kestrova::sim_card_test
