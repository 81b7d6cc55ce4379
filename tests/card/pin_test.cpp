// Reader models, the PIN block, and PIN verification and change on every
// kind of reader, byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <utility>

#include "card/pin_block.h"
#include "card/pin_operations.h"
#include "card/reader_kind.h"
#include "reader/result_codes.h"
#include "tests/card/scripted_card_fixture.h"

namespace kestrova {
namespace {

using testing::kCardSlot;
using testing::ScriptedCardTest;

constexpr char kSelectAid[] = "00 A4 04 00 08 A0 00 00 01 72 95 00 01";
constexpr char kNoPinBlock[] = "00 20 00 10 08 FF FF FF FF FF FF FF FF";

class ReaderKindTest : public ::testing::TestWithParam<std::pair<const char*, ReaderKind>> {};

TEST_P(ReaderKindTest, ModelNamesArePrefixesWithCaseIgnored) {
    EXPECT_EQ(ClassifyReader(GetParam().first), static_cast<std::int32_t>(GetParam().second))
        << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(
    Models, ReaderKindTest,
    ::testing::Values(std::pair{"todos ecode connectable ii 0", ReaderKind::PinPadA},
                      std::pair{"Todos eCode Connectable 0", ReaderKind::PinPadC},
                      std::pair{"Todos eCode Connectable I", ReaderKind::PinPadC},
                      std::pair{"acs acr83uXYZ", ReaderKind::PinPadB},
                      std::pair{"ACS APG8201 PINhandy", ReaderKind::PinPadA},
                      std::pair{"ACS ACR83", ReaderKind::Plain},  // shorter than the model name
                      std::pair{" ACS ACR83U", ReaderKind::Plain},
                      std::pair{"Kestrova Virtual Reader 0", ReaderKind::Plain}));

TEST(ReaderKindNoText, AnEmptyOrAbsentNameIsRefused) {
    EXPECT_EQ(ClassifyReader(""), kResultNoText);
    EXPECT_EQ(ClassifyReader(nullptr), kResultNoText);
}

// Cleared by Wipe() as soon as its command is sent, and when it goes.
TEST(PinBlockTest, IsWipedByWipeAndWhenItGoes) {
    alignas(PinBlock) unsigned char storage[sizeof(PinBlock)];
    auto* block = new (storage) PinBlock;
    ASSERT_EQ(block->Pack("987654", 6), 0);
    EXPECT_EQ(sim::HexText(block->Bytes().data(), 8), "987654FFFFFFFFFF");
    block->Wipe();
    EXPECT_EQ(sim::HexText(block->Bytes().data(), 8), "0000000000000000");
    ASSERT_EQ(block->Pack("987654", 6), 0);
    block->~PinBlock();
    EXPECT_TRUE(std::all_of(std::begin(storage), std::end(storage),
                            [](unsigned char byte) { return byte == 0; }));
}

class VerifyPinTest : public ScriptedCardTest {
  protected:
    void SetUp() override {
        ScriptedCardTest::SetUp();
        InsertScriptedCard(sim::Protocol::kT1);
    }
    void ExpectVerify(const std::string& command, const char* answer = "90 00") {
        Expect(std::string(kSelectAid) + "00", "90 00");
        Expect(command, answer);
    }
};

TEST_F(VerifyPinTest, ThePinIsCheckedBeforeAnyCommand) {
    EXPECT_EQ(VerifyPin("Reader A", "", kCardSlot, "12345"), kResultWrongLength);
    EXPECT_EQ(VerifyPin("Reader A", "", kCardSlot, "1234567890123"), kResultWrongLength);
    EXPECT_EQ(VerifyPin("Reader A", "", kCardSlot, "12345a"), kResultNotDigit);
    EXPECT_EQ(VerifyPin("", "", kCardSlot, "123456"), kResultNoReaderKind);
    EXPECT_EQ(CommandCount(), 0U);
}

// Digits packed two per byte and padded with F, sent without Le; without a
// PIN a block of FF, except that the ACS ACR83U gets the data-less class-80
// VERIFY and collects the PIN itself.
TEST_F(VerifyPinTest, EachReaderKindSendsItsCommand) {
    ExpectVerify("00 20 00 10 08 12 34 56 7F FF FF FF FF");
    EXPECT_EQ(VerifyPin("Reader A", "ignored", kCardSlot, "1234567"), 0);
    ExpectVerify("00 20 00 10 08 12 34 56 78 90 12 FF FF");
    EXPECT_EQ(VerifyPin("ACS ACR83U 0", nullptr, kCardSlot, "123456789012"), 0);
    for (const char* reader :
         {"Reader A", "Todos eCode Connectable II 0", "Todos eCode Connectable 0"}) {
        ExpectVerify(kNoPinBlock);
        EXPECT_EQ(VerifyPin(reader, "", kCardSlot, ""), 0) << reader;
        ExpectVerify(kNoPinBlock);
        EXPECT_EQ(VerifyPin(reader, "", kCardSlot, nullptr), 0) << reader;
    }
    ExpectVerify("80 20 00 10");
    EXPECT_EQ(VerifyPin("ACS ACR83U 0", "", kCardSlot, ""), 0);

    ExpectVerify("00 20 00 10 08 11 11 11 FF FF FF FF FF", "63 C2");
    EXPECT_EQ(VerifyPin("Reader A", "", kCardSlot, "111111"), 0x63C2);
    Expect(std::string(kSelectAid) + "00", "6A 82");
    EXPECT_EQ(VerifyPin("Reader A", "", kCardSlot, "123456"), kResultSelectApplicationFailed);
    ExpectAllExchanged();
}

// ChangePin connects the named reader's card itself and leaves it connected.
class ChangePinTest : public ScriptedCardTest {
  protected:
    void ExpectTypedChange(const char* newBlockAnswer = "90 00") {
        Expect(kSelectAid, "90 00");
        Expect("00 20 00 10 08 12 34 56 FF FF FF FF FF", "90 00");
        Expect("00 A4 02 00 02 00 C2", "90 00");
        Expect("00 D2 01 04 08 65 43 21 0F FF FF FF FF", newBlockAnswer);
    }
};

TEST_F(ChangePinTest, TypedReadersVerifyTheOldPinAndWriteTheNewOne) {
    InsertScriptedCard(sim::Protocol::kT0, "ACS ACR83U 00 00", false);
    ExpectTypedChange();
    EXPECT_EQ(ChangePin("ACS ACR83U 00 00", nullptr, "123456", "6543210", nullptr, 1), 0);
    EXPECT_EQ(sim::ConnectionCount("ACS ACR83U 00 00"), 1);

    ExpectTypedChange("69 82");
    EXPECT_EQ(ChangePin("ACS ACR83U 00 00", "", "123456", "6543210", "", 0), kResultWritePinFailed);
    Expect(kSelectAid, "90 00");
    Expect("00 20 00 10 08 12 34 56 FF FF FF FF FF", "63 C1");  // no write follows
    EXPECT_EQ(ChangePin("ACS ACR83U 00 00", "", "123456", "654321", "", 0), 0x63C1);
    Expect(kSelectAid, "90 00");
    Expect("00 20 00 10 08 12 34 56 FF FF FF FF FF", "90 00");
    Expect("00 A4 02 00 02 00 C2", "6A 82");
    EXPECT_EQ(ChangePin("ACS ACR83U 00 00", "", "123456", "654321", "", 0),
              kResultSelectFileFailed);
    ExpectAllExchanged();
}

// Lengths are checked once the card is connected; the old PIN's letters and
// the new PIN's have codes of their own.
TEST_F(ChangePinTest, TypedPinsAreCheckedAfterConnecting) {
    InsertScriptedCard(sim::Protocol::kT0, "Reader A", false);
    EXPECT_EQ(ChangePin("Reader B", "", "123456", "654321", "", 0),
              static_cast<std::int32_t>(0x80100009U));  // SCARD_E_UNKNOWN_READER
    EXPECT_EQ(ChangePin("Reader A", "", "12345a", "654321", "", 0), kResultOldPinNotDigit);
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 1);
    EXPECT_EQ(ChangePin("Reader A", "", "123456", "65432a", "", 0), kResultNotDigit);
    EXPECT_EQ(ChangePin("Reader A", "", "123456", "65432", "", 0), kResultWrongLength);
    EXPECT_EQ(ChangePin("Reader A", "", nullptr, "654321", "", 0), kResultPinChangeArgumentMissing);
    EXPECT_EQ(ChangePin("", "", "123456", "654321", "", 0), kResultNoReaderKind);
    EXPECT_EQ(CommandCount(), 0U);
}

// The PINs are typed on the reader: the page's texts are never sent, and the
// application is selected by name. Both keypad kinds that change the PIN on
// the reader take this path.
TEST_F(ChangePinTest, KeypadReadersGetTheMarkerInsteadOfThePins) {
    for (const char* reader :
         {"Todos eCode Connectable 0", "Todos eCode Connectable II 0", "ACS APG8201 0"}) {
        SCOPED_TRACE(reader);
        TearDown();
        SetUp();
        InsertScriptedCard(sim::Protocol::kT0, reader, false);
        Expect(kSelectAid, "61 0C");
        Expect("00 C0 00 00 0C", "6F0A8408A000000172950001 9000");
        Expect("00 A4 02 00 02 00 C2", "90 00");
        Expect("00 20 00 10 08 F0 F0 F0 F0 F0 F0 F0 F0", "63 C2");
        EXPECT_EQ(ChangePin(reader, "", "not a pin", "x", "", 0), 0x63C2);

        EXPECT_EQ(ChangePin(reader, "", "123456", "654321", nullptr, 0), kResultNoText);
        Expect(kSelectAid, "6A 82");
        EXPECT_EQ(ChangePin(reader, "", "", "", "", 0), kResultSelectFileFailed);
        Expect(kSelectAid, "90 00");
        Expect("00 A4 02 00 02 00 C2", "6A 82");
        EXPECT_EQ(ChangePin(reader, "", "", "", "", 0), 0x6A82);
        ExpectAllExchanged();
    }
}

}  // namespace
}  // namespace kestrova
