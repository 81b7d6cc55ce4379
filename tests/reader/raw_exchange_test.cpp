#include "reader/raw_exchange.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "reader/reader_operations.h"
#include "reader/result_codes.h"
#include "sim/service/hex_bytes.h"
#include "sim/service/scripted_card.h"
#include "tests/reader/simulated_service_fixture.h"

namespace kestrova {
namespace {

using sim::HexBytes;

class RawExchangeTest : public testing::SimulatedServiceTest {
  protected:
    void SetUp() override {
        SimulatedServiceTest::SetUp();
        AddEmptyReader("Reader A");
        card_ = std::make_shared<sim::ScriptedCard>(HexBytes("3B 02 14 50"), sim::Protocol::kT0);
        ASSERT_TRUE(sim::PlugCard("Reader A", card_));
        std::int32_t slot = 0;
        std::int32_t readerCount = 1;
        std::int32_t textLength = 0;
        AtrText text{};
        ASSERT_EQ(OpenCard("Reader A", slot, readerCount, textLength, text), kResultSuccess);
    }

    std::int32_t Send(std::string_view command) {
        std::vector<std::uint8_t> bytes = HexBytes(command);
        return TransmitRaw(1, static_cast<std::int32_t>(bytes.size()), bytes.data(), dataLength_,
                           response_.data());
    }

    std::shared_ptr<sim::ScriptedCard> card_;
    std::vector<std::uint8_t> response_ = std::vector<std::uint8_t>(kRawResponseSize);
    std::int32_t dataLength_ = -1;
};

TEST_F(RawExchangeTest, SendsTheBytesAsTheyAreAndKeepsTheStatusWordInTheResponse) {
    card_->Expect(HexBytes("00 84 00 00 08"), HexBytes("0102030405060708 9000"));
    EXPECT_EQ(Send("00 84 00 00 08"), kResultSuccess);
    EXPECT_EQ(dataLength_, 8);
    EXPECT_EQ(sim::HexText(response_.data(), 10), "01020304050607089000");
    EXPECT_EQ(card_->Report(), "");
}

TEST_F(RawExchangeTest, ChainingStatusWordsAreReturnedNotFollowed) {
    card_->Expect(HexBytes("00 A4 04 00 02 3F 00"), HexBytes("61 10"));
    card_->Expect(HexBytes("00 B0 00 00 00"), HexBytes("6C 08"));
    EXPECT_EQ(Send("00 A4 04 00 02 3F 00"), 0x6110);
    EXPECT_EQ(dataLength_, -1) << "written only for a response longer than two bytes";
    EXPECT_EQ(Send("00 B0 00 00 00"), 0x6C08);
    EXPECT_EQ(card_->Report(), "");
}

TEST_F(RawExchangeTest, AnAnswerShorterThanTwoBytesHasNoStatusWord) {
    card_->Expect(HexBytes("00 84 00 00 08"), HexBytes("90"));
    EXPECT_EQ(Send("00 84 00 00 08"), kResultNoStatusWord);
    EXPECT_EQ(dataLength_, -1);
}

TEST_F(RawExchangeTest, ANegativeCommandLengthIsRefusedWithoutSending) {
    std::vector<std::uint8_t> bytes = HexBytes("00 84 00 00 08");
    StartLog();
    EXPECT_EQ(TransmitRaw(1, -5, bytes.data(), dataLength_, response_.data()), kResultFailure);
    EXPECT_TRUE(sim::Events().empty());
    EXPECT_EQ(dataLength_, -1);
}

TEST_F(RawExchangeTest, SlotsOutside1To16AreRefused) {
    std::vector<std::uint8_t> bytes = HexBytes("00 84 00 00 08");
    EXPECT_EQ(TransmitRaw(0, 5, bytes.data(), dataLength_, response_.data()), kResultBadSlot);
    EXPECT_EQ(TransmitRaw(17, 5, bytes.data(), dataLength_, response_.data()), kResultBadSlot);
    EXPECT_EQ(card_->CommandCount(), 0U);
}

}  // namespace
}  // namespace kestrova
