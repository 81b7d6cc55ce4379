// The write command 00 E2 byte for byte on scripted cards, what the response
// fields hold afterwards, and the SNUM and TAC taken from its answer.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "reader/result_codes.h"
#include "tests/card/scripted_card_fixture.h"
#include "txn/snum_tac.h"
#include "txn/write_record_with_snum_tac.h"

namespace kestrova {
namespace {

using testing::kCardSlot;
using testing::ScriptedCardResponseTest;

// Length 1B, SNUM "00000042", file 10 03, TAC 1122334455667788, serial.
constexpr char kAnswer27[] = "1B 3030303030303432 1003 1122334455667788 8886000012345678";

using WriteRecordTest = ScriptedCardResponseTest;

TEST_F(WriteRecordTest, UnderT1TheRecordGoesWithLeAndTheAnswerIsStored) {
    InsertScriptedCard(sim::Protocol::kT1);
    Expect("00 E2 10 03 03 32 35 32 00", std::string(kAnswer27) + "9000");
    EXPECT_EQ(WriteRecordWithSnumTac(kCardSlot, "1003", 3, "323532", Stale()), 0);
    EXPECT_EQ(Fields(),
              "0 0 27 1B303030303030343210031122334455667788"
              "8886000012345678");

    // The longest record the length byte carries.
    const std::string record(510, 'A');
    Expect("00 E2 10 03 FF" + record + "00", "01 02 03 90 00");
    EXPECT_EQ(WriteRecordWithSnumTac(kCardSlot, "1003", 255, record.c_str(), Stale()), 0);
    EXPECT_EQ(Fields(), "0 0 3 010203");
    ExpectAllExchanged();
}

// T=0: the answer is fetched with GET RESPONSE; a 35-byte answer is kept
// whole.
TEST_F(WriteRecordTest, UnderT0TheAnswerIsFetched) {
    InsertScriptedCard(sim::Protocol::kT0);
    const std::string answer35 = std::string(kAnswer27) + "A1A2A3A4A5A6A7A8";
    Expect("00 E2 1A 2B 02 AB CD", "61 23");
    Expect("00 C0 00 00 23", answer35 + "9000");
    EXPECT_EQ(WriteRecordWithSnumTac(kCardSlot, "1a2b", 2, "abCD", Stale()), 0);
    EXPECT_EQ(respLength_, 35);
    EXPECT_EQ(respData_.size(), 70U);
    EXPECT_EQ(respData_.substr(54), "A1A2A3A4A5A6A7A8");
    ExpectAllExchanged();
}

// A card that answers 90 00 alone sent no data: not 256 bytes.
TEST_F(WriteRecordTest, AnAnswerWithoutDataStoresNothing) {
    InsertScriptedCard(sim::Protocol::kT1);
    Expect("00 E2 10 03 01 41 00", "90 00");
    EXPECT_EQ(WriteRecordWithSnumTac(kCardSlot, "1003", 1, "41", Stale()), 0);
    EXPECT_EQ(Fields(), "0 0 0 ");
    ExpectAllExchanged();
}

TEST_F(WriteRecordTest, FailuresAreFiledAndArgumentsCheckedBeforeSending) {
    InsertScriptedCard(sim::Protocol::kT1);
    Expect("00 E2 10 03 01 41 00", "69 82");
    EXPECT_EQ(WriteRecordWithSnumTac(kCardSlot, "1003", 1, "41", Stale()), 0x6982);
    EXPECT_EQ(Fields(), std::to_string(0x6982) + " 0 0 ");
    EXPECT_EQ(WriteRecordWithSnumTac(0, "1003", 1, "41", Stale()), 9);
    EXPECT_EQ(Fields(), "0 9 0 ");

    const struct {
        const char* fileId;
        std::int32_t length;
        const char* record;
        std::int32_t result;
    } refused[] = {
        {nullptr, 1, "41", kResultNoText},
        {"1003", 1, nullptr, kResultNoText},
        {"100", 1, "41", kResultWrongLength},
        {"10030", 1, "41", kResultWrongLength},
        {"1003", 2, "41", kResultWrongLength},
        {"1003", -1, "", kResultWrongLength},
        {"1003", 0x40000000, "", kResultWrongLength},
        {"10-3", 1, "41", kResultBadHexText},
        {"1003", 1, "4 ", kResultBadHexText},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(WriteRecordWithSnumTac(kCardSlot, c.fileId, c.length, c.record, Stale()),
                  c.result)
            << (c.fileId ? c.fileId : "null") << " " << c.length;
        EXPECT_EQ(Fields(), "0 0 0 ");
    }
    // One byte carries the length: 256 bytes cannot be written.
    const std::string record(512, 'A');
    EXPECT_EQ(WriteRecordWithSnumTac(kCardSlot, "1003", 256, record.c_str(), Stale()),
              kResultWrongLength);
    EXPECT_EQ(CommandCount(), 1U);
    ExpectAllExchanged();
}

std::string SnumAndTac(const std::string& responseHex) {
    std::string snum = "OLD";
    std::string tac = "OLD";
    PublishSnumTac(responseHex, snum, tac);
    return snum + "|" + tac;
}

TEST(SnumTacTest, TakenOnlyFromTheBytesTheCardSent) {
    EXPECT_EQ(SnumAndTac("1B303030303030343210031122334455667788"
                         "8886000012345678"),
              "00000042|1122334455667788");
    // 19 bytes: the last TAC byte is the last byte.
    EXPECT_EQ(SnumAndTac("003132333435363738FFFF0102030405060708"), "12345678|0102030405060708");
    // Shorter answers give shorter texts, or none.
    EXPECT_EQ(SnumAndTac("0031323334353637383940010203"), "12345678|010203");
    EXPECT_EQ(SnumAndTac("00313233343536373839"), "12345678|");
    EXPECT_EQ(SnumAndTac("003132"), "12|");
    EXPECT_EQ(SnumAndTac("00"), "|");
    EXPECT_EQ(SnumAndTac(""), "|");
    // SNUM is text up to its first zero byte.
    EXPECT_EQ(SnumAndTac("00313200333435363738390102030405060708"), "12|0102030405060708");
}

}  // namespace
}  // namespace kestrova
