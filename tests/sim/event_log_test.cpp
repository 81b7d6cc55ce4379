// The event log: one readable line per call, in order, with the lines test
// doubles add.

#include "sim/service/event_log.h"

#include <string>
#include <vector>

#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {
namespace {

using EventLogTest = SimulatedPcscTest;

TEST_F(EventLogTest, RecordsEveryCallWithItsArgumentsResultAndOutputs) {
    sim::ReaderSetup setup;
    setup.name = "Reader A";
    setup.cardPresent = true;
    setup.atr = Atr();
    setup.attributes[SCARD_ATTR_VENDOR_NAME] = sim::Bytes{'K', 'E', 'S', 'T', 'R', 'O'};
    ASSERT_TRUE(sim::AddReader(setup));

    const SCARDCONTEXT context = Establish();
    char names[1024];
    DWORD namesLength = sizeof names;
    pcsc().listReaders(context, nullptr, names, &namesLength);
    const SCARDHANDLE card = Connect(context, "Reader A", SCARD_SHARE_EXCLUSIVE);
    sim::AppendEvent("pause 100");
    char name[64];
    DWORD nameLength = sizeof name;
    BYTE atr[256];
    DWORD atrLength = sizeof atr;
    pcsc().status(card, name, &nameLength, nullptr, nullptr, atr, &atrLength);
    Send(card, pcsc().t0Pci, sim::HexBytes("00A4040000"));
    BYTE value[128];
    DWORD valueLength = sizeof value;
    pcsc().getAttrib(card, SCARD_ATTR_VENDOR_NAME, value, &valueLength);
    pcsc().beginTransaction(card);
    pcsc().endTransaction(card, SCARD_LEAVE_CARD);
    DWORD protocol = 0;
    pcsc().reconnect(card, SCARD_SHARE_EXCLUSIVE, kT0OrT1, SCARD_RESET_CARD, &protocol);
    ASSERT_TRUE(sim::RemoveCard("Reader A"));
    StatusOf(card);
    ASSERT_TRUE(sim::InsertCard("Reader A"));
    TryConnect(context, "Reader A", SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0);
    pcsc().disconnect(card, SCARD_RESET_CARD);
    Connect(context, "Reader A", SCARD_SHARE_EXCLUSIVE);
    pcsc().releaseContext(context);
    ASSERT_TRUE(sim::FailNextCalls("SCardEstablishContext", 1, SCARD_E_NO_SERVICE));
    SCARDCONTEXT failed = 0;
    pcsc().establishContext(SCARD_SCOPE_USER, nullptr, nullptr, &failed);

    const std::vector<std::string> expected = {
        "SCardEstablishContext(SCARD_SCOPE_USER) -> SCARD_S_SUCCESS context=0x1001",
        "SCardListReaders(0x1001, 1024) -> SCARD_S_SUCCESS length=10",
        "SCardConnect(0x1001, \"Reader A\", SCARD_SHARE_EXCLUSIVE, "
        "SCARD_PROTOCOL_T0|SCARD_PROTOCOL_T1) -> SCARD_S_SUCCESS card=0x2001 "
        "protocol=SCARD_PROTOCOL_T0",
        "pause 100",
        "SCardStatus(0x2001, 64, 256) -> SCARD_S_SUCCESS reader=\"Reader A\" state=0x00010034 "
        "protocol=SCARD_PROTOCOL_T0 atr=3B021450",
        "SCardTransmit(0x2001, SCARD_PCI_T0, 00A4040000, 258) -> SCARD_S_SUCCESS response=6D00",
        "SCardGetAttrib(0x2001, 0x00010100, 128) -> SCARD_S_SUCCESS length=6",
        "SCardBeginTransaction(0x2001) -> SCARD_S_SUCCESS",
        "SCardEndTransaction(0x2001, SCARD_LEAVE_CARD) -> SCARD_S_SUCCESS",
        "SCardReconnect(0x2001, SCARD_SHARE_EXCLUSIVE, SCARD_PROTOCOL_T0|SCARD_PROTOCOL_T1, "
        "SCARD_RESET_CARD) -> SCARD_S_SUCCESS protocol=SCARD_PROTOCOL_T0",
        "card removed: Reader A",
        "SCardStatus(0x2001, null, null) -> SCARD_W_REMOVED_CARD",
        "card inserted: Reader A",
        "SCardConnect(0x1001, \"Reader A\", SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0) -> "
        "SCARD_E_SHARING_VIOLATION",
        "SCardDisconnect(0x2001, SCARD_RESET_CARD) -> SCARD_S_SUCCESS",
        "SCardConnect(0x1001, \"Reader A\", SCARD_SHARE_EXCLUSIVE, "
        "SCARD_PROTOCOL_T0|SCARD_PROTOCOL_T1) -> SCARD_S_SUCCESS card=0x2002 "
        "protocol=SCARD_PROTOCOL_T0",
        "SCardReleaseContext(0x1001) -> SCARD_S_SUCCESS closed=0x2002:SCARD_RESET_CARD",
        "SCardEstablishContext(SCARD_SCOPE_USER) -> SCARD_E_NO_SERVICE [injected]",
    };
    EXPECT_EQ(sim::Events(), expected);
}

TEST_F(EventLogTest, FailuresShowTheLengthNeededOrJustTheResult) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    sim::ClearEvents();
    char names[4];
    DWORD length = sizeof names;
    pcsc().listReaders(context, nullptr, names, &length);
    StatusOf(0x7777);
    ASSERT_TRUE(sim::FailNextCalls("SCardGetAttrib", 1, 0x32));
    BYTE value[8];
    length = sizeof value;
    pcsc().getAttrib(0x7777, 0x7FFF0004, value, &length);
    pcsc().disconnect(0x7777, 9);
    const std::vector<std::string> expected = {
        "SCardListReaders(0x1001, 4) -> SCARD_E_INSUFFICIENT_BUFFER length=10",
        "SCardStatus(0x7777, null, null) -> SCARD_E_INVALID_HANDLE",
        "SCardGetAttrib(0x7777, 0x7FFF0004, 8) -> 0x00000032 [injected]",
        "SCardDisconnect(0x7777, 9) -> SCARD_E_INVALID_HANDLE",
    };
    EXPECT_EQ(sim::Events(), expected);
}

