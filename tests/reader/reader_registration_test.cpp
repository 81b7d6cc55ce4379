#include "reader/reader_registration.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reader/card_service.h"
#include "reader/reader_operations.h"
#include "reader/result_codes.h"
#include "reader/service_context.h"
#include "reader/slot_connection.h"
#include "tests/reader/simulated_service_fixture.h"

namespace kestrova {
namespace {

using testing::RegisterInto;
using testing::SimulatedServiceTest;
using Calls = std::vector<std::string>;

class ReaderRegistrationTest : public SimulatedServiceTest {
  protected:
    // Slot 1 holds Reader A's card exclusively, as after a page's connect.
    static void ConnectReaderAInSlot1() {
        std::int32_t slot = 0;
        std::int32_t readerCount = 1;
        std::int32_t textLength = 0;
        AtrText text{};
        ASSERT_EQ(OpenCard("Reader A", slot, readerCount, textLength, text), kResultSuccess);
        ASSERT_EQ(slot, 1);
        ASSERT_NE(TheCardService().currentCard, 0);
    }
};

TEST_F(ReaderRegistrationTest, AnsweringCardRegistersTheReaderAndClosesTheTestConnection) {
    AddReaderWithCard("Reader A");
    ASSERT_EQ(OpenCardContext(), kResultSuccess);
    StartLog();
    std::int32_t slot = 0;
    EXPECT_EQ(RegisterInto("Reader A", slot), kResultSuccess);
    EXPECT_EQ(slot, 1);
    EXPECT_EQ(Slot(1).registered, 1);
    EXPECT_EQ(SlotName(1), "Reader A");
    EXPECT_EQ(Slot(1).card, 0) << "a registered reader holds no connection";
    EXPECT_EQ(TheCardService().currentCard, 0);
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect", "SCardDisconnect", "pause 100"}));
    EXPECT_TRUE(Contains(OnlyEvent("SCardConnect"),
                         "SCARD_SHARE_EXCLUSIVE, SCARD_PROTOCOL_T0|SCARD_PROTOCOL_T1"));
    EXPECT_TRUE(Contains(OnlyEvent("SCardDisconnect"), "SCARD_RESET_CARD"));
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 0);
}

TEST_F(ReaderRegistrationTest, AnEmptyReaderIsNotRegisteredAndNothingIsClosed) {
    AddEmptyReader("Reader A");
    std::int32_t slot = 5;
    StartLog();
    EXPECT_EQ(RegisterInto("Reader A", slot), static_cast<std::int32_t>(0x8010000CU));
    EXPECT_EQ(slot, 5);
    EXPECT_EQ(Slot(1).registered, 0);
    EXPECT_EQ(SlotName(1), "");
    EXPECT_EQ(CallNames(), (Calls{"SCardEstablishContext", "SCardConnect"}));
}

TEST_F(ReaderRegistrationTest, ARegisteredReaderIsFoundByNamePrefixCaseSensitively) {
    AddReaderWithCard("Reader A 0");
    AddReaderWithCard("reader a 0");
    std::int32_t slot = 0;
    ASSERT_EQ(RegisterInto("Reader A 0", slot), kResultSuccess);
    ASSERT_EQ(slot, 1);

    StartLog();
    slot = 0;
    EXPECT_EQ(RegisterInto("Reader A", slot), kResultSuccess) << "prefix of the registered name";
    EXPECT_EQ(slot, 1);
    EXPECT_TRUE(sim::Events().empty()) << "found without a test connection";

    slot = 0;
    EXPECT_EQ(RegisterInto("reader a 0", slot), kResultSuccess) << "another case: a new reader";
    EXPECT_EQ(slot, 2);
    EXPECT_EQ(SlotName(2), "reader a 0");
}

TEST_F(ReaderRegistrationTest, OurOwnConnectionOnTheReaderIsClosedInsteadOfTheTestConnection) {
    AddReaderWithCard("Reader A");
    ConnectReaderAInSlot1();
    const SCARDHANDLE ownCard = TheCardService().currentCard;

    // Opening the reader again clears the names: the exclusive test
    // connection meets our own connection.
    std::int32_t slot = 0;
    std::int32_t readerCount = 1;
    StartLog();
    EXPECT_EQ(OpenReader("Reader A", slot, readerCount), kResultSuccess);
    EXPECT_EQ(slot, 1);
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect", "SCardDisconnect", "pause 100"}));
    EXPECT_TRUE(Contains(OnlyEvent("SCardConnect"), "SCARD_E_SHARING_VIOLATION"));
    EXPECT_TRUE(Contains(OnlyEvent("SCardDisconnect"),
                         "SCardDisconnect(" + HandleText(ownCard) + ", SCARD_RESET_CARD)"));
    EXPECT_EQ(TheCardService().currentCard, 0);
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 0);
}

