#include "reader/apdu_exchange.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "reader/reader_operations.h"
#include "reader/result_codes.h"
#include "sim/service/hex_bytes.h"
#include "sim/service/scripted_card.h"
#include "tests/reader/simulated_service_fixture.h"

namespace kestrova {
namespace {

using sim::HexBytes;
using testing::SimulatedServiceTest;

const std::vector<std::uint8_t> kAid = HexBytes("A0 00 00 01 72 95 00 01");

// Sixteen data bytes and the same followed by 90 00.
const std::string kSixteen = "00112233445566778899AABBCCDDEEFF";

class ApduExchangeTest : public SimulatedServiceTest {
  protected:
    // A scripted card in a reader, connected in slot 1 as a page's connect
    // leaves it.
    void ConnectScriptedCard(sim::Protocol protocol) {
        AddEmptyReader("Reader A");
        card_ = std::make_shared<sim::ScriptedCard>(HexBytes("3B 02 14 50"), protocol);
        ASSERT_TRUE(sim::PlugCard("Reader A", card_));
        std::int32_t slot = 0;
        std::int32_t readerCount = 1;
        std::int32_t textLength = 0;
        AtrText text{};
        ASSERT_EQ(OpenCard("Reader A", slot, readerCount, textLength, text), kResultSuccess);
        ASSERT_EQ(slot, 1);
    }

    void Expect(std::string_view command, std::string_view response) {
        card_->Expect(HexBytes(command), HexBytes(response));
    }

    void ExpectAllExchanged() const {
        EXPECT_EQ(card_->Report(), "");
        EXPECT_TRUE(card_->AllConsumed());
    }

    // One exchange; the answer's data land in response_, their count in byteCount_.
    std::int32_t Exchange(std::int32_t slot, const CardCommand& command) {
        CardResponse answer{response_, -1};
        const std::int32_t result = ExchangeCommand(slot, command, answer);
        response_ = answer.data;
        byteCount_ = answer.length;
        return result;
    }

    std::string Delivered(std::size_t count) const { return sim::HexText(response_.data(), count); }

    std::shared_ptr<sim::ScriptedCard> card_;
    std::array<std::uint8_t, kResponseDataSize> response_{};
    std::int32_t byteCount_ = -1;
};

// Each layout test runs on both protocols where the layouts differ.
class T0ExchangeTest : public ApduExchangeTest {
  protected:
    void SetUp() override {
        ApduExchangeTest::SetUp();
        ConnectScriptedCard(sim::Protocol::kT0);
    }
};

class T1ExchangeTest : public ApduExchangeTest {
  protected:
    void SetUp() override {
        ApduExchangeTest::SetUp();
        ConnectScriptedCard(sim::Protocol::kT1);
    }
};

TEST_F(T0ExchangeTest, ACommandWithoutDataCarriesLe) {
    Expect("00 B2 01 0C 10", kSixteen + "9000");
    std::uint8_t le = 0x10;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xB2, 0x01, 0x0C, {}, le}), kResultSuccess);
    EXPECT_EQ(byteCount_, 16);
    EXPECT_EQ(Delivered(16), kSixteen);
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, ACommandWithDataCarriesNoLeAndItsResponseIsFetched) {
    for (std::uint8_t callerLe : {std::uint8_t{0x00}, std::uint8_t{0x08}}) {
        SCOPED_TRACE(int{callerLe});
        Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "61 10");
        Expect("00 C0 00 00 10", kSixteen + "9000");
        std::uint8_t le = callerLe;
        EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xA4, 0x04, 0x00, kAid, le}), kResultSuccess);
        EXPECT_EQ(byteCount_, 16);
        EXPECT_EQ(Delivered(16), kSixteen);
    }
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, TheFetchAsksForTheLargerOfTheCallersLeAndTheAnnouncedLength) {
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "61 10");
    Expect("00 C0 00 00 20", kSixteen + "9000");
    std::uint8_t le = 0x20;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xA4, 0x04, 0x00, kAid, le}), kResultSuccess);
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, WrongLengthResendsOnceWithTheLengthTheCardAskedFor) {
    Expect("00 84 00 00 00", "6C 08");
    Expect("00 84 00 00 08", "0102030405060708 9000");
    std::uint8_t le = 0;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0x84, 0x00, 0x00, {}, le}), kResultSuccess);
    EXPECT_EQ(byteCount_, 8);
    EXPECT_EQ(Delivered(8), "0102030405060708");
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, TheFetchAfterAResendAsksForTheResentLength) {
    Expect("00 B2 01 0C 00", "6C 20");
    Expect("00 B2 01 0C 20", "61 10");
    Expect("00 C0 00 00 20", kSixteen + "9000");
    std::uint8_t le = 0;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xB2, 0x01, 0x0C, {}, le}), kResultSuccess);
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, AnEmptyFetchAfter6100ReportsNoBytesAndSucceeds) {
    Expect("00 B2 01 0C 05", "61 00");
    Expect("00 C0 00 00 05", "90 00");
    std::uint8_t le = 0x05;
    response_.fill(0xEE);
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xB2, 0x01, 0x0C, {}, le}), kResultSuccess);
    EXPECT_EQ(byteCount_, 0);
    EXPECT_EQ(response_[0], 0xEE) << "nothing copied";
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, A6100FetchKeepsAll256BytesTheCardSent) {
    std::string all;
    for (int i = 0; i < 256; ++i) {
        all += sim::HexText(std::vector<std::uint8_t>{static_cast<std::uint8_t>(i)});
    }
    Expect("00 B2 01 0C 00", "61 00");
    Expect("00 C0 00 00 00", all + "9000");
    std::uint8_t le = 0;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xB2, 0x01, 0x0C, {}, le}), kResultSuccess);
    EXPECT_EQ(byteCount_, 256);
    EXPECT_EQ(Delivered(256), all);
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, AFetchWithoutALengthByteStillDeliversTheAnnouncedBytes) {
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "61 04");
    Expect("00 C0 00 00 04", "CAFEBABE 9000");
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xA4, 0x04, 0x00, kAid, std::nullopt}), kResultSuccess);
    EXPECT_EQ(byteCount_, 4);
    EXPECT_EQ(Delivered(4), "CAFEBABE");
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, AFetchThatDeliversNothingReturnsTheCardsStatusWord) {
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "61 10");
    Expect("00 C0 00 00 10", "6F 00");
    std::uint8_t le = 0;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xA4, 0x04, 0x00, kAid, le}), 0x6F00);
    EXPECT_EQ(byteCount_, 0);
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, AFailedFetchClearsTheLengthByteAndReturnsTheServicesCode) {
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "61 10");
    ASSERT_TRUE(sim::FailCallsAfter("SCardTransmit", 1, 1, SCARD_E_NOT_TRANSACTED));
    std::uint8_t le = 0x33;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xA4, 0x04, 0x00, kAid, le}),
              NarrowResult(SCARD_E_NOT_TRANSACTED));
}

