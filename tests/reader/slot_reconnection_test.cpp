#include "reader/slot_reconnection.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reader/card_service.h"
#include "reader/reader_registration.h"
#include "reader/result_codes.h"
#include "reader/slot_connection.h"
#include "tests/reader/simulated_service_fixture.h"

namespace kestrova {
namespace {

using testing::RegisterInto;
using testing::SimulatedServiceTest;
using Calls = std::vector<std::string>;

constexpr std::int32_t kNoSmartcard = static_cast<std::int32_t>(0x8010000CU);

class SlotReconnectionTest : public SimulatedServiceTest {
  protected:
    // Reader A in slot 1 with its card connected exclusively.
    void ConnectReaderA() {
        AddReaderWithCard("Reader A", sim::Protocol::kT1, {0x3B, 0x8A, 0x80, 0x01});
        std::int32_t slot = 0;
        ASSERT_EQ(RegisterInto("Reader A", slot), kResultSuccess);
        ASSERT_EQ(ConnectSlot(1, 1, atrLength_, atr_), kResultSuccess);
        held_ = TheCardService().currentCard;
    }

    std::int32_t atrLength_ = 0;
    AtrBuffer atr_{};
    SCARDHANDLE held_ = 0;
};

// pcscd: the pulled card's handle answers "removed" after the card is back,
// and a fresh connect meets the reader held by that very handle.
TEST_F(SlotReconnectionTest, RevivesTheHandleThatStillHoldsTheReader) {
    ConnectReaderA();
    ASSERT_TRUE(sim::RemoveCard("Reader A"));
    EXPECT_EQ(ReconnectSlot(1, atrLength_, atr_), kNoSmartcard);
    ASSERT_TRUE(sim::InsertCard("Reader A"));
    ASSERT_EQ(ConnectSlot(1, 1, atrLength_, atr_), kRemovedCard);

    atrLength_ = 0;
    StartLog();
    EXPECT_EQ(ReconnectSlot(1, atrLength_, atr_), kResultSuccess);
    EXPECT_EQ(CallNames(), (Calls{"SCardReconnect", "SCardStatus"}));
    EXPECT_TRUE(Contains(OnlyEvent("SCardReconnect"),
                         "SCARD_SHARE_EXCLUSIVE, SCARD_PROTOCOL_T0|SCARD_PROTOCOL_T1, "
                         "SCARD_LEAVE_CARD)"));
    EXPECT_EQ(atrLength_, 4);
    EXPECT_EQ(TheCardService().currentCard, held_);
    EXPECT_EQ(Slot(1).card, held_);
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 1);
}

TEST_F(SlotReconnectionTest, RefusesWhatItCannotReconnect) {
    EXPECT_EQ(ReconnectSlot(0, atrLength_, atr_), kResultBadSlot);
    EXPECT_EQ(ReconnectSlot(17, atrLength_, atr_), kResultBadSlot);
    EXPECT_EQ(ReconnectSlot(1, atrLength_, atr_), kResultContextNotOpen);

    AddReaderWithCard("Reader A");
    std::int32_t slot = 0;
    ASSERT_EQ(RegisterInto("Reader A", slot), kResultSuccess);
    StartLog();
    EXPECT_EQ(ReconnectSlot(1, atrLength_, atr_), kResultNoConnection);
    EXPECT_TRUE(CallNames().empty());
}

}  // namespace
}  // namespace kestrova