TEST_F(ReaderRegistrationTest, ABusyReaderWithoutAConnectionOfOursIsRegisteredSilently) {
    AddReaderWithCard("Reader A");
    ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, SCARD_E_SHARING_VIOLATION));
    std::int32_t slot = 0;
    ASSERT_EQ(OpenCardContext(), kResultSuccess);
    StartLog();
    EXPECT_EQ(RegisterInto("Reader A", slot), kResultSuccess);
    EXPECT_EQ(slot, 1);
    EXPECT_EQ(SlotName(1), "Reader A");
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect"}));
}

TEST_F(ReaderRegistrationTest, TheTwoWarningsRegisterAndAreReturnedWhenNothingWasClosed) {
    for (LONG warning : {SCARD_W_REMOVED_CARD, SCARD_W_UNRESPONSIVE_CARD}) {
        SCOPED_TRACE(warning);
        TearDown();
        SetUp();
        AddReaderWithCard("Reader A");
        ASSERT_EQ(OpenCardContext(), kResultSuccess);
        ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, warning));
        StartLog();
        std::int32_t slot = 0;
        EXPECT_EQ(RegisterInto("Reader A", slot), NarrowResult(warning));
        EXPECT_EQ(slot, 1);
        EXPECT_EQ(Slot(1).registered, 1);
        EXPECT_EQ(CallNames(), (Calls{"SCardConnect"}));
    }
}

// A warning from the test connection closes the reader's own connection, the
// one that may hold the reader; another reader's is left alone, and the
// warning is then the result.
TEST_F(ReaderRegistrationTest, AWarningClosesTheReadersOwnConnectionOnly) {
    struct Case {
        const char* reader;
        std::int32_t result;
        Calls calls;
        int readerAConnections;
    };
    for (LONG warning : {SCARD_W_REMOVED_CARD, SCARD_W_UNRESPONSIVE_CARD}) {
        for (const Case& c : {Case{"Reader A", kResultSuccess,
                                   Calls{"SCardConnect", "SCardDisconnect", "pause 100"}, 0},
                              Case{"Reader B", NarrowResult(warning), Calls{"SCardConnect"}, 1}}) {
            SCOPED_TRACE(std::to_string(warning) + " " + c.reader);
            TearDown();
            SetUp();
            AddReaderWithCard("Reader A");
            AddReaderWithCard("Reader B");
            ConnectReaderAInSlot1();
            ASSERT_EQ(OpenCardContext(c.reader), kResultSuccess);
            ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, warning));
            StartLog();
            std::int32_t slot = 0;
            EXPECT_EQ(RegisterInto(c.reader, slot), c.result);
            EXPECT_EQ(CallNames(), c.calls);
            EXPECT_EQ(sim::ConnectionCount("Reader A"), c.readerAConnections);
        }
    }
}

TEST_F(ReaderRegistrationTest, OtherFailuresOfTheTestConnectionRegisterNothing) {
    AddReaderWithCard("Reader A");
    AddReaderWithCard("Reader B");
    ConnectReaderAInSlot1();
    ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, SCARD_E_READER_UNAVAILABLE));
    StartLog();
    std::int32_t slot = 0;
    EXPECT_EQ(RegisterInto("Reader B", slot), NarrowResult(SCARD_E_READER_UNAVAILABLE));
    EXPECT_EQ(slot, 0);
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect"}));
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 1) << "nothing was closed";
}

TEST_F(ReaderRegistrationTest, ANameOf64CharactersOrMoreIsRefusedBeforeAnyConnection) {
    const std::string tooLong(64, 'X');
    AddReaderWithCard(tooLong);
    ASSERT_EQ(OpenCardContext(), kResultSuccess);
    StartLog();
    std::int32_t slot = 3;
    EXPECT_EQ(RegisterInto(tooLong.c_str(), slot), kResultReaderNameTooLong);
    EXPECT_EQ(RegisterInto(std::string(300, 'Y').c_str(), slot), kResultReaderNameTooLong);
    EXPECT_EQ(slot, 3);
    EXPECT_TRUE(sim::Events().empty());
    for (const ReaderSlot& each : TheCardService().slots) {
        EXPECT_EQ(each.registered, 0);
    }

    const std::string longest(63, 'L');
    AddReaderWithCard(longest);
    EXPECT_EQ(RegisterInto(longest.c_str(), slot), kResultSuccess);
    EXPECT_EQ(SlotName(1), longest);
    EXPECT_EQ(Slot(1).readerName.back(), '\0');
}

