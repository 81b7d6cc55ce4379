#include "reader/slot_connection.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reader/card_service.h"
#include "reader/reader_registration.h"
#include "reader/result_codes.h"
#include "reader/service_context.h"
#include "tests/reader/simulated_service_fixture.h"

namespace kestrova {
namespace {

using testing::RegisterInto;
using testing::SimulatedServiceTest;
using Calls = std::vector<std::string>;

// The simulated service's own functions, for a second application that holds
// a reader while the card layer works.
class OtherApplication {
  public:
    OtherApplication() {
        EXPECT_EQ(SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context_),
                  SCARD_S_SUCCESS);
    }
    ~OtherApplication() { SCardReleaseContext(context_); }
    OtherApplication(const OtherApplication&) = delete;
    OtherApplication& operator=(const OtherApplication&) = delete;

    void Connect(const char* reader, DWORD shareMode) {
        DWORD protocol = 0;
        ASSERT_EQ(SCardConnect(context_, reader, shareMode, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1,
                               &card_, &protocol),
                  SCARD_S_SUCCESS);
    }

  private:
    SCARDCONTEXT context_ = 0;
    SCARDHANDLE card_ = 0;
};

class SlotConnectionTest : public SimulatedServiceTest {
  protected:
    // Registers each reader in turn (slots 1, 2, ...), leaving no connection.
    static void Register(std::initializer_list<const char*> readers) {
        for (const char* reader : readers) {
            std::int32_t slot = 0;
            ASSERT_EQ(RegisterInto(reader, slot), kResultSuccess) << reader;
        }
    }

    static std::int32_t Connect(std::int32_t slot, std::int32_t shareSelector = 1) {
        atrLength_ = 0;
        atr_ = {};
        return ConnectSlot(slot, shareSelector, atrLength_, atr_);
    }

    static inline std::int32_t atrLength_ = 0;
    static inline AtrBuffer atr_{};
};

TEST_F(SlotConnectionTest, ConnectsExclusivelyAndReadsTheAnswerToReset) {
    AddReaderWithCard("Reader A", sim::Protocol::kT1, {0x3B, 0x8A, 0x80, 0x01});
    Register({"Reader A"});
    StartLog();
    ASSERT_EQ(Connect(1), kResultSuccess);
    EXPECT_EQ(atrLength_, 4);
    EXPECT_EQ(atr_[0], 0x3B);
    EXPECT_EQ(atr_[3], 0x01);
    EXPECT_EQ(atr_[4], 0x00);
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect", "SCardStatus"}));
    EXPECT_TRUE(Contains(OnlyEvent("SCardConnect"),
                         "SCARD_SHARE_EXCLUSIVE, SCARD_PROTOCOL_T0|SCARD_PROTOCOL_T1"));
    EXPECT_TRUE(Contains(OnlyEvent("SCardStatus"), ", 64, 256)"));
    EXPECT_EQ(Slot(1).card, TheCardService().currentCard);
    EXPECT_NE(Slot(1).card, 0);
    EXPECT_EQ(Slot(1).sendPci, ProtocolRecord::kT1);
    EXPECT_EQ(SendPciOf(Slot(1)), TheCardService().functions.t1Pci);
    EXPECT_EQ(TheCardService().activeProtocol, static_cast<DWORD>(SCARD_PROTOCOL_T1));
}

TEST_F(SlotConnectionTest, TheShareSelectorChoosesTheShareMode) {
    const std::vector<std::pair<std::int32_t, std::string>> cases{{1, "SCARD_SHARE_EXCLUSIVE"},
                                                                  {0, "SCARD_SHARE_DIRECT"},
                                                                  {2, "SCARD_SHARE_SHARED"},
                                                                  {-7, "SCARD_SHARE_SHARED"}};
    for (const auto& [selector, mode] : cases) {
        SCOPED_TRACE(selector);
        TearDown();
        SetUp();
        AddReaderWithCard("Reader A");
        Register({"Reader A"});
        StartLog();
        Connect(1, selector);
        EXPECT_TRUE(Contains(EventsStartingWith("SCardConnect").at(0), mode));
    }
}

TEST_F(SlotConnectionTest, AFailedConnectReconnectsTheLatestConnectionAfter150Ms) {
    AddReaderWithCard("Reader A");
    Register({"Reader A"});
    ASSERT_EQ(Connect(1), kResultSuccess);
    const SCARDHANDLE latest = TheCardService().currentCard;

    ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, SCARD_E_READER_UNAVAILABLE));
    StartLog();
    EXPECT_EQ(Connect(1), kResultSuccess);
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect", "pause 150", "SCardReconnect", "SCardStatus"}));
    EXPECT_TRUE(Contains(OnlyEvent("SCardReconnect"),
                         "SCardReconnect(" + HandleText(latest) +
                             ", SCARD_SHARE_EXCLUSIVE, SCARD_PROTOCOL_T0|SCARD_PROTOCOL_T1, "
                             "SCARD_RESET_CARD)"));
    EXPECT_EQ(TheCardService().currentCard, latest);
    EXPECT_EQ(Slot(1).card, latest);
}

