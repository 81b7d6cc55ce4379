// Reader models, the PIN block, and PIN verification and change on every
// kind of reader, byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>

#include "card/card_result_codes.h"
#include "card/pin_block.h"
#include "card/pin_operations.h"
#include "card/reader_kind.h"
#include "tests/card/scripted_card_fixture.h"

namespace kestrova {
namespace {

using testing::kCardSlot;
using testing::ScriptedCardTest;

constexpr std::int32_t kUnknownReader = static_cast<std::int32_t>(0x80100009U);
constexpr char kSelectAid[] = "00 A4 04 00 08 A0 00 00 01 72 95 00 01";

std::int32_t KindOf(ReaderKind kind) {
    return static_cast<std::int32_t>(kind);
}

TEST(ReaderKindTest, ModelNamesArePrefixesWithCaseIgnored) {
    const struct {
        const char* name;
        std::int32_t kind;
    } cases[] = {
        {"todos ecode connectable ii 0", KindOf(ReaderKind::PinPadA)},
        {"Todos eCode Connectable II", KindOf(ReaderKind::PinPadA)},
        {"Todos eCode Connectable 0", KindOf(ReaderKind::PinPadC)},
        {"Todos eCode Connectable I", KindOf(ReaderKind::PinPadC)},
        {"ACS ACR83U 00 00", KindOf(ReaderKind::PinPadB)},
        {"acs acr83uXYZ", KindOf(ReaderKind::PinPadB)},
        {"ACS APG8201 PINhandy", KindOf(ReaderKind::PinPadA)},
        {"ACS ACR83", KindOf(ReaderKind::Plain)},  // shorter than the model name
        {"ACS ACR38U 00 00", KindOf(ReaderKind::Plain)},
        {" ACS ACR83U", KindOf(ReaderKind::Plain)},
        {"Kestrova Virtual Reader 0", KindOf(ReaderKind::Plain)},
        {"", kResultNoText},
        {nullptr, kResultNoText},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyReader(c.name), c.kind) << (c.name == nullptr ? "null" : c.name);
    }
}

TEST(PinBlockTest, PacksDigitsTwoPerByteAndPadsWithF) {
    const struct {
        const char* pin;
        const char* block;
    } cases[] = {
        {"123456", "123456FFFFFFFFFF"},
        {"1234567", "1234567FFFFFFFFF"},
        {"123456789012", "123456789012FFFF"},
        {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF"},
    };
    for (const auto& c : cases) {
        PinBlock block;
        ASSERT_EQ(block.Pack(c.pin, std::char_traits<char>::length(c.pin)), 0) << c.pin;
        EXPECT_EQ(sim::HexText(block.Bytes().data(), block.Bytes().size()), c.block);
    }
    PinBlock block;
    EXPECT_EQ(block.Pack("12345678901234567", 17), kResultWrongLength);
    EXPECT_EQ(block.Pack("12-456", 6), kResultNotDigit);
}

// A block is cleared as soon as it is wiped, and in any case when it goes.
TEST(PinBlockTest, IsWipedByWipeAndWhenItGoes) {
    PinBlock wiped;
    ASSERT_EQ(wiped.Pack("987654", 6), 0);
    wiped.Wipe();
    EXPECT_EQ(sim::HexText(wiped.Bytes().data(), wiped.Bytes().size()), "0000000000000000");

    alignas(PinBlock) unsigned char storage[sizeof(PinBlock)];
    auto* block = new (storage) PinBlock;
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
    void ExpectSelectAid() { Expect(std::string(kSelectAid) + "00", "90 00"); }
};

TEST_F(VerifyPinTest, ThePinIsCheckedBeforeAnyCommand) {
    EXPECT_EQ(VerifyPin("Reader A", "", kCardSlot, "12345"), kResultWrongLength);
    EXPECT_EQ(VerifyPin("Reader A", "", kCardSlot, "1234567890123"), kResultWrongLength);
    EXPECT_EQ(VerifyPin("Reader A", "", kCardSlot, "12345a"), kResultNotDigit);
    EXPECT_EQ(VerifyPin("", "", kCardSlot, "123456"), kResultNoReaderKind);
    EXPECT_EQ(VerifyPin(nullptr, "", kCardSlot, "123456"), kResultNoReaderKind);
    EXPECT_EQ(CommandCount(), 0U);
}

TEST_F(VerifyPinTest, APinIsSentPackedWithoutLe) {
    ExpectSelectAid();
    Expect("00 20 00 10 08 12 34 56 7F FF FF FF FF", "90 00");
    EXPECT_EQ(VerifyPin("Reader A", "ignored", kCardSlot, "1234567"), 0);
    // A keypad reader given a PIN sends it the same way.
    ExpectSelectAid();
    Expect("00 20 00 10 08 12 34 56 78 90 12 FF FF", "90 00");
    EXPECT_EQ(VerifyPin("ACS ACR83U 0", nullptr, kCardSlot, "123456789012"), 0);
    ExpectAllExchanged();
}

// With no PIN the card gets a block of FF, except from the ACS ACR83U, which
// is sent the data-less class-80 VERIFY and collects the PIN itself.
TEST_F(VerifyPinTest, WithoutAPinEachReaderKindSendsItsOwnCommand) {
    for (const char* reader :
         {"Reader A", "Todos eCode Connectable II 0", "Todos eCode Connectable 0"}) {
        SCOPED_TRACE(reader);
        ExpectSelectAid();
        Expect("00 20 00 10 08 FF FF FF FF FF FF FF FF", "90 00");
        EXPECT_EQ(VerifyPin(reader, "", kCardSlot, ""), 0);
        ExpectSelectAid();
        Expect("00 20 00 10 08 FF FF FF FF FF FF FF FF", "90 00");
        EXPECT_EQ(VerifyPin(reader, "", kCardSlot, nullptr), 0);
    }
    ExpectSelectAid();
    Expect("80 20 00 10", "90 00");
    EXPECT_EQ(VerifyPin("ACS ACR83U 0", "", kCardSlot, ""), 0);
    ExpectAllExchanged();
}

TEST_F(VerifyPinTest, TheCardsAnswerIsTheResult) {
    ExpectSelectAid();
    Expect("00 20 00 10 08 11 11 11 FF FF FF FF FF", "63 C2");
    EXPECT_EQ(VerifyPin("Reader A", "", kCardSlot, "111111"), 0x63C2);
    ExpectSelectAid();
    Expect("00 20 00 10 08 12 34 56 FF FF FF FF FF", "69 83");
    EXPECT_EQ(VerifyPin("Reader A", "", kCardSlot, "123456"), 0x6983);
    Expect(std::string(kSelectAid) + "00", "6A 82");
    EXPECT_EQ(VerifyPin("Reader A", "", kCardSlot, "123456"), kResultSelectApplicationFailed);
    ExpectAllExchanged();
}

// ChangePin connects the named reader's card itself (slot 1 here) and leaves
// it connected.
class ChangePinTest : public ScriptedCardTest {
  protected:
    void Insert(const std::string& readerName) {
        InsertScriptedCard(sim::Protocol::kT0, readerName, false);
    }
    void ExpectTypedChange(const std::string& oldBlock, const std::string& newBlock) {
        Expect(kSelectAid, "90 00");
        Expect("00 20 00 10 08" + oldBlock, "90 00");
        Expect("00 A4 02 00 02 00 C2", "90 00");
        Expect("00 D2 01 04 08" + newBlock, "90 00");
    }
};

TEST_F(ChangePinTest, APlainReaderVerifiesTheOldPinAndWritesTheNewOne) {
    Insert("Reader A");
    ExpectTypedChange("123456FFFFFFFFFF", "6543210FFFFFFFFF");
    EXPECT_EQ(ChangePin("Reader A", "", "123456", "6543210", "", 0), 0);
    ExpectAllExchanged();
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 1);
    EXPECT_EQ(SlotName(1), "Reader A");
}

TEST_F(ChangePinTest, TheAcr83uTakesTheTypedBranch) {
    Insert("ACS ACR83U 00 00");
    ExpectTypedChange("123456FFFFFFFFFF", "999999FFFFFFFFFF");
    EXPECT_EQ(ChangePin("ACS ACR83U 00 00", nullptr, "123456", "999999", nullptr, 1), 0);
    ExpectAllExchanged();
}

// The lengths are checked once the card is connected; the old PIN's letters
// and the new PIN's have codes of their own.
TEST_F(ChangePinTest, TypedPinsAreCheckedAfterConnecting) {
    Insert("Reader A");
    EXPECT_EQ(ChangePin("Reader A", "", "12345a", "654321", "", 0), kResultOldPinNotDigit);
    EXPECT_EQ(ChangePin("Reader A", "", "123456", "65432a", "", 0), kResultNotDigit);
    EXPECT_EQ(ChangePin("Reader A", "", "123456", "65432", "", 0), kResultWrongLength);
    EXPECT_EQ(ChangePin("Reader A", "", "", "654321", "", 0), kResultWrongLength);
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 1);
    EXPECT_EQ(ChangePin("Reader A", "", nullptr, "654321", "", 0), kResultPinChangeArgumentMissing);
    EXPECT_EQ(ChangePin("Reader A", "", "123456", nullptr, "", 0), kResultPinChangeArgumentMissing);
    EXPECT_EQ(ChangePin("", "", "123456", "654321", "", 0), kResultNoReaderKind);
    EXPECT_EQ(CommandCount(), 0U);
}

