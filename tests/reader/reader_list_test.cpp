#include "reader/reader_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "reader/result_codes.h"
#include "tests/reader/simulated_service_fixture.h"

namespace kestrova {
namespace {

using testing::SimulatedServiceTest;

class ReaderListTest : public SimulatedServiceTest {
  protected:
    static std::string Entry(const ListedReaderNames& names, std::size_t index) {
        const ReaderNameEntry& entry = names[index];
        return std::string(entry.begin(), std::find(entry.begin(), entry.end(), '\0'));
    }
};

TEST_F(ReaderListTest, ListsTheReadersInTheServicesOrder) {
    AddReaderWithCard("Reader C");
    AddEmptyReader("Reader A");
    AddReaderWithCard("Reader B");
    std::int32_t count = 0;
    ListedReaderNames names{};
    ASSERT_EQ(ListReaderTable(count, names), kResultSuccess);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Entry(names, 0), "Reader C");
    EXPECT_EQ(Entry(names, 1), "Reader A");
    EXPECT_EQ(Entry(names, 2), "Reader B");
    EXPECT_EQ(Entry(names, 3), "");
}

TEST_F(ReaderListTest, SixteenReadersFitAndSeventeenFailWithoutACount) {
    for (int i = 1; i <= 16; ++i) {
        AddEmptyReader("Reader " + std::to_string(i));
    }
    std::int32_t count = 0;
    ListedReaderNames names{};
    ASSERT_EQ(ListReaderNames(count, names), kResultSuccess);
    EXPECT_EQ(count, 16);
    EXPECT_EQ(Entry(names, 15), "Reader 16");

    AddEmptyReader("Reader 17");
    count = 0;
    names = {};
    EXPECT_EQ(ListReaderNames(count, names), kResultFailure);
    EXPECT_EQ(ListReaderTable(count, names), kResultFailure);
    EXPECT_EQ(count, 0);
}

TEST_F(ReaderListTest, ANameOf64CharactersOrMoreIsLeftOutOfTheListing) {
    const std::string longest(63, 'L');
    const std::string tooLong(64, 'X');
    AddEmptyReader("Reader A");
    AddEmptyReader(tooLong);
    AddEmptyReader(longest);
    AddEmptyReader(std::string(100, 'Y'));
    AddEmptyReader("Reader B");
    std::int32_t count = 0;
    ListedReaderNames names{};
    ASSERT_EQ(ListReaderTable(count, names), kResultSuccess);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Entry(names, 0), "Reader A");
    EXPECT_EQ(Entry(names, 1), longest);
    EXPECT_EQ(names[1].back(), '\0') << "a 63-character name stays terminated";
    EXPECT_EQ(Entry(names, 2), "Reader B");
}

TEST_F(ReaderListTest, NamesLeftOutDoNotCountTowardsTheSixteen) {
    for (int i = 1; i <= 16; ++i) {
        AddEmptyReader("Reader " + std::to_string(i));
    }
    AddEmptyReader(std::string(70, 'X'));
    std::int32_t count = 0;
    ListedReaderNames names{};
    EXPECT_EQ(ListReaderTable(count, names), kResultSuccess);
    EXPECT_EQ(count, 16);
}

TEST_F(ReaderListTest, TheServicesFailureIsPassedOnButTheTableOnlySaysFailed) {
    ASSERT_TRUE(sim::FailNextCalls("SCardListReaders", 2, SCARD_E_NO_READERS_AVAILABLE));
    std::int32_t count = 5;
    ListedReaderNames names{};
    EXPECT_EQ(ListReaderNames(count, names), static_cast<std::int32_t>(0x8010002EU));
    EXPECT_EQ(ListReaderTable(count, names), kResultFailure);
    EXPECT_EQ(count, 5) << "the count is set only on success";
}

TEST_F(ReaderListTest, TheContextIsEstablishedOnceAndRegistrationsAreForgottenOnlyThen) {
    AddReaderWithCard("Reader A");
    std::int32_t count = 0;
    ListedReaderNames names{};
    ASSERT_EQ(ListReaderTable(count, names), kResultSuccess);
    TheCardService().slots[2].registered = 1;
    TheCardService().slots[2].card = 0x77;
    names = {};
    ASSERT_EQ(ListReaderTable(count, names), kResultSuccess);
    EXPECT_EQ(EventsStartingWith("SCardEstablishContext").size(), 1U);
    EXPECT_EQ(TheCardService().slots[2].registered, 1) << "context open: slots untouched";
    EXPECT_EQ(TheCardService().slots[2].card, 0x77);
}

}  // namespace
}  // namespace kestrova