// Whatever a connect of reader B meets, reader A's connection, the latest one,
// is neither reconnected nor taken over: it stays A's, and A's alone.
TEST_F(SlotConnectionTest, AnotherSlotsConnectionIsNeverReconnectedOrTakenOver) {
    const std::vector<std::pair<LONG, Calls>> cases{
        {SCARD_E_READER_UNAVAILABLE, {"SCardConnect"}},
        {SCARD_W_REMOVED_CARD, {"SCardConnect"}},
        {SCARD_W_UNRESPONSIVE_CARD, {"SCardConnect"}},
        {SCARD_E_SHARING_VIOLATION,
         {"SCardConnect", "SCardConnect", "SCardBeginTransaction", "SCardStatus"}}};
    for (const auto& [failure, calls] : cases) {
        SCOPED_TRACE(failure);
        TearDown();
        SetUp();
        AddReaderWithCard("Reader A", sim::Protocol::kT1);
        AddReaderWithCard("Reader B");
        Register({"Reader A", "Reader B"});
        ASSERT_EQ(Connect(1), kResultSuccess);
        const SCARDHANDLE readerA = Slot(1).card;
        ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, failure));
        StartLog();
        Connect(2);
        EXPECT_EQ(CallNames(), calls);
        EXPECT_NE(Slot(2).card, readerA);
        EXPECT_EQ(Slot(1).card, readerA);
        EXPECT_EQ(SlotName(1), "Reader A");
        EXPECT_EQ(Slot(1).sendPci, ProtocolRecord::kT1);
        EXPECT_TRUE(EventsStartingWith("SCardReconnect").empty());
        EXPECT_EQ(sim::ConnectionCount("Reader A"), 1);
    }
}

TEST_F(SlotConnectionTest, WithoutALatestConnectionTheSlotsOwnIsReconnectedAfter100Ms) {
    AddReaderWithCard("Reader A");
    Register({"Reader A"});
    ASSERT_EQ(Connect(1), kResultSuccess);
    const SCARDHANDLE own = Slot(1).card;
    TheCardService().currentCard = 0;  // as after a test connection that was closed

    ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, SCARD_E_PROTO_MISMATCH));
    StartLog();
    EXPECT_EQ(Connect(1), kResultSuccess);
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect", "pause 100", "SCardReconnect", "SCardStatus"}));
    EXPECT_TRUE(Contains(OnlyEvent("SCardReconnect"), "SCardReconnect(" + HandleText(own)));
    EXPECT_EQ(Slot(1).card, own);
    EXPECT_EQ(TheCardService().currentCard, 0) << "the slot's own reconnect is not the latest";
}

TEST_F(SlotConnectionTest, EachFallbackIsTriedOnceAndItsFailureReturned) {
    AddReaderWithCard("Reader A", sim::Protocol::kT1);
    Register({"Reader A"});
    ASSERT_EQ(Connect(1), kResultSuccess);
    const SCARDHANDLE own = Slot(1).card;
    ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, SCARD_E_READER_UNAVAILABLE));
    ASSERT_TRUE(sim::FailNextCalls("SCardReconnect", 1, SCARD_E_NO_SMARTCARD));
    StartLog();
    EXPECT_EQ(Connect(1), NarrowResult(SCARD_E_NO_SMARTCARD));
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect", "pause 150", "SCardReconnect"}));
    EXPECT_EQ(Slot(1).card, own) << "a failed connect leaves the slot's card in place";
    EXPECT_EQ(Slot(1).sendPci, ProtocolRecord::kT1) << "unchanged by a failed connect";
}

TEST_F(SlotConnectionTest, WithNoHandleAtAllAFailedConnectIsReturnedAtOnce) {
    AddReaderWithCard("Reader A");
    Register({"Reader A"});
    ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, SCARD_E_READER_UNAVAILABLE));
    StartLog();
    EXPECT_EQ(Connect(1), NarrowResult(SCARD_E_READER_UNAVAILABLE));
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect"}));
}

TEST_F(SlotConnectionTest, ASharingViolationKeepsTheSlotsOwnLatestConnection) {
    AddReaderWithCard("Reader A", sim::Protocol::kT1);
    Register({"Reader A"});
    ASSERT_EQ(Connect(1), kResultSuccess);
    const SCARDHANDLE latest = TheCardService().currentCard;

    ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, SCARD_E_SHARING_VIOLATION));
    StartLog();
    EXPECT_EQ(Connect(1), kResultSuccess);
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect", "SCardStatus"}));
    EXPECT_EQ(Slot(1).card, latest);
    EXPECT_TRUE(Contains(OnlyEvent("SCardStatus"), "SCardStatus(" + HandleText(latest)));
}

