// Connecting: readers, share modes, protocol negotiation, reconnect and
// disconnect dispositions.

#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {
namespace {

using ConnectTest = SimulatedPcscTest;

TEST_F(ConnectTest, UnknownAndEmptyReadersGiveNoHandle) {
    AddEmptyReader("Empty");
    const SCARDCONTEXT context = Establish();
    SCARDHANDLE card = 99;
    EXPECT_EQ(TryConnect(context, "Nowhere", SCARD_SHARE_EXCLUSIVE, kT0OrT1, &card),
              SCARD_E_UNKNOWN_READER);
    EXPECT_EQ(card, 0);
    EXPECT_EQ(TryConnect(context, nullptr, SCARD_SHARE_EXCLUSIVE, kT0OrT1, &card),
              SCARD_E_UNKNOWN_READER);
    // Names are matched whole, not by prefix.
    EXPECT_EQ(TryConnect(context, "Emp", SCARD_SHARE_EXCLUSIVE, kT0OrT1, &card),
              SCARD_E_UNKNOWN_READER);
    EXPECT_EQ(TryConnect(context, "Empty", SCARD_SHARE_EXCLUSIVE, kT0OrT1, &card),
              SCARD_E_NO_SMARTCARD);
    EXPECT_EQ(TryConnect(context, "Empty", SCARD_SHARE_SHARED, kT0OrT1, &card),
              SCARD_E_NO_SMARTCARD);
    EXPECT_EQ(card, 0);
    EXPECT_EQ(sim::ConnectionCount("Empty"), 0);
}

TEST_F(ConnectTest, DirectModeReachesAnEmptyReaderWithoutAProtocol) {
    AddEmptyReader("Empty");
    SCARDHANDLE card = 0;
    DWORD protocol = 99;
    EXPECT_EQ(TryConnect(Establish(), "Empty", SCARD_SHARE_DIRECT, 0, &card, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_NE(card, 0);
    EXPECT_EQ(protocol, static_cast<DWORD>(SCARD_PROTOCOL_UNDEFINED));
}

TEST_F(ConnectTest, AnExclusiveConnectionKeepsEveryOtherOut) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    const SCARDHANDLE holder = Connect(context, "Reader A", SCARD_SHARE_EXCLUSIVE);
    SCARDHANDLE card = 99;
    DWORD protocol = 99;
    EXPECT_EQ(TryConnect(context, "Reader A", SCARD_SHARE_EXCLUSIVE, kT0OrT1, &card, &protocol),
              SCARD_E_SHARING_VIOLATION);
    EXPECT_EQ(card, 0);
    // Refused before negotiation: no protocol is reported.
    EXPECT_EQ(protocol, static_cast<DWORD>(SCARD_PROTOCOL_UNDEFINED));
    EXPECT_EQ(TryConnect(Establish(), "Reader A", SCARD_SHARE_SHARED, kT0OrT1),
              SCARD_E_SHARING_VIOLATION);

    EXPECT_EQ(pcsc().disconnect(holder, SCARD_LEAVE_CARD), SCARD_S_SUCCESS);
    Connect(context, "Reader A", SCARD_SHARE_EXCLUSIVE);
}

TEST_F(ConnectTest, AnExclusiveConnectMeetingASharedOneFailsAfterNegotiation) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    Connect(context, "Reader A", SCARD_SHARE_SHARED);
    Connect(context, "Reader A", SCARD_SHARE_SHARED);
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 2);

    SCARDHANDLE card = 99;
    DWORD protocol = 0;
    EXPECT_EQ(TryConnect(context, "Reader A", SCARD_SHARE_EXCLUSIVE, kT0OrT1, &card, &protocol),
              SCARD_E_SHARING_VIOLATION);
    EXPECT_EQ(card, 0);
    EXPECT_EQ(protocol, static_cast<DWORD>(SCARD_PROTOCOL_T0));
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 2);
}