TEST_F(EventLogTest, ClearingAndResettingEmptyTheLog) {
    Establish();
    sim::AppendEvent("pause 200");
    EXPECT_EQ(sim::Events().size(), 2U);
    sim::ClearEvents();
    EXPECT_TRUE(sim::Events().empty());
    EXPECT_EQ(sim::ContextCount(), 1);
    sim::AppendEvent("pause 150");
    sim::Reset();
    EXPECT_TRUE(sim::Events().empty());
    EXPECT_EQ(sim::ContextCount(), 0);
    // Numbering starts again.
    Establish();
    EXPECT_EQ(sim::Events().front(),
              "SCardEstablishContext(SCARD_SCOPE_USER) -> SCARD_S_SUCCESS context=0x1001");
}

// No PIN reaches the log, from a typed PIN's VERIFY to a new PIN's record
// write; other commands are shown whole. The log keeps its last lines only,
// and nothing at all while recording is off.
TEST_F(EventLogTest, KeepsNoPinAndStaysBounded) {
    sim::ReaderSetup setup;
    setup.name = "Reader A";
    setup.cardPresent = true;
    setup.atr = Atr();
    ASSERT_TRUE(sim::AddReader(setup));
    const SCARDCONTEXT context = Establish();
    const SCARDHANDLE card = Connect(context, "Reader A", SCARD_SHARE_EXCLUSIVE);
    sim::ClearEvents();
    for (const char* command :
         {"002000100812345FFFFFFFFFFF", "00240010021234", "002C001001AB",
          "00D2010408999999FFFFFFFFFF", "00DC010401AA00", "00B2010400", "0020001000"}) {
        Send(card, pcsc().t0Pci, sim::HexBytes(command));
    }
    std::vector<std::string> commands;
    for (const std::string& line : sim::Events()) {
        commands.push_back(line.substr(0, line.find(", 258)")).substr(line.find("T0, ") + 4));
    }
    EXPECT_EQ(commands, (std::vector<std::string>{"0020001008****************", "0024001002****",
                                                  "002C001001**", "00D2010408****************",
                                                  "00DC010401**00", "00B2010400", "0020001000"}));

    sim::ClearEvents();
    for (std::size_t i = 0; i < sim_service::kMaxEventLines + 5; ++i) {
        sim::AppendEvent("line " + std::to_string(i));
    }
    const std::vector<std::string> kept = sim::Events();
    ASSERT_EQ(kept.size(), sim_service::kMaxEventLines);
    EXPECT_EQ(kept.front(), "line 5");

    sim::RecordEvents(false);
    EXPECT_TRUE(sim::Events().empty());
    Send(card, pcsc().t0Pci, sim::HexBytes("00B2010400"));
    sim::AppendEvent("pause 1");
    EXPECT_TRUE(sim::Events().empty());
    sim::RecordEvents(true);
    sim::AppendEvent("pause 2");
    EXPECT_EQ(sim::Events(), std::vector<std::string>{"pause 2"});
}

}  // namespace
}  // namespace kestrova::sim_test
