// The single commands a page sends itself: what reaches the card, and what
// the response fields hold afterwards.

#include "card/raw_commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "card/card_result_codes.h"
#include "tests/card/scripted_card_fixture.h"

namespace kestrova {
namespace {

using testing::kCardSlot;
using testing::ScriptedCardTest;

class RawCommandTest : public ScriptedCardTest {
  protected:
    void SetUp() override {
        ScriptedCardTest::SetUp();
        InsertScriptedCard(sim::Protocol::kT0);
    }

    // Fields as an earlier command left them: every command that stores a
    // response must clear them first.
    void FillFields() {
        lastError_ = 11;
        lastResultCode_ = 22;
        respLength_ = 33;
        respData_ = "EARLIER";
    }

    void ExpectFields(std::int32_t lastError, std::int32_t lastResultCode, std::int32_t respLength,
                      const std::string& respData) const {
        EXPECT_EQ(lastError_, lastError);
        EXPECT_EQ(lastResultCode_, lastResultCode);
        EXPECT_EQ(respLength_, respLength);
        EXPECT_EQ(respData_, respData);
    }

    std::int32_t lastError_ = 0;
    std::int32_t lastResultCode_ = 0;
    std::int32_t respLength_ = 0;
    std::string respData_;
    ResponseFields fields_{lastError_, lastResultCode_, respLength_, respData_};
};

TEST_F(RawCommandTest, TransmitSendsTheBytesAsTheyAreAndStoresTheData) {
    const std::string twenty = "000102030405060708090A0B0C0D0E0F10111213";
    Expect("00 B2 01 04 00", twenty + "9000");
    FillFields();
    EXPECT_EQ(TransmitHexCommand(kCardSlot, 5, "00b2010400", fields_), 0);
    ExpectFields(0, 0, 20, twenty);

    // No Le is added and a chaining status word is not followed.
    Expect("00 A4 04 00 02 3F 00", "61 10");
    EXPECT_EQ(TransmitHexCommand(kCardSlot, 7, "00A40400023F00", fields_), 0x6110);
    ExpectFields(0x6110, 0, 0, "");

    Expect("00 84 00 00 08", "90 00");
    FillFields();
    EXPECT_EQ(TransmitHexCommand(kCardSlot, 5, "0084000008", fields_), 0);
    ExpectFields(0, 0, 0, "");
    ExpectAllExchanged();
}

TEST_F(RawCommandTest, TransmitFilesACardRefusalAsTheLastError) {
    Expect("00 A4 02 00 02 3F 01", "6A 82");
    FillFields();
    EXPECT_EQ(TransmitHexCommand(kCardSlot, 7, "00A40200023F01", fields_), 0x6A82);
    ExpectFields(0x6A82, 0, 0, "");

    // A slot outside the table is no card's answer.
    FillFields();
    EXPECT_EQ(TransmitHexCommand(0, 5, "00B2010400", fields_), 9);
    ExpectFields(0, 9, 0, "");
    ExpectAllExchanged();
}

TEST_F(RawCommandTest, TransmitRefusesBadTextBeforeSending) {
    const struct {
        std::int32_t length;
        const char* text;
        std::int32_t result;
    } cases[] = {
        {4, "00B2010", kResultWrongLength}, {4, "00B201040", kResultWrongLength},
        {-1, "", kResultWrongLength},       {0x40000000, "00", kResultWrongLength},
        {2, "00-2", kResultBadHexText},     {2, nullptr, kResultNoText},
    };
    for (const auto& c : cases) {
        FillFields();
        EXPECT_EQ(TransmitHexCommand(kCardSlot, c.length, c.text, fields_), c.result)
            << (c.text == nullptr ? "null" : c.text);
        ExpectFields(0, 0, 0, "");
    }
    EXPECT_EQ(CommandCount(), 0U);
}

TEST_F(RawCommandTest, SelectingADedicatedFileChecksTheTextAndSendsNothing) {
    EXPECT_EQ(SelectDedicatedFile("3F00", kCardSlot), kResultBadHexText);
    EXPECT_EQ(SelectDedicatedFile("3F0", kCardSlot), kResultWrongLength);
    EXPECT_EQ(SelectDedicatedFile(nullptr, kCardSlot), kResultNoText);
    EXPECT_EQ(CommandCount(), 0U);
}

TEST_F(RawCommandTest, SelectingAnElementaryFile) {
    Expect("00 A4 02 00 02 10 01", "90 00");
    EXPECT_EQ(SelectElementaryFile("1001", kCardSlot), 0);
    Expect("00 A4 02 00 02 10 09", "6A 82");
    EXPECT_EQ(SelectElementaryFile("1009", kCardSlot), kResultSelectFileFailed);
    EXPECT_EQ(SelectElementaryFile("10-1", kCardSlot), kResultBadHexText);
    EXPECT_EQ(SelectElementaryFile("10011", kCardSlot), kResultWrongLength);
    EXPECT_EQ(SelectElementaryFile(nullptr, kCardSlot), kResultNoText);
    ExpectAllExchanged();
}

TEST_F(RawCommandTest, ReadRecordAsksFor254BytesOfTheNumberedRecord) {
    Expect("00 B2 03 04 FE", "0310 30303430313233343536373839303132 9000");
    FillFields();
    EXPECT_EQ(ReadRecordOfCurrentFile(kCardSlot, "03", fields_), 0);
    ExpectFields(0, 0, 18, "031030303430313233343536373839303132");

    Expect("00 B2 1A 04 FE", "6A 83");
    FillFields();
    EXPECT_EQ(ReadRecordOfCurrentFile(kCardSlot, "1a", fields_), 0x6A83);
    ExpectFields(0x6A83, 0, 0, "");
    ExpectAllExchanged();
}

// The true count: a record answered with 90 00 alone has no bytes, not the
// 254 that were asked for.
TEST_F(RawCommandTest, ReadRecordAnsweredWithoutDataStoresNoBytes) {
    Expect("00 B2 05 04 FE", "90 00");
    FillFields();
    EXPECT_EQ(ReadRecordOfCurrentFile(kCardSlot, "05", fields_), 0);
    ExpectFields(0, 0, 0, "");
    ExpectAllExchanged();
}

TEST_F(RawCommandTest, ReadRecordRefusesNumbersOutsideOneTo254) {
    for (const char* text : {"00", "ff", "FF"}) {
        FillFields();
        EXPECT_EQ(ReadRecordOfCurrentFile(kCardSlot, text, fields_), kResultRecordNumberOutOfRange);
        ExpectFields(0, 0, 0, "");
    }
    EXPECT_EQ(ReadRecordOfCurrentFile(kCardSlot, "100", fields_), kResultWrongLength);
    EXPECT_EQ(ReadRecordOfCurrentFile(kCardSlot, "ffffffff", fields_), kResultWrongLength);
    EXPECT_EQ(ReadRecordOfCurrentFile(kCardSlot, "0-", fields_), kResultBadHexText);
    EXPECT_EQ(CommandCount(), 0U);
}

}  // namespace
}  // namespace kestrova
