// SCardBeginTransaction and SCardEndTransaction: the lock that keeps other
// handles out.

#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {
namespace {

using TransactionTest = SimulatedPcscTest;

TEST_F(TransactionTest, ATransactionKeepsOtherHandlesOutUntilItEnds) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    const SCARDHANDLE owner = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    const SCARDHANDLE other = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    ASSERT_EQ(pcsc().beginTransaction(owner), SCARD_S_SUCCESS);

    EXPECT_EQ(StatusOf(other), SCARD_E_SHARING_VIOLATION);
    EXPECT_EQ(Send(other, pcsc().t0Pci, sim::HexBytes("00A40000")), SCARD_E_SHARING_VIOLATION);
    EXPECT_EQ(pcsc().beginTransaction(other), SCARD_E_SHARING_VIOLATION);
    EXPECT_EQ(TryConnect(context, "Reader A", SCARD_SHARE_SHARED, kT0OrT1),
              SCARD_E_SHARING_VIOLATION);
    EXPECT_EQ(StatusOf(owner), SCARD_S_SUCCESS);

    EXPECT_EQ(pcsc().endTransaction(owner, SCARD_LEAVE_CARD), SCARD_S_SUCCESS);
    EXPECT_EQ(StatusOf(other), SCARD_S_SUCCESS);
    EXPECT_EQ(pcsc().endTransaction(owner, SCARD_LEAVE_CARD), SCARD_E_NOT_TRANSACTED);
}

TEST_F(TransactionTest, DisconnectingEndsTheTransaction) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    const SCARDHANDLE owner = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    ASSERT_EQ(pcsc().beginTransaction(owner), SCARD_S_SUCCESS);
    EXPECT_EQ(pcsc().disconnect(owner, SCARD_LEAVE_CARD), SCARD_S_SUCCESS);
    Connect(context, "Reader A", SCARD_SHARE_EXCLUSIVE);
}

TEST_F(TransactionTest, AnExclusiveConnectionNestsTransactionsInItsOwnLock) {
    AddCardReader("Reader A");
    const SCARDHANDLE owner = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    EXPECT_EQ(pcsc().endTransaction(owner, SCARD_LEAVE_CARD), SCARD_E_NOT_TRANSACTED);
    ASSERT_EQ(pcsc().beginTransaction(owner), SCARD_S_SUCCESS);
    EXPECT_EQ(pcsc().endTransaction(owner, SCARD_LEAVE_CARD), SCARD_S_SUCCESS);
    EXPECT_EQ(pcsc().endTransaction(owner, SCARD_LEAVE_CARD), SCARD_E_NOT_TRANSACTED);
    EXPECT_EQ(TryConnect(Establish(), "Reader A", SCARD_SHARE_SHARED, kT0OrT1),
              SCARD_E_SHARING_VIOLATION);
}

TEST_F(TransactionTest, EndingWithAResetResetsTheCardForEveryHandleIncludingItsOwn) {
    AddCardReader("Reader A");
    const auto card = PlugScriptedCard("Reader A");
    const SCARDHANDLE owner = Connect(Establish(), "Reader A", SCARD_SHARE_SHARED);
    ASSERT_EQ(pcsc().beginTransaction(owner), SCARD_S_SUCCESS);
    const int resets = card->ResetCount();
    EXPECT_EQ(pcsc().endTransaction(owner, SCARD_RESET_CARD), SCARD_S_SUCCESS);
    EXPECT_EQ(card->ResetCount(), resets + 1);
    EXPECT_EQ(StatusOf(owner), SCARD_W_RESET_CARD);
    EXPECT_EQ(pcsc().endTransaction(owner, 7), SCARD_E_INVALID_VALUE);
}

TEST_F(TransactionTest, ARemovedCardEndsTheTransactionAndRefusesANewOne) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    const SCARDHANDLE owner = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    ASSERT_EQ(pcsc().beginTransaction(owner), SCARD_S_SUCCESS);
    ASSERT_TRUE(sim::RemoveCard("Reader A"));
    EXPECT_EQ(pcsc().beginTransaction(owner), SCARD_W_REMOVED_CARD);
    EXPECT_EQ(pcsc().endTransaction(owner, SCARD_LEAVE_CARD), SCARD_W_REMOVED_CARD);
    ASSERT_TRUE(sim::InsertCard("Reader A"));
    Connect(context, "Reader A", SCARD_SHARE_SHARED);
}

}  // namespace
}  // namespace kestrova::sim_test