TEST_F(ChangePinTest, ARejectedOldPinLeavesThePinFileAlone) {
    Insert("Reader A");
    Expect(kSelectAid, "90 00");
    Expect("00 20 00 10 08 11 11 11 FF FF FF FF FF", "63 C1");
    EXPECT_EQ(ChangePin("Reader A", "", "111111", "654321", "", 0), 0x63C1);
    ExpectAllExchanged();
}

TEST_F(ChangePinTest, EachFailedTypedStepHasItsCode) {
    Insert("Reader A");
    Expect(kSelectAid, "6A 82");
    EXPECT_EQ(ChangePin("Reader A", "", "123456", "654321", "", 0), kResultSelectApplicationFailed);
    Expect(kSelectAid, "90 00");
    Expect("00 20 00 10 08 12 34 56 FF FF FF FF FF", "90 00");
    Expect("00 A4 02 00 02 00 C2", "6A 82");
    EXPECT_EQ(ChangePin("Reader A", "", "123456", "654321", "", 0), kResultSelectFileFailed);
    Expect(kSelectAid, "90 00");
    Expect("00 20 00 10 08 12 34 56 FF FF FF FF FF", "90 00");
    Expect("00 A4 02 00 02 00 C2", "90 00");
    Expect("00 D2 01 04 08 65 43 21 FF FF FF FF FF", "69 82");
    EXPECT_EQ(ChangePin("Reader A", "", "123456", "654321", "", 0), kResultWritePinFailed);
    ExpectAllExchanged();
}

