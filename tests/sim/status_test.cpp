// SCardStatus: reader name, state, protocol and answer to reset, with
// pcsc-lite's in/out lengths.

#include <cstring>

#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {
namespace {

using StatusTest = SimulatedPcscTest;

TEST_F(StatusTest, ReportsNameStateProtocolAndAtr) {
    AddCardReader("Reader A", sim::Protocol::kT1);
    const SCARDHANDLE card = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    char name[64];
    std::memset(name, 'x', sizeof name);
    DWORD nameLength = sizeof name;
    DWORD state = 0;
    DWORD protocol = 0;
    BYTE atr[256];
    DWORD atrLength = sizeof atr;
    ASSERT_EQ(pcsc().status(card, name, &nameLength, &state, &protocol, atr, &atrLength),
              SCARD_S_SUCCESS);
    EXPECT_EQ(nameLength, 9U);
    EXPECT_STREQ(name, "Reader A");
    // As strncpy: the rest of the buffer is cleared.
    EXPECT_EQ(name[63], '\0');
    EXPECT_EQ(state,
              static_cast<DWORD>(0x00010000 | SCARD_PRESENT | SCARD_POWERED | SCARD_NEGOTIABLE));
    EXPECT_EQ(protocol, static_cast<DWORD>(SCARD_PROTOCOL_T1));
    EXPECT_EQ(sim::Bytes(atr, atr + atrLength), Atr());
}

TEST_F(StatusTest, AShortNameBufferGetsTheStartAndTheLengthNeeded) {
    AddCardReader("Reader A");
    const SCARDHANDLE card = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    char name[8];
    std::memset(name, 'x', sizeof name);
    DWORD nameLength = 4;
    DWORD protocol = 0;
    BYTE atr[33];
    DWORD atrLength = sizeof atr;
    EXPECT_EQ(pcsc().status(card, name, &nameLength, nullptr, &protocol, atr, &atrLength),
              SCARD_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(nameLength, 9U);
    EXPECT_EQ(std::string(name, 8), "Readxxxx");
    EXPECT_EQ(protocol, static_cast<DWORD>(SCARD_PROTOCOL_T0));
    EXPECT_EQ(atrLength, Atr().size());

    // The exact length, terminator included, is enough.
    nameLength = 9;
    char exact[9];
    EXPECT_EQ(pcsc().status(card, exact, &nameLength, nullptr, nullptr, nullptr, nullptr),
              SCARD_S_SUCCESS);
    EXPECT_STREQ(exact, "Reader A");
}

TEST_F(StatusTest, AShortAtrBufferGetsTheStartAndTheLengthNeeded) {
    AddCardReader("Reader A");
    const SCARDHANDLE card = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    BYTE atr[2] = {0, 0};
    DWORD atrLength = sizeof atr;
    EXPECT_EQ(pcsc().status(card, nullptr, nullptr, nullptr, nullptr, atr, &atrLength),
              SCARD_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(atrLength, Atr().size());
    EXPECT_EQ(sim::Bytes(atr, atr + 2), sim::Bytes(Atr().begin(), Atr().begin() + 2));
}

TEST_F(StatusTest, LengthsAloneCanBeAsked) {
    AddCardReader("Reader A");
    const SCARDHANDLE card = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    DWORD nameLength = 0;
    DWORD atrLength = 0;
    EXPECT_EQ(pcsc().status(card, nullptr, &nameLength, nullptr, nullptr, nullptr, &atrLength),
              SCARD_S_SUCCESS);
    EXPECT_EQ(nameLength, 9U);
    EXPECT_EQ(atrLength, Atr().size());
}

TEST_F(StatusTest, AnUnknownHandleReportsNothing) {
    char name[64] = "unchanged";
    DWORD nameLength = sizeof name;
    DWORD state = 5;
    DWORD protocol = 5;
    DWORD atrLength = 33;
    BYTE atr[33];
    EXPECT_EQ(pcsc().status(0x4242, name, &nameLength, &state, &protocol, atr, &atrLength),
              SCARD_E_INVALID_HANDLE);
    EXPECT_EQ(nameLength, 0U);
    EXPECT_EQ(state, 0U);
    EXPECT_EQ(protocol, 0U);
    EXPECT_EQ(atrLength, 0U);
    EXPECT_STREQ(name, "unchanged");
}

TEST_F(StatusTest, TheStateCountsInsertionsAndRemovalsAndShowsPowerDown) {
    AddCardReader("Reader A");
    ASSERT_TRUE(sim::RemoveCard("Reader A"));
    ASSERT_TRUE(sim::InsertCard("Reader A"));
    const SCARDCONTEXT context = Establish();
    const SCARDHANDLE observer = Connect(context, "Reader A", SCARD_SHARE_DIRECT, 0);
    DWORD state = 0;
    ASSERT_EQ(pcsc().status(observer, nullptr, nullptr, &state, nullptr, nullptr, nullptr),
              SCARD_S_SUCCESS);
    EXPECT_EQ(state, static_cast<DWORD>(0x00030034));

    const SCARDHANDLE user = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    EXPECT_EQ(pcsc().disconnect(user, SCARD_UNPOWER_CARD), SCARD_S_SUCCESS);
    DWORD protocol = 0;
    ASSERT_EQ(pcsc().reconnect(observer, SCARD_SHARE_DIRECT, 0, SCARD_LEAVE_CARD, &protocol),
              SCARD_S_SUCCESS);
    ASSERT_EQ(pcsc().status(observer, nullptr, nullptr, &state, nullptr, nullptr, nullptr),
              SCARD_S_SUCCESS);
    EXPECT_EQ(state, static_cast<DWORD>(0x00030000 | SCARD_PRESENT));
}

}  // namespace
}  // namespace kestrova::sim_test