TEST_F(ReaderRegistrationTest, NoReaderNameIsRefused) {
    std::int32_t slot = 0;
    EXPECT_EQ(RegisterInto(nullptr, slot), kResultNoReaderName);
    std::int32_t readerCount = 0;
    EXPECT_EQ(OpenReader(nullptr, slot, readerCount), kResultNoReaderName);
    EXPECT_EQ(ReleaseReader(nullptr), kResultSuccess);
}

TEST_F(ReaderRegistrationTest, WithAllSixteenSlotsTakenTheReaderIsRefusedAndItsConnectionClosed) {
    for (int i = 1; i <= 17; ++i) {
        AddReaderWithCard("Reader " + std::to_string(i));
    }
    for (int i = 1; i <= 16; ++i) {
        std::int32_t slot = 0;
        ASSERT_EQ(RegisterInto(("Reader " + std::to_string(i)).c_str(), slot), kResultSuccess);
        ASSERT_EQ(slot, i);
    }
    StartLog();
    std::int32_t slot = 99;
    EXPECT_EQ(RegisterInto("Reader 17", slot), kResultNoFreeSlot);
    EXPECT_EQ(slot, 99);
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect", "SCardDisconnect", "pause 100"}));
    EXPECT_EQ(sim::ConnectionCount("Reader 17"), 0);

    // Releasing it then disconnects nothing rather than some other slot.
    StartLog();
    EXPECT_EQ(ReleaseReader("Reader 17"), kResultSuccess);
    EXPECT_TRUE(EventsStartingWith("pause 200").empty());
    EXPECT_EQ(SlotName(1), "Reader 1");
}

TEST_F(ReaderRegistrationTest, OpenReaderAlwaysLandsInSlot1AndCountsAtLeastOneReader) {
    AddReaderWithCard("Reader A");
    AddReaderWithCard("Reader B");
    std::int32_t slot = 0;
    ASSERT_EQ(RegisterInto("Reader A", slot), kResultSuccess);
    ASSERT_EQ(RegisterInto("Reader B", slot), kResultSuccess);
    ASSERT_EQ(slot, 2);

    std::int32_t readerCount = 0;
    EXPECT_EQ(OpenReader("Reader B", slot, readerCount), kResultSuccess);
    EXPECT_EQ(slot, 1) << "opening clears the names, so the lookup finds nothing";
    EXPECT_EQ(readerCount, 1);

    readerCount = 3;
    EXPECT_EQ(OpenReader("Reader A", slot, readerCount), kResultSuccess);
    EXPECT_EQ(readerCount, 3);
}

TEST_F(ReaderRegistrationTest, OpenReaderPassesOnAFailedTestConnection) {
    AddEmptyReader("Reader A");
    std::int32_t slot = 0;
    std::int32_t readerCount = 0;
    EXPECT_EQ(OpenReader("Reader A", slot, readerCount), static_cast<std::int32_t>(0x8010000CU));
    EXPECT_EQ(readerCount, 0);
    EXPECT_EQ(Slot(1).registered, 0);
}

TEST_F(ReaderRegistrationTest, ReleaseReaderDisconnectsTheReadersSlotWithAReset) {
    AddReaderWithCard("Reader A");
    ConnectReaderAInSlot1();
    StartLog();
    EXPECT_EQ(ReleaseReader("Reader A"), kResultSuccess);
    EXPECT_EQ(CallNames(), (Calls{"SCardDisconnect", "pause 200"}));
    EXPECT_TRUE(Contains(OnlyEvent("SCardDisconnect"), "SCARD_RESET_CARD"));
    EXPECT_EQ(Slot(1).registered, 0);
    EXPECT_EQ(SlotName(1), "");
    EXPECT_EQ(Slot(1).card, 0);
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 0);
}

TEST_F(ReaderRegistrationTest, ReleasingAReaderThatWasNeverConnectedAndHoldsNoCardDoesNothing) {
    AddEmptyReader("Reader A");
    ASSERT_EQ(OpenCardContext(), kResultSuccess);
    StartLog();
    EXPECT_EQ(ReleaseReader("Reader A"), kResultSuccess);
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect"}));
}

}  // namespace
}  // namespace kestrova