TEST_F(T0ExchangeTest, A256ByteResponseReadsAsLengthByte0ButItsTrueCountIs256) {
    std::string all(512, 'A');
    Expect("00 B0 00 00 00", all + "9000");
    std::uint8_t le = 0;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xB0, 0x00, 0x00, {}, le}), kResultSuccess);
    EXPECT_EQ(byteCount_, 256);
    EXPECT_EQ(Delivered(256), all);
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, DataEndingInAnErrorIsDeliveredAndTheStatusWordReturned) {
    Expect("00 B2 01 0C 10", "AABBCC 6A82");
    std::uint8_t le = 0x10;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xB2, 0x01, 0x0C, {}, le}), 0x6A82);
    EXPECT_EQ(byteCount_, 3);
    EXPECT_EQ(Delivered(3), "AABBCC");
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, ChainingStatusWordsAfterDataAreNotFollowed) {
    Expect("00 B2 01 0C 10", "AABB 6110");
    Expect("00 B2 01 0C 10", "AABB 6C10");
    for (int i = 0; i < 2; ++i) {
        std::uint8_t le = 0x10;
        std::int32_t result = Exchange(1, CardCommand{0x00, 0xB2, 0x01, 0x0C, {}, le});
        EXPECT_EQ(result, i == 0 ? 0x6110 : 0x6C10);
    }
    ExpectAllExchanged();
}

// What a GET RESPONSE brings: fewer bytes than announced (61 10 answered with
// 8), data ending in an error or a warning, or in another 61XX, which is not
// followed. The data is delivered in each case.
TEST_F(T0ExchangeTest, TheFetchedDataIsDeliveredWithItsOwnStatusWord) {
    const std::vector<std::pair<std::string, std::int32_t>> cases{
        {"0102030405060708 9000", kResultSuccess},
        {"0102030405060708 6A82", 0x6A82},
        {"0102030405060708 6282", 0x6282},
        {"0102030405060708 6110", kResultSuccess}};
    for (const auto& [answer, result] : cases) {
        SCOPED_TRACE(answer);
        Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "61 10");
        Expect("00 C0 00 00 10", answer);
        std::uint8_t le = 0;
        EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xA4, 0x04, 0x00, kAid, le}), result);
        EXPECT_EQ(byteCount_, 8);
        EXPECT_EQ(Delivered(8), "0102030405060708");
        ExpectAllExchanged();
    }
}

