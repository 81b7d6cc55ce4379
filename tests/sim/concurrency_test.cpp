// A host removes and inserts cards from a timer thread while calls run: the
// service answers each call with one of the results a card's coming and
// going allows, and loses no event.

#include <atomic>
#include <thread>

#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {
namespace {

using ConcurrencyTest = SimulatedPcscTest;

TEST_F(ConcurrencyTest, CardsComingAndGoingDuringCallsGiveOnlyExpectedResults) {
    AddCardReader("Reader A");
    const SCARDCONTEXT context = Establish();
    const SCARDHANDLE card = Connect(context, "Reader A", SCARD_SHARE_SHARED);
    constexpr int kMoves = 200;

    std::thread mover([] {
        for (int i = 0; i < kMoves; ++i) {
            EXPECT_TRUE(sim::RemoveCard("Reader A"));
            sim::AppendEvent("mover " + std::to_string(i));
            EXPECT_TRUE(sim::InsertCard("Reader A"));
        }
    });
    int unexpected = 0;
    for (int i = 0; i < kMoves; ++i) {
        const LONG status = StatusOf(card);
        const LONG sent = Send(card, pcsc().t0Pci, sim::HexBytes("00A4040000"));
        DWORD protocol = 0;
        const LONG reconnected =
            pcsc().reconnect(card, SCARD_SHARE_SHARED, kT0OrT1, SCARD_LEAVE_CARD, &protocol);
        for (const LONG result : {status, sent}) {
            if (result != SCARD_S_SUCCESS && result != SCARD_W_REMOVED_CARD &&
                result != SCARD_E_NO_SMARTCARD) {
                ++unexpected;
            }
        }
        if (reconnected != SCARD_S_SUCCESS && reconnected != SCARD_E_NO_SMARTCARD) {
            ++unexpected;
        }
    }
    mover.join();
    EXPECT_EQ(unexpected, 0);

    int moverLines = 0;
    for (const std::string& line : sim::Events()) {
        moverLines += line.rfind("mover ", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(moverLines, kMoves);
    DWORD state = 0;
    DWORD protocol = 0;
    ASSERT_EQ(pcsc().reconnect(card, SCARD_SHARE_SHARED, kT0OrT1, SCARD_LEAVE_CARD, &protocol),
              SCARD_S_SUCCESS);
    ASSERT_EQ(pcsc().status(card, nullptr, nullptr, &state, nullptr, nullptr, nullptr),
              SCARD_S_SUCCESS);
    EXPECT_EQ(state >> 16, static_cast<DWORD>(2 * kMoves + 1));
}

}  // namespace
}  // namespace kestrova::sim_test
