// Faults planned by name: the next calls of one function answer a chosen
// code and do nothing.

#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {
namespace {

using FaultInjectionTest = SimulatedPcscTest;

TEST_F(FaultInjectionTest, EstablishingTheContextCanFail) {
    ASSERT_TRUE(sim::FailNextCalls("SCardEstablishContext", 1, SCARD_E_NO_SERVICE));
    SCARDCONTEXT context = 5;
    EXPECT_EQ(pcsc().establishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context),
              SCARD_E_NO_SERVICE);
    EXPECT_EQ(context, 0);
    EXPECT_EQ(sim::ContextCount(), 0);
    EXPECT_NE(Establish(), 0);
}

TEST_F(FaultInjectionTest, ConnectAnswersTheChosenCodesThenWorksAgain) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, SCARD_W_REMOVED_CARD));
    ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, SCARD_W_UNRESPONSIVE_CARD));
    ASSERT_TRUE(sim::FailNextCalls("SCardConnect", 1, SCARD_E_SHARING_VIOLATION));
    for (const LONG expected :
         {SCARD_W_REMOVED_CARD, SCARD_W_UNRESPONSIVE_CARD, SCARD_E_SHARING_VIOLATION}) {
        SCARDHANDLE card = 9;
        DWORD protocol = 9;
        EXPECT_EQ(TryConnect(context, "Reader A", SCARD_SHARE_EXCLUSIVE, kT0OrT1, &card, &protocol),
                  expected);
        EXPECT_EQ(card, 0);
        EXPECT_EQ(protocol, 0U);
    }
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 0);
    Connect(context, "Reader A", SCARD_SHARE_EXCLUSIVE);
}

TEST_F(FaultInjectionTest, CallsCanPassBeforeTheFaultsStart) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    ASSERT_TRUE(sim::FailCallsAfter("SCardConnect", 1, 2, SCARD_E_NO_SMARTCARD));
    const SCARDHANDLE first = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    EXPECT_EQ(TryConnect(context, "Reader A", SCARD_SHARE_SHARED, kT0OrT1), SCARD_E_NO_SMARTCARD);
    EXPECT_EQ(TryConnect(context, "Reader A", SCARD_SHARE_SHARED, kT0OrT1), SCARD_E_NO_SMARTCARD);
    Connect(context, "Reader A", SCARD_SHARE_SHARED);
    EXPECT_NE(first, 0);
}

TEST_F(FaultInjectionTest, AFailedStatusReportsNothing) {
    AddCardReader("Reader A");
    const SCARDHANDLE card = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    ASSERT_TRUE(sim::FailNextCalls("SCardStatus", 1, SCARD_W_REMOVED_CARD));
    char name[64] = "unchanged";
    DWORD nameLength = sizeof name;
    DWORD state = 7;
    DWORD atrLength = 33;
    BYTE atr[33];
    EXPECT_EQ(pcsc().status(card, name, &nameLength, &state, nullptr, atr, &atrLength),
              SCARD_W_REMOVED_CARD);
    EXPECT_EQ(nameLength, 0U);
    EXPECT_EQ(state, 0U);
    EXPECT_EQ(atrLength, 0U);
    EXPECT_STREQ(name, "unchanged");
    // The card itself is untouched.
    EXPECT_EQ(StatusOf(card), SCARD_S_SUCCESS);
}

TEST_F(FaultInjectionTest, APlatformCodeCanBeAnswered) {
    AddCardReader("Reader A");
    const SCARDHANDLE card = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    ASSERT_TRUE(sim::FailNextCalls("SCardGetAttrib", 1, 0x32));
    BYTE value[128];
    DWORD length = sizeof value;
    EXPECT_EQ(pcsc().getAttrib(card, SCARD_ATTR_VENDOR_NAME, value, &length), 0x32);
}

TEST_F(FaultInjectionTest, UnknownNamesAndEmptyPlansAreRefusedAndPlansCanBeCleared) {
    EXPECT_FALSE(sim::FailNextCalls("SCardConect", 1, SCARD_E_NO_SERVICE));
    EXPECT_FALSE(sim::FailNextCalls("SCardListReadersA", 1, SCARD_E_NO_SERVICE));
    EXPECT_FALSE(sim::FailNextCalls("SCardConnect", 0, SCARD_E_NO_SERVICE));
    EXPECT_FALSE(sim::FailCallsAfter("SCardConnect", -1, 1, SCARD_E_NO_SERVICE));

    ASSERT_TRUE(sim::FailNextCalls("SCardEstablishContext", 3, SCARD_E_NO_SERVICE));
    sim::ClearFaults();
    EXPECT_NE(Establish(), 0);
}

TEST_F(FaultInjectionTest, EveryPcscFunctionCanBeFailed) {
    for (const char* function :
         {"SCardEstablishContext", "SCardReleaseContext", "SCardListReaders", "SCardConnect",
          "SCardReconnect", "SCardDisconnect", "SCardStatus", "SCardTransmit", "SCardGetAttrib",
          "SCardBeginTransaction", "SCardEndTransaction"}) {
        EXPECT_TRUE(sim::FailNextCalls(function, 1, SCARD_F_INTERNAL_ERROR)) << function;
    }
    AddCardReader("Reader A");
    SCARDCONTEXT context = 0;
    EXPECT_EQ(pcsc().establishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context),
              SCARD_F_INTERNAL_ERROR);
    context = Establish();
    DWORD length = 0;
    EXPECT_EQ(pcsc().listReaders(context, nullptr, nullptr, &length), SCARD_F_INTERNAL_ERROR);
    EXPECT_EQ(TryConnect(context, "Reader A", SCARD_SHARE_SHARED, kT0OrT1), SCARD_F_INTERNAL_ERROR);
    const SCARDHANDLE card = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    DWORD protocol = 0;
    EXPECT_EQ(pcsc().reconnect(card, SCARD_SHARE_SHARED, kT0OrT1, SCARD_LEAVE_CARD, &protocol),
              SCARD_F_INTERNAL_ERROR);
    EXPECT_EQ(StatusOf(card), SCARD_F_INTERNAL_ERROR);
    EXPECT_EQ(Send(card, pcsc().t0Pci, sim::HexBytes("00A40000")), SCARD_F_INTERNAL_ERROR);
    BYTE value[8];
    length = sizeof value;
    EXPECT_EQ(pcsc().getAttrib(card, SCARD_ATTR_VENDOR_NAME, value, &length),
              SCARD_F_INTERNAL_ERROR);
    EXPECT_EQ(pcsc().beginTransaction(card), SCARD_F_INTERNAL_ERROR);
    EXPECT_EQ(pcsc().endTransaction(card, SCARD_LEAVE_CARD), SCARD_F_INTERNAL_ERROR);
    EXPECT_EQ(pcsc().disconnect(card, SCARD_LEAVE_CARD), SCARD_F_INTERNAL_ERROR);
    EXPECT_EQ(pcsc().releaseContext(context), SCARD_F_INTERNAL_ERROR);
    // Nothing was done by the failed calls.
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 1);
    EXPECT_EQ(sim::ContextCount(), 1);
}

}  // namespace
}  // namespace kestrova::sim_test
