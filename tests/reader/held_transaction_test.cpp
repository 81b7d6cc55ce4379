// The transaction taken on a reader that another application shares. pcscd
// holds every SCardConnect on a reader while any handle is in a transaction
// there; the simulated service reports such a connect as SCARD_E_TIMEOUT
// "[would wait for lock]" here, so a connect that would wait for our own
// transaction shows in the log instead of hanging the test.

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

using testing::SimulatedServiceTest;
using Calls = std::vector<std::string>;

// A second application on the simulated service, holding a reader shared.
class SharingApplication {
  public:
    explicit SharingApplication(const char* reader) {
        EXPECT_EQ(SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context_),
                  SCARD_S_SUCCESS);
        DWORD protocol = 0;
        EXPECT_EQ(SCardConnect(context_, reader, SCARD_SHARE_SHARED,
                               SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card_, &protocol),
                  SCARD_S_SUCCESS);
    }
    ~SharingApplication() { SCardReleaseContext(context_); }
    SharingApplication(const SharingApplication&) = delete;
    SharingApplication& operator=(const SharingApplication&) = delete;

    LONG BeginTransaction() { return SCardBeginTransaction(card_); }

  private:
    SCARDCONTEXT context_ = 0;
    SCARDHANDLE card_ = 0;
};

class HeldTransactionTest : public SimulatedServiceTest {
  protected:
    void SetUp() override {
        SimulatedServiceTest::SetUp();
        sim::ReportLockWaits(true);
    }

    // ConnectCard's operation.
    std::int32_t Open(const char* name) {
        textLength_ = 0;
        text_ = {};
        return OpenCard(name, slot_, readerCount_, textLength_, text_);
    }

    // Connects "Reader A", which another application holds shared: the card
    // layer shares it inside a transaction. Returns the handle that holds it.
    SCARDHANDLE OpenSharedReader() {
        EXPECT_EQ(Open("Reader A"), kResultSuccess);
        EXPECT_TRUE(Contains(OnlyEvent("SCardBeginTransaction"), "SCARD_S_SUCCESS"));
        return TheCardService().currentCard;
    }

    static std::string EndOf(SCARDHANDLE card) {
        return "SCardEndTransaction(" + HandleText(card) + ", SCARD_LEAVE_CARD)";
    }

    static bool AnyConnectWouldWait() {
        for (const std::string& connect : EventsStartingWith("SCardConnect")) {
            if (Contains(connect, "[would wait for lock]")) {
                return true;
            }
        }
        return false;
    }

    std::int32_t slot_ = 0;
    std::int32_t readerCount_ = 0;
    std::int32_t textLength_ = 0;
    AtrText text_{};
};

TEST_F(HeldTransactionTest, ConnectCardAgainEndsOurTransactionBeforeItsTestConnection) {
    AddReaderWithCard("Reader A");
    SharingApplication other("Reader A");
    SCARDHANDLE holder = OpenSharedReader();
    ASSERT_NE(holder, 0);

    // Every round finds the transaction of the round before.
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        StartLog();
        ASSERT_EQ(Open("Reader A"), kResultSuccess);
        EXPECT_EQ(textLength_, 8);
        EXPECT_FALSE(AnyConnectWouldWait());
        EXPECT_EQ(CallNames(),
                  (Calls{"SCardEndTransaction", "SCardConnect", "SCardDisconnect", "pause 100",
                         "SCardConnect", "SCardConnect", "SCardBeginTransaction", "SCardStatus"}));
        EXPECT_EQ(OnlyEvent("SCardEndTransaction"), EndOf(holder) + " -> SCARD_S_SUCCESS");
        EXPECT_TRUE(Contains(OnlyEvent("SCardDisconnect"), HandleText(holder)))
            << "the test connection met our own handle and closed it";
        holder = TheCardService().currentCard;
        EXPECT_TRUE(Contains(OnlyEvent("SCardBeginTransaction"),
                             "(" + HandleText(holder) + ") -> SCARD_S_SUCCESS"));
        EXPECT_EQ(sim::ConnectionCount("Reader A"), 2) << "the other application's and ours";
    }
}

