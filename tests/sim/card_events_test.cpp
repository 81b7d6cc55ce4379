// Cards taken out and put back, and readers unplugged, under open handles.

#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {
namespace {

using CardRemovalTest = SimulatedPcscTest;

TEST_F(CardRemovalTest, OldHandlesReportTheRemovalUntilReconnectedAfterReinsertion) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    const SCARDHANDLE card = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    ASSERT_TRUE(sim::RemoveCard("Reader A"));

    DWORD state = 99;
    DWORD atrLength = 256;
    BYTE atr[256];
    EXPECT_EQ(pcsc().status(card, nullptr, nullptr, &state, nullptr, atr, &atrLength),
              SCARD_W_REMOVED_CARD);
    EXPECT_EQ(state, 0U);
    EXPECT_EQ(atrLength, 0U);
    EXPECT_EQ(Send(card, pcsc().t0Pci, sim::HexBytes("00A40000")), SCARD_W_REMOVED_CARD);
    DWORD protocol = 0;
    EXPECT_EQ(pcsc().reconnect(card, SCARD_SHARE_SHARED, kT0OrT1, SCARD_RESET_CARD, &protocol),
              SCARD_E_NO_SMARTCARD);

    ASSERT_TRUE(sim::InsertCard("Reader A"));
    // pcsc-lite turns a failed reset into a reset event for every handle.
    EXPECT_EQ(StatusOf(card), SCARD_W_RESET_CARD);
    EXPECT_EQ(pcsc().reconnect(card, SCARD_SHARE_SHARED, kT0OrT1, SCARD_LEAVE_CARD, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_EQ(pcsc().status(card, nullptr, nullptr, &state, nullptr, nullptr, nullptr),
              SCARD_S_SUCCESS);
    EXPECT_EQ(state, static_cast<DWORD>(0x00030034));
}

TEST_F(CardRemovalTest, ReinsertionAloneDoesNotReviveAHandle) {
    AddCardReader("Reader A");
    const SCARDHANDLE card = Connect(Establish(), "Reader A", SCARD_SHARE_SHARED);
    ASSERT_TRUE(sim::RemoveCard("Reader A"));
    ASSERT_TRUE(sim::InsertCard("Reader A"));
    EXPECT_EQ(StatusOf(card), SCARD_W_REMOVED_CARD);
    DWORD protocol = 0;
    EXPECT_EQ(pcsc().reconnect(card, SCARD_SHARE_SHARED, kT0OrT1, SCARD_LEAVE_CARD, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_EQ(StatusOf(card), SCARD_S_SUCCESS);
}

TEST_F(CardRemovalTest, AnExclusiveHandleKeepsTheReaderAfterItsCardIsGone) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    const SCARDHANDLE holder = Connect(context, "Reader A", SCARD_SHARE_EXCLUSIVE);
    ASSERT_TRUE(sim::RemoveCard("Reader A"));
    EXPECT_EQ(TryConnect(context, "Reader A", SCARD_SHARE_EXCLUSIVE, kT0OrT1),
              SCARD_E_SHARING_VIOLATION);
    ASSERT_TRUE(sim::InsertCard("Reader A"));
    EXPECT_EQ(TryConnect(context, "Reader A", SCARD_SHARE_EXCLUSIVE, kT0OrT1),
              SCARD_E_SHARING_VIOLATION);

    EXPECT_EQ(pcsc().disconnect(holder, SCARD_RESET_CARD), SCARD_S_SUCCESS);
    Connect(context, "Reader A", SCARD_SHARE_EXCLUSIVE);
}

TEST_F(CardRemovalTest, WithoutAnyHandleTheReaderIsEmptyThenConnectableAgain) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    ASSERT_TRUE(sim::RemoveCard("Reader A"));
    EXPECT_EQ(TryConnect(context, "Reader A", SCARD_SHARE_EXCLUSIVE, kT0OrT1),
              SCARD_E_NO_SMARTCARD);
    ASSERT_TRUE(sim::InsertCard("Reader A"));
    Connect(context, "Reader A", SCARD_SHARE_EXCLUSIVE);
}

TEST_F(CardRemovalTest, CardMovesThatCannotHappenAreRefused) {
    AddCardReader("Reader A");
    AddEmptyReader("No card");
    EXPECT_FALSE(sim::InsertCard("Reader A"));
    EXPECT_TRUE(sim::RemoveCard("Reader A"));
    EXPECT_FALSE(sim::RemoveCard("Reader A"));
    EXPECT_FALSE(sim::InsertCard("No card"));
    EXPECT_FALSE(sim::RemoveCard("Nowhere"));
    EXPECT_FALSE(
        sim::PlugCard("Nowhere", std::make_shared<sim::ScriptedCard>(Atr(), sim::Protocol::kT0)));
    EXPECT_FALSE(sim::PlugCard("No card", nullptr));
    EXPECT_FALSE(sim::PlugCard(
        "No card", std::make_shared<sim::ScriptedCard>(sim::Bytes{}, sim::Protocol::kT0)));
}

TEST_F(CardRemovalTest, PluggingAnotherCardIsARemovalForOpenHandles) {
    AddCardReader("Reader A", sim::Protocol::kT0);
    const SCARDHANDLE card = Connect(Establish(), "Reader A", SCARD_SHARE_SHARED);
    const auto replacement =
        std::make_shared<sim::ScriptedCard>(sim::HexBytes("3B 8F 01"), sim::Protocol::kT1);
    ASSERT_TRUE(sim::PlugCard("Reader A", replacement));
    EXPECT_EQ(StatusOf(card), SCARD_W_REMOVED_CARD);

    DWORD protocol = 0;
    ASSERT_EQ(pcsc().reconnect(card, SCARD_SHARE_SHARED, kT0OrT1, SCARD_LEAVE_CARD, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_EQ(protocol, static_cast<DWORD>(SCARD_PROTOCOL_T1));
    BYTE atr[33];
    DWORD atrLength = sizeof atr;
    ASSERT_EQ(pcsc().status(card, nullptr, nullptr, nullptr, nullptr, atr, &atrLength),
              SCARD_S_SUCCESS);
    EXPECT_EQ(sim::Bytes(atr, atr + atrLength), sim::HexBytes("3B 8F 01"));
}

using ReaderRemovalTest = SimulatedPcscTest;

TEST_F(ReaderRemovalTest, HandlesOfAnUnpluggedReaderAreDeadButCanBeDisconnected) {
    AddCardReader("Reader A");
    const SCARDHANDLE card = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    ASSERT_TRUE(sim::RemoveReader("Reader A"));
    EXPECT_FALSE(sim::RemoveReader("Reader A"));
    EXPECT_EQ(sim::ConnectionCount("Reader A"), std::nullopt);

    EXPECT_EQ(StatusOf(card), SCARD_E_READER_UNAVAILABLE);
    EXPECT_EQ(Send(card, pcsc().t0Pci, sim::HexBytes("00A40000")), SCARD_E_INVALID_VALUE);
    EXPECT_EQ(pcsc().beginTransaction(card), SCARD_E_INVALID_VALUE);

    // A new reader of the same name is another reader.
    AddCardReader("Reader A");
    EXPECT_EQ(StatusOf(card), SCARD_E_READER_UNAVAILABLE);
    EXPECT_EQ(pcsc().disconnect(card, SCARD_RESET_CARD), SCARD_S_SUCCESS);
    EXPECT_EQ(pcsc().disconnect(card, SCARD_RESET_CARD), SCARD_E_INVALID_HANDLE);
}

}  // namespace
}  // namespace kestrova::sim_test
