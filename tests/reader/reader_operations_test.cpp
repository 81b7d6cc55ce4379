#include "reader/reader_operations.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reader/result_codes.h"
#include "tests/reader/simulated_service_fixture.h"

namespace kestrova {
namespace {

using testing::SimulatedServiceTest;
using Calls = std::vector<std::string>;

class OpenCardTest : public SimulatedServiceTest {
  protected:
    std::int32_t Open(const char* name) {
        textLength_ = 0;
        text_ = {};
        return OpenCard(name, slot_, readerCount_, textLength_, text_);
    }

    std::string Text() const {
        return std::string(text_.data(), static_cast<std::size_t>(textLength_));
    }

    std::int32_t slot_ = 7;
    std::int32_t readerCount_ = 0;
    std::int32_t textLength_ = 0;
    AtrText text_{};
};

TEST_F(OpenCardTest, RegistersInSlot1ConnectsExclusivelyAndGivesTheAtrAsUppercaseHex) {
    AddReaderWithCard("Reader A", sim::Protocol::kT0,
                      {0x3B, 0xEF, 0x00, 0xFF, 0x81, 0x31, 0xab, 0x45});
    StartLog();
    ASSERT_EQ(Open("Reader A"), kResultSuccess);
    EXPECT_EQ(slot_, 1);
    EXPECT_EQ(readerCount_, 1);
    EXPECT_EQ(textLength_, 16);
    EXPECT_EQ(Text(), "3BEF00FF8131AB45");
    EXPECT_EQ(text_[16], '\0') << "nothing written past the text";
    EXPECT_EQ(CallNames(), (Calls{"SCardEstablishContext", "SCardConnect", "SCardDisconnect",
                                  "pause 100", "SCardConnect", "SCardStatus"}));
    std::vector<std::string> connects = EventsStartingWith("SCardConnect");
    EXPECT_TRUE(Contains(connects.at(1), "SCARD_SHARE_EXCLUSIVE"));
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 1) << "the card stays connected";
}

TEST_F(OpenCardTest, TheLongestAnswerToResetGives66Characters) {
    sim::Bytes atr(33, 0x5A);
    atr[0] = 0x3B;
    AddReaderWithCard("Reader A", sim::Protocol::kT1, atr);
    ASSERT_EQ(Open("Reader A"), kResultSuccess);
    EXPECT_EQ(textLength_, 66);
    std::string expected = "3B";
    for (int i = 1; i < 33; ++i) {
        expected += "5A";
    }
    EXPECT_EQ(Text(), expected);
}

TEST_F(OpenCardTest, AnEmptyReaderFailsWithTheServicesCode) {
    AddEmptyReader("Reader A");
    EXPECT_EQ(Open("Reader A"), static_cast<std::int32_t>(0x8010000CU));
    EXPECT_EQ(slot_, 0) << "cleared at the start";
    EXPECT_EQ(textLength_, 0);
}

TEST_F(OpenCardTest, AFailedOpenIsRetriedOnceAfterReleasingTheReader) {
    AddReaderWithCard("Reader A");
    ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, SCARD_E_READER_UNAVAILABLE));
    StartLog();
    ASSERT_EQ(Open("Reader A"), kResultSuccess);
    EXPECT_EQ(CallNames(),
              (Calls{"SCardEstablishContext", "SCardConnect",         // open fails
                     "SCardConnect", "SCardDisconnect", "pause 100",  // release registers
                     "pause 200",                                     // and empties slot 1
                     "SCardConnect", "SCardDisconnect", "pause 100",  // open again
                     "SCardConnect", "SCardStatus"}));
    EXPECT_EQ(slot_, 1);
}

TEST_F(OpenCardTest, ATodosEcodeConnectableReaderGetsASecondConnectAtOnce) {
    for (const char* name : {"Todos eCode Connectable II 0", "TODOS ECODE CONNECTABLE 1"}) {
        SCOPED_TRACE(name);
        TearDown();
        SetUp();
        AddReaderWithCard(name);
        // The test connection passes; the card connection fails once.
        ASSERT_TRUE(sim::FailCallsAfter("SCardConnect", 1, 1, SCARD_E_PROTO_MISMATCH));
        StartLog();
        ASSERT_EQ(Open(name), kResultSuccess);
        EXPECT_EQ(CallNames(), (Calls{"SCardEstablishContext", "SCardConnect", "SCardDisconnect",
                                      "pause 100", "SCardConnect", "SCardConnect", "SCardStatus"}));
        EXPECT_EQ(textLength_, 8);
    }
}

TEST_F(OpenCardTest, AnyOtherReaderFailsAtTheFirstFailedConnect) {
    AddReaderWithCard("Todos eCode Connectabl");
    ASSERT_TRUE(sim::FailCallsAfter("SCardConnect", 1, 1, SCARD_E_PROTO_MISMATCH));
    StartLog();
    EXPECT_EQ(Open("Todos eCode Connectabl"), NarrowResult(SCARD_E_PROTO_MISMATCH));
    EXPECT_EQ(EventsStartingWith("SCardConnect").size(), 2U);
}

TEST_F(OpenCardTest, ASecondReaderGetsASlotOfItsOwnAndTheFirstStaysAsItWas) {
    AddReaderWithCard("Reader A");
    AddReaderWithCard("Reader B");
    ASSERT_EQ(Open("Reader A"), kResultSuccess);
    const SCARDHANDLE first = Slot(1).card;
    StartLog();
    ASSERT_EQ(Open("Reader B"), kResultSuccess);
    EXPECT_EQ(slot_, 2);
    EXPECT_EQ(Slot(1).card, first);
    EXPECT_EQ(SlotName(1), "Reader A");
    EXPECT_EQ(SlotName(2), "Reader B");
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 1);
    for (const std::string& event : EventsStartingWith("SCardDisconnect")) {
        EXPECT_FALSE(Contains(event, HandleText(first))) << "Reader A's card is never reset";
    }
}

TEST_F(OpenCardTest, OpeningTheSameReaderAgainClosesTheOldConnectionFirst) {
    AddReaderWithCard("Reader A");
    ASSERT_EQ(Open("Reader A"), kResultSuccess);
    ASSERT_EQ(Open("Reader A"), kResultSuccess);
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 1);
    EXPECT_EQ(textLength_, 8);
}

}  // namespace
}  // namespace kestrova