TEST_F(SlotConnectionTest, AReaderBusyWithAnotherApplicationIsSharedInsideATransaction) {
    AddReaderWithCard("Reader A");
    Register({"Reader A"});
    OtherApplication other;
    other.Connect("Reader A", SCARD_SHARE_SHARED);
    StartLog();
    EXPECT_EQ(Connect(1), kResultSuccess);
    EXPECT_EQ(CallNames(),
              (Calls{"SCardConnect", "SCardConnect", "SCardBeginTransaction", "SCardStatus"}));
    std::vector<std::string> connects = EventsStartingWith("SCardConnect");
    EXPECT_TRUE(Contains(connects.at(0), "SCARD_SHARE_EXCLUSIVE"));
    EXPECT_TRUE(Contains(connects.at(0), "SCARD_E_SHARING_VIOLATION"));
    EXPECT_TRUE(Contains(connects.at(1), "SCARD_SHARE_SHARED"));
    EXPECT_TRUE(Contains(OnlyEvent("SCardBeginTransaction"), "SCARD_S_SUCCESS"));
    EXPECT_EQ(Slot(1).card, TheCardService().currentCard);
    EXPECT_NE(Slot(1).card, 0);
}

TEST_F(SlotConnectionTest, AReaderHeldExclusivelyElsewhereStillEndsInABeginTransaction) {
    AddReaderWithCard("Reader A");
    Register({"Reader A"});
    OtherApplication other;
    other.Connect("Reader A", SCARD_SHARE_EXCLUSIVE);
    StartLog();
    EXPECT_EQ(Connect(1), NarrowResult(SCARD_E_SHARING_VIOLATION));
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect", "SCardConnect", "SCardBeginTransaction"}))
        << "the transaction is asked for whatever the shared connect gave";
    EXPECT_EQ(Slot(1).card, 0);
}

TEST_F(SlotConnectionTest, AWarningKeepsTheHandleItTookButReadsNoStatus) {
    for (LONG warning : {SCARD_W_REMOVED_CARD, SCARD_W_UNRESPONSIVE_CARD}) {
        SCOPED_TRACE(warning);
        TearDown();
        SetUp();
        AddReaderWithCard("Reader A");
        Register({"Reader A"});
        ASSERT_EQ(Connect(1), kResultSuccess);
        const SCARDHANDLE latest = TheCardService().currentCard;
        ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, warning));
        StartLog();
        EXPECT_EQ(Connect(1), NarrowResult(warning));
        EXPECT_EQ(CallNames(), (Calls{"SCardConnect"}));
        EXPECT_EQ(Slot(1).card, latest);
        EXPECT_EQ(atrLength_, 0);
    }
}

TEST_F(SlotConnectionTest, SlotNumbersOutside1To16AndAClosedContextAreRefused) {
    AddReaderWithCard("Reader A");
    std::int32_t atrLength = 0;
    AtrBuffer atr{};
    for (std::int32_t slot : {0, 17, -1}) {
        EXPECT_EQ(ConnectSlot(slot, 1, atrLength, atr), kResultBadSlot);
        EXPECT_EQ(RefreshSlot(slot, atrLength, atr), kResultBadSlot);
        EXPECT_EQ(DisconnectSlot(slot, 2), kResultBadSlot);
    }
    EXPECT_EQ(ConnectSlot(1, 1, atrLength, atr), kResultContextNotOpen);
    EXPECT_EQ(RefreshSlot(16, atrLength, atr), kResultContextNotOpen);
    EXPECT_TRUE(sim::Events().empty());
}

TEST_F(SlotConnectionTest, RefreshReadsTheLatestConnectionAndReportsARemovedCard) {
    AddReaderWithCard("Reader A", sim::Protocol::kT0, {0x3B, 0x00});
    Register({"Reader A"});
    ASSERT_EQ(Connect(1), kResultSuccess);
    Slot(1).card = 0;
    std::int32_t atrLength = 0;
    AtrBuffer atr{};
    EXPECT_EQ(RefreshSlot(1, atrLength, atr), kResultSuccess);
    EXPECT_EQ(atrLength, 2);
    EXPECT_EQ(Slot(1).card, TheCardService().currentCard) << "the slot takes the latest handle";

    ASSERT_TRUE(sim::RemoveCard("Reader A"));
    EXPECT_EQ(RefreshSlot(1, atrLength, atr), NarrowResult(SCARD_W_REMOVED_CARD));
}