TEST_F(T0ExchangeTest, AStatusWordAloneLeavesTheLengthByteAsTheCallerSetIt) {
    Expect("00 B2 01 0C 10", "6A 83");
    std::uint8_t le = 0x10;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xB2, 0x01, 0x0C, {}, le}), 0x6A83);
    EXPECT_EQ(byteCount_, 0);
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, DataWithoutALengthByteReferenceIsRefusedAndNotCopied) {
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "AABB 9000");
    response_.fill(0xEE);
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xA4, 0x04, 0x00, kAid, std::nullopt}), kResultFailure);
    EXPECT_EQ(response_[0], 0xEE);
    EXPECT_EQ(byteCount_, 0);
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, WrongLengthIsResentAtMostThreeTimesAndTheLastStatusWordReturned) {
    Expect("00 84 00 00 00", "6C 08");
    Expect("00 84 00 00 08", "6C 09");
    Expect("00 84 00 00 09", "6C 0A");
    Expect("00 84 00 00 0A", "6C 0B");
    std::uint8_t le = 0;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0x84, 0x00, 0x00, {}, le}), 0x6C0B);
    EXPECT_EQ(card_->CommandCount(), 4U);
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, ACommandWithDataThatCannotCarryLeIsResentUnchangedWithinTheBound) {
    for (int i = 0; i < 4; ++i) {
        Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "6C 10");
    }
    std::uint8_t le = 0;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xA4, 0x04, 0x00, kAid, le}), 0x6C10);
    EXPECT_EQ(card_->CommandCount(), 4U);
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, AnAnswerShorterThanTwoBytesHasNoStatusWord) {
    Expect("00 B2 01 0C 10", "90");
    Expect("00 B2 01 0C 10", "");
    for (int i = 0; i < 2; ++i) {
        std::uint8_t le = 0x10;
        std::int32_t result = Exchange(1, CardCommand{0x00, 0xB2, 0x01, 0x0C, {}, le});
        EXPECT_EQ(result, kResultNoStatusWord);
        EXPECT_NE(result, kResultSuccess);
    }
    ExpectAllExchanged();
}

TEST_F(T0ExchangeTest, AFetchAnsweredWithFewerThanTwoBytesHasNoStatusWord) {
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01", "61 10");
    Expect("00 C0 00 00 10", "90");
    std::uint8_t le = 0;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xA4, 0x04, 0x00, kAid, le}), kResultNoStatusWord);
    ExpectAllExchanged();
}

TEST_F(T1ExchangeTest, ACommandWithDataCarriesLeAfterTheData) {
    Expect("00 A4 04 00 08 A0 00 00 01 72 95 00 01 00", kSixteen + "9000");
    std::uint8_t le = 0;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0xA4, 0x04, 0x00, kAid, le}), kResultSuccess);
    EXPECT_EQ(byteCount_, 16);
    ExpectAllExchanged();
}

TEST_F(T1ExchangeTest, TheResendAfterWrongLengthCarriesTheLengthTheCardAskedFor) {
    Expect("00 84 00 00 00", "6C 08");
    Expect("00 84 00 00 08", "0102030405060708 9000");
    std::uint8_t le = 0;
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0x84, 0x00, 0x00, {}, le}), kResultSuccess);
    ExpectAllExchanged();
}

TEST_F(T1ExchangeTest, ACommandWithoutALengthByteReferenceNeverCarriesLe) {
    Expect("00 20 00 01 08 1234FFFFFFFFFFFF", "63 C2");
    const std::vector<std::uint8_t> pinBlock = HexBytes("1234FFFFFFFFFFFF");
    EXPECT_EQ(Exchange(1, CardCommand{0x00, 0x20, 0x00, 0x01, pinBlock, std::nullopt}), 0x63C2);
    ExpectAllExchanged();
}

TEST_F(ApduExchangeTest, SlotsOutside1To16AreRefusedBeforeAnythingIsSent) {
    std::uint8_t le = 0;
    for (std::int32_t slot : {0, 17}) {
        EXPECT_EQ(Exchange(slot, CardCommand{0x00, 0x84, 0x00, 0x00, {}, le}), kResultBadSlot);
    }
    EXPECT_EQ(TheCardService().library, nullptr) << "refused before binding";
}

TEST_F(ApduExchangeTest, ASlotThatWasNeverConnectedGetsTheServicesRefusal) {
    AddReaderWithCard("Reader A");
    std::uint8_t le = 0;
    std::int32_t result = Exchange(3, CardCommand{0x00, 0x84, 0x00, 0x00, {}, le});
    EXPECT_LT(result, 0);
    EXPECT_TRUE(Contains(OnlyEvent("SCardTransmit"), "SCardTransmit(0x0, null"));
}

}  // namespace
}  // namespace kestrova