// The transaction is ended so that our own connect is not held up by it, and
// taken again when the slot goes on with the same shared handle: no other
// application's commands reach the card between ours.
TEST_F(HeldTransactionTest, ConnectSlotAgainEndsOurTransactionAndTakesItAgain) {
    AddReaderWithCard("Reader A");
    SharingApplication other("Reader A");
    const SCARDHANDLE holder = OpenSharedReader();

    for (int connect = 0; connect < 2; ++connect) {
        SCOPED_TRACE(connect);
        StartLog();
        std::int32_t atrLength = 0;
        AtrBuffer atr{};
        EXPECT_EQ(ConnectSlot(1, kShareExclusive, atrLength, atr), kResultSuccess);
        EXPECT_EQ(atrLength, 4);
        EXPECT_EQ(CallNames(), (Calls{"SCardEndTransaction", "SCardConnect",
                                      "SCardBeginTransaction", "SCardStatus"}));
        EXPECT_EQ(OnlyEvent("SCardEndTransaction"), EndOf(holder) + " -> SCARD_S_SUCCESS");
        EXPECT_TRUE(Contains(OnlyEvent("SCardConnect"), "SCARD_E_SHARING_VIOLATION"));
        EXPECT_TRUE(Contains(OnlyEvent("SCardBeginTransaction"), HandleText(holder)));
        EXPECT_EQ(Slot(1).card, holder) << "the slot goes on with the handle it had";
        EXPECT_EQ(TheCardService().transactionCard, holder);
    }
}

TEST_F(HeldTransactionTest, AnotherApplicationsTransactionIsNotOursToEnd) {
    AddReaderWithCard("Reader A");
    SharingApplication other("Reader A");
    ASSERT_EQ(other.BeginTransaction(), SCARD_S_SUCCESS);

    StartLog();
    EXPECT_EQ(Open("Reader A"), NarrowResult(SCARD_E_TIMEOUT));
    EXPECT_TRUE(EventsStartingWith("SCardEndTransaction").empty());
    EXPECT_TRUE(AnyConnectWouldWait()) << "pcscd waits here until the other application ends";
}

TEST_F(HeldTransactionTest, ClosingTheHandleOrTheServiceLeavesNothingToEnd) {
    const std::vector<std::string> closings{"DisconnectSlot", "CloseCardService"};
    for (const std::string& closing : closings) {
        SCOPED_TRACE(closing);
        TearDown();
        SetUp();
        AddReaderWithCard("Reader A");
        SharingApplication other("Reader A");
        OpenSharedReader();
        if (closing == "DisconnectSlot") {
            EXPECT_EQ(DisconnectSlot(1, kDispositionReset), kResultSuccess);
        } else {
            EXPECT_EQ(CloseCardService(), kResultSuccess);
        }
        StartLog();
        EXPECT_EQ(Open("Reader A"), kResultSuccess);
        EXPECT_TRUE(EventsStartingWith("SCardEndTransaction").empty());
        EXPECT_FALSE(AnyConnectWouldWait());
    }
}

TEST_F(HeldTransactionTest, ATransactionThatWasNotGrantedIsNotEnded) {
    AddReaderWithCard("Reader A");
    SCARDCONTEXT context = 0;
    SCARDHANDLE exclusive = 0;
    DWORD protocol = 0;
    ASSERT_EQ(SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context), SCARD_S_SUCCESS);
    ASSERT_EQ(SCardConnect(context, "Reader A", SCARD_SHARE_EXCLUSIVE,
                           SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &exclusive, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_EQ(Open("Reader A"), NarrowResult(SCARD_E_SHARING_VIOLATION));
    EXPECT_FALSE(EventsStartingWith("SCardBeginTransaction").empty());

    StartLog();
    std::int32_t atrLength = 0;
    AtrBuffer atr{};
    EXPECT_EQ(ConnectSlot(1, kShareExclusive, atrLength, atr),
              NarrowResult(SCARD_E_SHARING_VIOLATION));
    EXPECT_EQ(CallNames(), (Calls{"SCardConnect", "SCardConnect", "SCardBeginTransaction"}));
    SCardReleaseContext(context);
}

TEST_F(HeldTransactionTest, APulledCardTookTheTransactionWithIt) {
    AddReaderWithCard("Reader A");
    SharingApplication other("Reader A");
    const SCARDHANDLE holder = OpenSharedReader();
    ASSERT_TRUE(sim::RemoveCard("Reader A"));
    ASSERT_TRUE(sim::InsertCard("Reader A"));

    StartLog();
    EXPECT_EQ(Open("Reader A"), kResultSuccess);
    EXPECT_EQ(OnlyEvent("SCardEndTransaction"), EndOf(holder) + " -> SCARD_W_REMOVED_CARD");
    EXPECT_FALSE(AnyConnectWouldWait());
}

}  // namespace
}  // namespace kestrova