TEST_F(SlotConnectionTest, RefreshWithoutAnyConnectionDeliversNothingAndSucceeds) {
    AddReaderWithCard("Reader A");
    Register({"Reader A"});
    StartLog();
    std::int32_t atrLength = 77;
    AtrBuffer atr{};
    EXPECT_EQ(RefreshSlot(1, atrLength, atr), kResultSuccess);
    EXPECT_EQ(atrLength, 77);
    EXPECT_TRUE(sim::Events().empty());
}

TEST_F(SlotConnectionTest, TheDispositionSelectorChoosesTheDisposition) {
    const std::vector<std::pair<std::int32_t, std::string>> cases{{0, "SCARD_EJECT_CARD"},
                                                                  {1, "SCARD_LEAVE_CARD"},
                                                                  {2, "SCARD_RESET_CARD"},
                                                                  {3, "SCARD_UNPOWER_CARD"},
                                                                  {-1, "SCARD_UNPOWER_CARD"}};
    for (const auto& [selector, disposition] : cases) {
        SCOPED_TRACE(selector);
        TearDown();
        SetUp();
        AddReaderWithCard("Reader A");
        Register({"Reader A"});
        ASSERT_EQ(Connect(1), kResultSuccess);
        StartLog();
        DisconnectSlot(1, selector);
        EXPECT_EQ(CallNames(), (Calls{"SCardDisconnect", "pause 200"}));
        EXPECT_TRUE(Contains(OnlyEvent("SCardDisconnect"), disposition));
    }
}

TEST_F(SlotConnectionTest, DisconnectEmptiesTheSlotAndForgetsTheLatestConnection) {
    AddReaderWithCard("Reader A");
    Register({"Reader A"});
    ASSERT_EQ(Connect(1), kResultSuccess);
    EXPECT_EQ(DisconnectSlot(1, 2), kResultSuccess);
    EXPECT_EQ(Slot(1).registered, 0);
    EXPECT_EQ(SlotName(1), "");
    EXPECT_EQ(Slot(1).card, 0);
    EXPECT_EQ(TheCardService().currentCard, 0);
    EXPECT_EQ(Slot(1).sendPci, ProtocolRecord::kT0) << "the protocol record is never cleared";

    // A slot without a card still pauses, and disconnects nothing.
    StartLog();
    EXPECT_EQ(DisconnectSlot(1, 2), kResultSuccess);
    EXPECT_EQ(CallNames(), (Calls{"pause 200"}));
}

TEST_F(SlotConnectionTest, TheServicesDisconnectFailureIsReturnedAfterTheSlotIsEmptied) {
    AddReaderWithCard("Reader A");
    Register({"Reader A"});
    ASSERT_EQ(Connect(1), kResultSuccess);
    ASSERT_TRUE(sim::FailNextCalls("SCardDisconnect", 1, SCARD_E_INVALID_HANDLE));
    EXPECT_EQ(DisconnectSlot(1, 2), NarrowResult(SCARD_E_INVALID_HANDLE));
    EXPECT_EQ(Slot(1).card, 0);
}

TEST_F(SlotConnectionTest, CloseForgetsConnectionsWithoutDisconnectingAndUnbinds) {
    AddReaderWithCard("Reader A");
    Register({"Reader A"});
    ASSERT_EQ(Connect(1), kResultSuccess);
    StartLog();
    EXPECT_EQ(CloseCardService(), kResultSuccess);
    EXPECT_EQ(CallNames(), (Calls{"SCardReleaseContext"}));
    EXPECT_EQ(Slot(1).card, 0);
    EXPECT_EQ(SlotName(1), "");
    EXPECT_EQ(Slot(1).registered, 1) << "kept until the next context clears it";
    EXPECT_EQ(TheCardService().contextOpen, 0);
    EXPECT_EQ(TheCardService().library, nullptr);
    EXPECT_EQ(Slot(1).sendPci, ProtocolRecord::kT0) << "the slot keeps its protocol";
    EXPECT_EQ(SendPciOf(Slot(1)), nullptr) << "but no address into the unloaded service";

    ASSERT_EQ(OpenCardContext(), kResultSuccess);
    EXPECT_EQ(Slot(1).registered, 0);
}

TEST_F(SlotConnectionTest, OpeningTheContextAgainClearsNamesButKeepsRegistrationsAndCards) {
    AddReaderWithCard("Reader A");
    Register({"Reader A"});
    ASSERT_EQ(Connect(1), kResultSuccess);
    const SCARDHANDLE card = Slot(1).card;
    StartLog();
    ASSERT_EQ(OpenCardContext(), kResultSuccess);
    EXPECT_TRUE(sim::Events().empty()) << "not established again";
    EXPECT_EQ(SlotName(1), "");
    EXPECT_EQ(Slot(1).registered, 1);
    EXPECT_EQ(Slot(1).card, card);
}

}  // namespace
}  // namespace kestrova
