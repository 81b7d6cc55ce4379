// The single commands a page sends itself: what reaches the card, and what
// the response fields hold afterwards. Every command that stores a response
// clears the fields first, so each case starts from stale values.

#include "card/raw_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "reader/result_codes.h"
#include "tests/card/scripted_card_fixture.h"
#include "tests/card/wipe_recorder.h"

namespace kestrova {
namespace {

using testing::kCardSlot;
using testing::ScriptedCardResponseTest;

class RawCommandTest : public ScriptedCardResponseTest {
  protected:
    void SetUp() override {
        ScriptedCardResponseTest::SetUp();
        InsertScriptedCard(sim::Protocol::kT0);
    }
};

// The bytes go out as they are: no Le added, no chaining status followed.
TEST_F(RawCommandTest, TransmitStoresTheDataOrFilesTheFailure) {
    const std::string twenty = "000102030405060708090A0B0C0D0E0F10111213";
    Expect("00 B2 01 04 00", twenty + "9000");
    EXPECT_EQ(TransmitHexCommand(kCardSlot, 5, "00b2010400", Stale()), 0);
    EXPECT_EQ(Fields(), "0 0 20 " + twenty);
    Expect("00 84 00 00 08", "90 00");
    EXPECT_EQ(TransmitHexCommand(kCardSlot, 5, "0084000008", Stale()), 0);
    EXPECT_EQ(Fields(), "0 0 0 ");
    Expect("00 A4 04 00 02 3F 00", "61 10");
    EXPECT_EQ(TransmitHexCommand(kCardSlot, 7, "00A40400023F00", Stale()), 0x6110);
    EXPECT_EQ(Fields(), std::to_string(0x6110) + " 0 0 ");
    EXPECT_EQ(TransmitHexCommand(0, 5, "00B2010400", Stale()), 9);
    EXPECT_EQ(Fields(), "0 9 0 ");
    ExpectAllExchanged();

    const struct {
        const char* text;
        std::int32_t length;
        std::int32_t result;
    } refused[] = {
        {"00B2010", 4, kResultWrongLength},
        {"", -1, kResultWrongLength},
        {"00", 0x40000000, kResultWrongLength},
        {"00-2", 2, kResultBadHexText},
        {nullptr, 2, kResultNoText},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(TransmitHexCommand(kCardSlot, c.length, c.text, Stale()), c.result);
        EXPECT_EQ(Fields(), "0 0 0 ");
    }
    EXPECT_EQ(CommandCount(), 3U);
}

// A page may send a VERIFY with a PIN block through the pass-through: the
// decoded command is wiped, also when its text turns out to be bad halfway.
TEST_F(RawCommandTest, TheDecodedCommandIsWipedOnEveryWayOut) {
    const std::vector<std::uint8_t> verify =
        sim::HexBytes("00 20 00 10 08 12 34 56 FF FF FF FF FF");
    const auto wiped = [](const std::vector<std::uint8_t>& bytes, std::size_t decoded) {
        for (const std::vector<std::uint8_t>& buffer : testing::WipedBuffers()) {
            if (buffer.size() == bytes.size() &&
                std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(decoded),
                           buffer.begin())) {
                return true;
            }
        }
        return false;
    };
    Expect("00 20 00 10 08 12 34 56 FF FF FF FF FF", "90 00");
    testing::ForgetWipes();
    EXPECT_EQ(TransmitHexCommand(kCardSlot, 13, "0020001008123456FFFFFFFFFF", Stale()), 0);
    EXPECT_TRUE(wiped(verify, verify.size()));
    ExpectAllExchanged();

    testing::ForgetWipes();
    EXPECT_EQ(TransmitHexCommand(kCardSlot, 13, "0020001008123456FFFFFFFF-F", Stale()),
              kResultBadHexText);
    EXPECT_TRUE(wiped(verify, 8));
    EXPECT_EQ(CommandCount(), 1U);
}

TEST_F(RawCommandTest, SelectionsCheckTheirIdentifierTextFirst) {
    EXPECT_EQ(SelectDedicatedFile("3F0", kCardSlot), kResultWrongLength);
    EXPECT_EQ(SelectDedicatedFile(nullptr, kCardSlot), kResultNoText);
    EXPECT_EQ(SelectElementaryFile("10-1", kCardSlot), kResultBadHexText);
    EXPECT_EQ(SelectElementaryFile("10011", kCardSlot), kResultWrongLength);
    EXPECT_EQ(CommandCount(), 0U);
}

// Le FE; the count stored is the bytes the card sent: 90 00 alone stores
// none, not the 254 asked for.
TEST_F(RawCommandTest, ReadRecordStoresTheBytesTheCardSent) {
    Expect("00 B2 03 04 FE", "0310 3030343031323334 9000");
    EXPECT_EQ(ReadRecordOfCurrentFile(kCardSlot, "03", Stale()), 0);
    EXPECT_EQ(Fields(), "0 0 10 03103030343031323334");
    Expect("00 B2 05 04 FE", "90 00");
    EXPECT_EQ(ReadRecordOfCurrentFile(kCardSlot, "05", Stale()), 0);
    EXPECT_EQ(Fields(), "0 0 0 ");
    ExpectAllExchanged();

    const struct {
        const char* text;
        std::int32_t result;
    } refused[] = {{"00", kResultRecordNumberOutOfRange},
                   {"ff", kResultRecordNumberOutOfRange},
                   {"100", kResultWrongLength},
                   {"ffffffff", kResultWrongLength},
                   {"0-", kResultBadHexText}};
    for (const auto& c : refused) {
        EXPECT_EQ(ReadRecordOfCurrentFile(kCardSlot, c.text, Stale()), c.result) << c.text;
        EXPECT_EQ(Fields(), "0 0 0 ");
    }
    EXPECT_EQ(CommandCount(), 2U);
}

}  // namespace
}  // namespace kestrova
