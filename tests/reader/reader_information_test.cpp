#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reader/card_status.h"
#include "reader/reader_attributes.h"
#include "reader/reader_operations.h"
#include "reader/result_codes.h"
#include "reader/service_context.h"
#include "tests/reader/simulated_service_fixture.h"

namespace kestrova {
namespace {

using testing::SimulatedServiceTest;

constexpr std::uint32_t kVendorName = 0x00010100;
constexpr std::uint32_t kFirmwareVersion = 0x00010102;

class ReaderInformationTest : public SimulatedServiceTest {
  protected:
    static void AddAttributedReader() {
        sim::ReaderSetup setup;
        setup.name = "Reader A";
        setup.cardPresent = true;
        setup.atr = {0x3B, 0x02, 0x14, 0x50};
        setup.attributes[kVendorName] = {'A', 'c', 'm', 'e', '\0'};
        setup.attributes[kFirmwareVersion] = {0x04, 0x03, 0x02, 0x01};
        ASSERT_TRUE(sim::AddReader(setup));
    }

    std::int32_t Query(std::int32_t index, const char* name = "Reader A") {
        length_ = -1;
        bytes_ = {};
        return QueryReaderAttribute(name, currentSlot_, index, length_, bytes_);
    }

    std::string Text() const {
        return std::string(reinterpret_cast<const char*>(bytes_.data()),
                           static_cast<std::size_t>(length_));
    }

    std::int32_t currentSlot_ = 0;
    std::int32_t length_ = -1;
    AttributeBuffer bytes_{};
};

TEST_F(ReaderInformationTest, ACardInTheReaderIsPresentAndStaysConnectedInSlot1) {
    AddReaderWithCard("Reader A");
    EXPECT_EQ(CheckCardPresent("Reader A"), kResultSuccess);
    EXPECT_EQ(SlotName(1), "Reader A");
    EXPECT_NE(Slot(1).card, 0);
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 1);
}

TEST_F(ReaderInformationTest, AnEmptyReaderGivesNoSmartcardAsANegativeCode) {
    AddEmptyReader("Reader A");
    std::int32_t result = CheckCardPresent("Reader A");
    EXPECT_EQ(result, static_cast<std::int32_t>(0x8010000CU));
    EXPECT_LT(result, 0);
}

TEST_F(ReaderInformationTest, AttributeIndexesOutside0To4AreRefusedWithoutCallingTheService) {
    AddAttributedReader();
    for (std::int32_t index : {5, -1, 0x10100}) {
        EXPECT_EQ(Query(index), kResultBadAttributeIndex);
    }
    EXPECT_EQ(TheCardService().library, nullptr);
    EXPECT_TRUE(sim::Events().empty());
}

TEST_F(ReaderInformationTest, TheFirmwareVersionIsGivenAsMajorMinorBuild) {
    AddAttributedReader();
    ASSERT_EQ(CheckCardPresent("Reader A"), kResultSuccess);
    ASSERT_EQ(Query(2), kResultSuccess);
    EXPECT_EQ(length_, 10);
    EXPECT_EQ(Text(), "01.02.0304");
    EXPECT_EQ(bytes_[10], 0);
    EXPECT_EQ(currentSlot_, 1) << "found registered at slot 1";

    sim::ReaderSetup lettered;
    lettered.name = "Reader B";
    lettered.cardPresent = true;
    lettered.atr = {0x3B, 0x00};
    lettered.attributes[kFirmwareVersion] = {0xEF, 0xBE, 0xAD, 0xDE};
    ASSERT_TRUE(sim::AddReader(lettered));
    ASSERT_EQ(CheckCardPresent("Reader B"), kResultSuccess);
    ASSERT_EQ(Query(2, "Reader B"), kResultSuccess);
    EXPECT_EQ(Text(), "de.ad.beef") << "lower-case hex digits";
}

TEST_F(ReaderInformationTest, OtherAttributesAreGivenAsTheReaderReportsThem) {
    AddAttributedReader();
    ASSERT_EQ(CheckCardPresent("Reader A"), kResultSuccess);
    ASSERT_EQ(Query(0), kResultSuccess);
    EXPECT_EQ(length_, 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes_.data())), "Acme");
    EXPECT_TRUE(Contains(OnlyEvent("SCardGetAttrib"), "0x00010100, 128)"));

    ASSERT_EQ(Query(4), kResultSuccess);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes_.data())), "Reader A");
    EXPECT_TRUE(Contains(EventsStartingWith("SCardGetAttrib").back(), "0x7FFF0004"));
}

TEST_F(ReaderInformationTest, AnAttributeTheReaderLacksGivesTheServicesCode) {
    AddAttributedReader();
    ASSERT_EQ(CheckCardPresent("Reader A"), kResultSuccess);
    EXPECT_EQ(Query(3), NarrowResult(SCARD_E_UNSUPPORTED_FEATURE));
}

TEST_F(ReaderInformationTest, AReaderNeverConnectedIsRegisteredAndItsMissingHandleRefused) {
    AddAttributedReader();
    std::int32_t result = Query(0);
    EXPECT_LT(result, 0);
    EXPECT_EQ(currentSlot_, 1) << "a fresh registration moves the current slot";
    EXPECT_EQ(Slot(1).registered, 1);
}

TEST_F(ReaderInformationTest, AnAttributeQueryPassesOnAFailedRegistration) {
    AddEmptyReader("Reader A");
    EXPECT_EQ(Query(0), static_cast<std::int32_t>(0x8010000CU));
    EXPECT_EQ(currentSlot_, 0);
}

TEST_F(ReaderInformationTest, ReadingAttributesChecksSlotThenContextThenBinding) {
    std::int32_t length = 0;
    AttributeBuffer bytes{};
    EXPECT_EQ(ReadReaderAttribute(0, 0, length, bytes), kResultBadSlot);
    EXPECT_EQ(ReadReaderAttribute(17, 0, length, bytes), kResultBadSlot);
    EXPECT_EQ(ReadReaderAttribute(1, 0, length, bytes), kResultContextNotOpen);
    EXPECT_EQ(TheCardService().library, nullptr);
}

TEST_F(ReaderInformationTest, CardStatusNeedsAConnection) {
    AddReaderWithCard("Reader A");
    std::int32_t atrLength = 0;
    AtrBuffer atr{};
    EXPECT_EQ(ReadCardStatus(atrLength, atr, 0), kResultBadSlot);
    EXPECT_EQ(ReadCardStatus(atrLength, atr, 1), kResultContextNotOpen);
    ASSERT_EQ(OpenCardContext(), kResultSuccess);
    EXPECT_EQ(ReadCardStatus(atrLength, atr, 1), kResultNoConnection);

    ASSERT_EQ(CheckCardPresent("Reader A"), kResultSuccess);
    EXPECT_EQ(ReadCardStatus(atrLength, atr, 1), kResultSuccess);
    EXPECT_EQ(atrLength, 4);
    ASSERT_TRUE(sim::RemoveCard("Reader A"));
    EXPECT_EQ(ReadCardStatus(atrLength, atr, 1), NarrowResult(SCARD_W_REMOVED_CARD));
}

}  // namespace
}  // namespace kestrova