TEST_F(ChangePinTest, AReaderThatCannotBeConnectedGivesTheConnectFailure) {
    Insert("Reader A");
    EXPECT_EQ(ChangePin("Reader B", "", "123456", "654321", "", 0), kUnknownReader);
    EXPECT_EQ(ChangePin("Todos eCode Connectable 1", "", "", "", "serial", 0), kUnknownReader);
    EXPECT_EQ(CommandCount(), 0U);
}

// On a keypad reader the PINs are typed on the reader: the page's texts are
// never sent, and the application is selected by name.
TEST_F(ChangePinTest, AKeypadReaderGetsTheMarkerInsteadOfThePins) {
    for (const char* reader : {"Todos eCode Connectable II 0", "ACS APG8201 0"}) {
        SCOPED_TRACE(reader);
        sim::Reset();
        testing::ForgetCardService();
        Insert(reader);
        Expect(kSelectAid, "61 0C");
        Expect("00 C0 00 00 0C", "6F0A8408A000000172950001 9000");
        Expect("00 A4 02 00 02 00 C2", "90 00");
        Expect("00 20 00 10 08 F0 F0 F0 F0 F0 F0 F0 F0", "90 00");
        EXPECT_EQ(ChangePin(reader, "", "not a pin", "x", "", 0), 0);
        ExpectAllExchanged();
    }
}

TEST_F(ChangePinTest, KeypadBranchCodes) {
    const char* reader = "Todos eCode Connectable 0";
    Insert(reader);
    EXPECT_EQ(ChangePin(reader, "", "123456", "654321", nullptr, 0), kResultNoText);
    EXPECT_EQ(CommandCount(), 0U);

    Expect(kSelectAid, "6A 82");
    EXPECT_EQ(ChangePin(reader, "", "", "", "", 0), kResultSelectFileFailed);
    Expect(kSelectAid, "90 00");
    Expect("00 A4 02 00 02 00 C2", "6A 82");
    EXPECT_EQ(ChangePin(reader, "", "", "", "", 0), 0x6A82);
    Expect(kSelectAid, "90 00");
    Expect("00 A4 02 00 02 00 C2", "90 00");
    Expect("00 20 00 10 08 F0 F0 F0 F0 F0 F0 F0 F0", "63 C2");
    EXPECT_EQ(ChangePin(reader, "", "", "", "", 0), 0x63C2);
    ExpectAllExchanged();
}

}  // namespace
}  // namespace kestrova