TEST_F(ConnectTest, TheProtocolComesFromTheCardAndMustBeAskedFor) {
    AddCardReader("T0 card", sim::Protocol::kT0);
    AddCardReader("T1 card", sim::Protocol::kT1);
    const SCARDCONTEXT context = Establish();
    DWORD protocol = 0;
    EXPECT_EQ(
        TryConnect(context, "T0 card", SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1, nullptr, &protocol),
        SCARD_E_PROTO_MISMATCH);
    EXPECT_EQ(TryConnect(context, "T0 card", SCARD_SHARE_SHARED, 0), SCARD_E_PROTO_MISMATCH);
    EXPECT_EQ(TryConnect(context, "T0 card", SCARD_SHARE_SHARED, kT0OrT1, nullptr, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_EQ(protocol, static_cast<DWORD>(SCARD_PROTOCOL_T0));
    EXPECT_EQ(TryConnect(context, "T1 card", SCARD_SHARE_SHARED, kT0OrT1, nullptr, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_EQ(protocol, static_cast<DWORD>(SCARD_PROTOCOL_T1));
    EXPECT_EQ(TryConnect(context, "T1 card", SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0),
              SCARD_E_PROTO_MISMATCH);
}

TEST_F(ConnectTest, BadShareModesAndOverlongNamesAreInvalidValues) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    EXPECT_EQ(TryConnect(context, "Reader A", 0, kT0OrT1), SCARD_E_INVALID_VALUE);
    const std::string overlong(MAX_READERNAME + 1, 'r');
    EXPECT_EQ(TryConnect(context, overlong.c_str(), SCARD_SHARE_SHARED, kT0OrT1),
              SCARD_E_INVALID_VALUE);
    SCARDHANDLE card = 0;
    EXPECT_EQ(pcsc().connect(context, "Reader A", SCARD_SHARE_SHARED, kT0OrT1, &card, nullptr),
              SCARD_E_INVALID_PARAMETER);
}

using ReconnectTest = SimulatedPcscTest;

TEST_F(ReconnectTest, BecomingExclusiveNeedsTheOnlyConnection) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    const SCARDHANDLE first = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    const SCARDHANDLE second = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    DWORD protocol = 0;
    EXPECT_EQ(pcsc().reconnect(first, SCARD_SHARE_EXCLUSIVE, kT0OrT1, SCARD_LEAVE_CARD, &protocol),
              SCARD_E_SHARING_VIOLATION);
    EXPECT_EQ(pcsc().disconnect(second, SCARD_LEAVE_CARD), SCARD_S_SUCCESS);
    EXPECT_EQ(pcsc().reconnect(first, SCARD_SHARE_EXCLUSIVE, kT0OrT1, SCARD_LEAVE_CARD, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_EQ(protocol, static_cast<DWORD>(SCARD_PROTOCOL_T0));
    EXPECT_EQ(TryConnect(context, "Reader A", SCARD_SHARE_SHARED, kT0OrT1),
              SCARD_E_SHARING_VIOLATION);
    // Back to shared: others may join again.
    EXPECT_EQ(pcsc().reconnect(first, SCARD_SHARE_SHARED, kT0OrT1, SCARD_LEAVE_CARD, &protocol),
              SCARD_S_SUCCESS);
    Connect(context, "Reader A", SCARD_SHARE_SHARED);
}

TEST_F(ReconnectTest, AResetIsSeenByTheOtherHandlesUntilTheyReconnect) {
    AddCardReader("Reader A");
    const auto card = PlugScriptedCard("Reader A");
    const SCARDCONTEXT context = Establish();
    const SCARDHANDLE resetter = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    const SCARDHANDLE other = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    const int resets = card->ResetCount();

    DWORD protocol = 0;
    EXPECT_EQ(pcsc().reconnect(resetter, SCARD_SHARE_SHARED, kT0OrT1, SCARD_RESET_CARD, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_EQ(card->ResetCount(), resets + 1);
    EXPECT_EQ(StatusOf(resetter), SCARD_S_SUCCESS);
    EXPECT_EQ(StatusOf(other), SCARD_W_RESET_CARD);
    EXPECT_EQ(Send(other, pcsc().t0Pci, sim::HexBytes("00A40000")), SCARD_W_RESET_CARD);

    EXPECT_EQ(pcsc().reconnect(other, SCARD_SHARE_SHARED, kT0OrT1, SCARD_LEAVE_CARD, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_EQ(StatusOf(other), SCARD_S_SUCCESS);
    EXPECT_EQ(card->ResetCount(), resets + 1);
}

TEST_F(ReconnectTest, RefusesEjectUnknownHandlesAndAMissingOutput) {
    AddCardReader("Reader A");
    const SCARDHANDLE card = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    DWORD protocol = 0;
    EXPECT_EQ(pcsc().reconnect(card, SCARD_SHARE_EXCLUSIVE, kT0OrT1, SCARD_EJECT_CARD, &protocol),
              SCARD_E_INVALID_VALUE);
    EXPECT_EQ(
        pcsc().reconnect(card + 1000, SCARD_SHARE_EXCLUSIVE, kT0OrT1, SCARD_RESET_CARD, &protocol),
        SCARD_E_INVALID_HANDLE);
    EXPECT_EQ(pcsc().reconnect(card, SCARD_SHARE_EXCLUSIVE, kT0OrT1, SCARD_RESET_CARD, nullptr),
              SCARD_E_INVALID_PARAMETER);
}

using DisconnectTest = SimulatedPcscTest;

TEST_F(DisconnectTest, ResetAndPowerDownReachTheCardAndTheOtherHandles) {
    AddCardReader("Reader A");
    const auto card = PlugScriptedCard("Reader A");
    const SCARDCONTEXT context = Establish();
    const SCARDHANDLE leaving = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    const SCARDHANDLE staying = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    const int resets = card->ResetCount();

    EXPECT_EQ(pcsc().disconnect(leaving, SCARD_LEAVE_CARD), SCARD_S_SUCCESS);
    EXPECT_EQ(StatusOf(staying), SCARD_S_SUCCESS);

    const SCARDHANDLE resetting = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    EXPECT_EQ(pcsc().disconnect(resetting, SCARD_RESET_CARD), SCARD_S_SUCCESS);
    EXPECT_EQ(card->ResetCount(), resets + 1);
    EXPECT_EQ(StatusOf(staying), SCARD_W_RESET_CARD);
    EXPECT_EQ(StatusOf(resetting), SCARD_E_INVALID_HANDLE);

    // Powered down, the card is powered up again by the next connection.
    DWORD protocol = 0;
    EXPECT_EQ(pcsc().reconnect(staying, SCARD_SHARE_SHARED, kT0OrT1, SCARD_LEAVE_CARD, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_EQ(pcsc().disconnect(staying, SCARD_UNPOWER_CARD), SCARD_S_SUCCESS);
    EXPECT_EQ(card->ResetCount(), resets + 1);
    Connect(context, "Reader A", SCARD_SHARE_EXCLUSIVE);
    EXPECT_EQ(card->ResetCount(), resets + 2);
}

TEST_F(DisconnectTest, ABadDispositionLeavesTheConnectionOpen) {
    AddCardReader("Reader A");
    const SCARDHANDLE card = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    EXPECT_EQ(pcsc().disconnect(card, 9), SCARD_E_INVALID_VALUE);
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 1);
    EXPECT_EQ(pcsc().disconnect(card, SCARD_RESET_CARD), SCARD_S_SUCCESS);
    EXPECT_EQ(pcsc().disconnect(card, SCARD_RESET_CARD), SCARD_E_INVALID_HANDLE);
    EXPECT_EQ(pcsc().disconnect(0, SCARD_RESET_CARD), SCARD_E_INVALID_HANDLE);
}

}  // namespace
}  // namespace kestrova::sim_test
