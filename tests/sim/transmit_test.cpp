// SCardTransmit: command bytes to the reader's card, its answer back.

#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {
namespace {

using TransmitTest = SimulatedPcscTest;

TEST_F(TransmitTest, TheCardReceivesTheExactBytesAndItsAnswerComesBack) {
    AddCardReader("Reader A");
    const auto card = PlugScriptedCard("Reader A");
    card->Expect(sim::HexBytes("00 A4 04 00 08 A0 00 00 01 72 95 00 01"), sim::HexBytes("61 10"));
    card->Expect(sim::HexBytes("00 C0 00 00 10"), sim::HexBytes("6F0E840800000000000000009000"));
    const SCARDHANDLE handle = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);

    sim::Bytes response;
    EXPECT_EQ(Send(handle, pcsc().t0Pci, sim::HexBytes("00A4040008A000000172950001"), &response),
              SCARD_S_SUCCESS);
    EXPECT_EQ(response, sim::HexBytes("6110"));
    EXPECT_EQ(Send(handle, pcsc().t0Pci, sim::HexBytes("00C0000010"), &response), SCARD_S_SUCCESS);
    EXPECT_EQ(response, sim::HexBytes("6F0E840800000000000000009000"));
    EXPECT_EQ(card->Report(), "");
}

TEST_F(TransmitTest, TheProtocolRecordMustMatchTheConnection) {
    AddCardReader("Reader A", sim::Protocol::kT1);
    const auto card = PlugScriptedCard("Reader A", sim::Protocol::kT1);
    const SCARDHANDLE handle = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    sim::Bytes response = {1};
    EXPECT_EQ(Send(handle, pcsc().t0Pci, sim::HexBytes("00B2010C00"), &response),
              SCARD_E_PROTO_MISMATCH);
    EXPECT_TRUE(response.empty());
    EXPECT_EQ(card->CommandCount(), 0U);

    card->Expect(sim::HexBytes("00B2010C00"), sim::HexBytes("9000"));
    EXPECT_EQ(Send(handle, pcsc().t1Pci, sim::HexBytes("00B2010C00"), &response), SCARD_S_SUCCESS);
}

TEST_F(TransmitTest, AReceiveBufferTooSmallGetsOnlyTheLengthNeeded) {
    AddCardReader("Reader A");
    const auto card = PlugScriptedCard("Reader A");
    card->Expect(sim::HexBytes("00B0000004"), sim::HexBytes("01020304 9000"));
    card->Expect(sim::HexBytes("00B0000004"), sim::HexBytes("01020304 9000"));
    const SCARDHANDLE handle = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    const sim::Bytes command = sim::HexBytes("00B0000004");
    BYTE response[8] = {};
    DWORD length = 1;
    EXPECT_EQ(pcsc().transmit(handle, pcsc().t0Pci, command.data(), 5, nullptr, response, &length),
              SCARD_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, 6U);
    length = 5;
    EXPECT_EQ(pcsc().transmit(handle, pcsc().t0Pci, command.data(), 5, nullptr, response, &length),
              SCARD_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, 6U);
    EXPECT_EQ(response[0], 0);
    // As with pcscd, the card did carry out both commands.
    EXPECT_EQ(card->Report(), "");
}

TEST_F(TransmitTest, MissingBuffersAreInvalidParameters) {
    AddCardReader("Reader A");
    const SCARDHANDLE handle = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    const BYTE command[5] = {0x00, 0xB0, 0x00, 0x00, 0x04};
    BYTE response[8];
    DWORD length = sizeof response;
    EXPECT_EQ(pcsc().transmit(handle, nullptr, command, 5, nullptr, response, &length),
              SCARD_E_INVALID_PARAMETER);
    EXPECT_EQ(pcsc().transmit(handle, pcsc().t0Pci, nullptr, 5, nullptr, response, &length),
              SCARD_E_INVALID_PARAMETER);
    EXPECT_EQ(pcsc().transmit(handle, pcsc().t0Pci, command, 5, nullptr, response, nullptr),
              SCARD_E_INVALID_PARAMETER);
    EXPECT_EQ(pcsc().transmit(0, pcsc().t0Pci, command, 5, nullptr, response, &length),
              SCARD_E_INVALID_HANDLE);
}

TEST_F(TransmitTest, ACardWithoutAModelRefusesEveryInstruction) {
    AddCardReader("Reader A");
    const SCARDHANDLE handle = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    sim::Bytes response;
    EXPECT_EQ(Send(handle, pcsc().t0Pci, sim::HexBytes("00A4040000"), &response), SCARD_S_SUCCESS);
    EXPECT_EQ(response, sim::HexBytes("6D00"));
}

TEST_F(TransmitTest, AnAnswerShorterThanAStatusWordIsPassedOn) {
    AddCardReader("Reader A");
    const auto card = PlugScriptedCard("Reader A");
    card->Expect(sim::HexBytes("00CA000000"), sim::HexBytes("90"));
    card->Expect(sim::HexBytes("00CA000000"), {});
    const SCARDHANDLE handle = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    sim::Bytes response;
    EXPECT_EQ(Send(handle, pcsc().t0Pci, sim::HexBytes("00CA000000"), &response), SCARD_S_SUCCESS);
    EXPECT_EQ(response, sim::HexBytes("90"));
    EXPECT_EQ(Send(handle, pcsc().t0Pci, sim::HexBytes("00CA000000"), &response), SCARD_S_SUCCESS);
    EXPECT_TRUE(response.empty());
}

}  // namespace
}  // namespace kestrova::sim_test
