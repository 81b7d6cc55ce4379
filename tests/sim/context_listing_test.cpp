// Contexts and the reader listing.

#include <string>

#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {
namespace {

using ContextTest = SimulatedPcscTest;

TEST_F(ContextTest, ContextsAreDistinctAndUnknownOnceReleased) {
    const SCARDCONTEXT first = Establish();
    const SCARDCONTEXT second = Establish();
    EXPECT_NE(first, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(sim::ContextCount(), 2);

    EXPECT_EQ(pcsc().releaseContext(first), SCARD_S_SUCCESS);
    EXPECT_EQ(pcsc().releaseContext(first), SCARD_E_INVALID_HANDLE);
    DWORD length = 0;
    EXPECT_EQ(pcsc().listReaders(first, nullptr, nullptr, &length), SCARD_E_INVALID_HANDLE);
    EXPECT_EQ(TryConnect(first, "Reader A", SCARD_SHARE_SHARED, kT0OrT1), SCARD_E_INVALID_HANDLE);
    EXPECT_EQ(sim::ContextCount(), 1);
}

TEST_F(ContextTest, EstablishRefusesAnUnknownScopeAndAMissingOutput) {
    SCARDCONTEXT context = 77;
    EXPECT_EQ(pcsc().establishContext(9, nullptr, nullptr, &context), SCARD_E_INVALID_VALUE);
    EXPECT_EQ(context, 0);
    EXPECT_EQ(pcsc().establishContext(SCARD_SCOPE_USER, nullptr, nullptr, nullptr),
              SCARD_E_INVALID_PARAMETER);
    EXPECT_EQ(sim::ContextCount(), 0);
}

TEST_F(ContextTest, ReleasingAContextResetsTheCardItHeldAndLeavesSharedOnes) {
    AddCardReader("Held");
    AddCardReader("Shared");
    const auto heldCard = PlugScriptedCard("Held");
    const auto sharedCard = PlugScriptedCard("Shared");
    const SCARDCONTEXT context = Establish();
    Connect(context, "Held", SCARD_SHARE_EXCLUSIVE);
    Connect(context, "Shared", SCARD_SHARE_SHARED);
    const int heldResets = heldCard->ResetCount();
    const int sharedResets = sharedCard->ResetCount();

    EXPECT_EQ(pcsc().releaseContext(context), SCARD_S_SUCCESS);

    EXPECT_EQ(sim::ConnectionCount("Held"), 0);
    EXPECT_EQ(sim::ConnectionCount("Shared"), 0);
    EXPECT_EQ(heldCard->ResetCount(), heldResets + 1);
    EXPECT_EQ(sharedCard->ResetCount(), sharedResets);
    // The exclusive hold ended with the context.
    Connect(Establish(), "Held", SCARD_SHARE_EXCLUSIVE);
}

using ReaderListTest = SimulatedPcscTest;

TEST_F(ReaderListTest, ListsNamesAsAMultiStringInTheOrderAdded) {
    AddCardReader("Reader A");
    AddEmptyReader("Reader B");
    const SCARDCONTEXT context = Establish();

    DWORD length = 0;
    EXPECT_EQ(pcsc().listReaders(context, nullptr, nullptr, &length), SCARD_S_SUCCESS);
    EXPECT_EQ(length, 19U);

    char names[1024];
    length = sizeof names;
    ASSERT_EQ(pcsc().listReaders(context, nullptr, names, &length), SCARD_S_SUCCESS);
    EXPECT_EQ(std::string(names, length), std::string("Reader A\0Reader B\0\0", 19));
}

TEST_F(ReaderListTest, ABufferOneShortIsRefusedWithTheLengthNeeded) {
    AddCardReader("Reader A");
    AddEmptyReader("Reader B");
    const SCARDCONTEXT context = Establish();
    char names[19];
    DWORD length = 18;
    EXPECT_EQ(pcsc().listReaders(context, nullptr, names, &length), SCARD_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, 19U);
    length = 19;
    EXPECT_EQ(pcsc().listReaders(context, nullptr, names, &length), SCARD_S_SUCCESS);
}

TEST_F(ReaderListTest, NoReadersIsItsOwnResult) {
    const SCARDCONTEXT context = Establish();
    char names[16];
    DWORD length = sizeof names;
    EXPECT_EQ(pcsc().listReaders(context, nullptr, names, &length), SCARD_E_NO_READERS_AVAILABLE);
    EXPECT_EQ(length, 1U);
}

TEST_F(ReaderListTest, MoreThanSixteenReadersAreAllListed) {
    for (int i = 1; i <= 17; ++i) {
        AddEmptyReader("Reader " + std::to_string(i));
    }
    char names[1024];
    DWORD length = sizeof names;
    ASSERT_EQ(pcsc().listReaders(Establish(), nullptr, names, &length), SCARD_S_SUCCESS);
    int count = 0;
    for (const char* name = names; *name != '\0';
         name += std::char_traits<char>::length(name) + 1) {
        ++count;
        EXPECT_EQ(std::string(name), "Reader " + std::to_string(count));
    }
    EXPECT_EQ(count, 17);
}

TEST_F(ReaderListTest, AutoAllocationAndAMissingLengthAreRefused) {
    AddEmptyReader("Reader A");
    const SCARDCONTEXT context = Establish();
    char* allocated = nullptr;
    DWORD length = SCARD_AUTOALLOCATE;
    EXPECT_EQ(pcsc().listReaders(context, nullptr, reinterpret_cast<char*>(&allocated), &length),
              SCARD_E_INVALID_PARAMETER);
    EXPECT_EQ(allocated, nullptr);
    EXPECT_EQ(pcsc().listReaders(context, nullptr, nullptr, nullptr), SCARD_E_INVALID_PARAMETER);
}

TEST_F(ReaderListTest, ReaderSetupsThatNoServiceCouldHaveAreRefused) {
    AddEmptyReader("Reader A");
    sim::ReaderSetup duplicate;
    duplicate.name = "Reader A";
    EXPECT_FALSE(sim::AddReader(duplicate));

    sim::ReaderSetup unnamed;
    EXPECT_FALSE(sim::AddReader(unnamed));

    sim::ReaderSetup tooLong;
    tooLong.name = std::string(MAX_READERNAME, 'x');
    EXPECT_FALSE(sim::AddReader(tooLong));

    sim::ReaderSetup presentWithoutAtr;
    presentWithoutAtr.name = "Reader B";
    presentWithoutAtr.cardPresent = true;
    EXPECT_FALSE(sim::AddReader(presentWithoutAtr));

    sim::ReaderSetup longAtr;
    longAtr.name = "Reader C";
    longAtr.atr = sim::Bytes(MAX_ATR_SIZE + 1, 0x3B);
    EXPECT_FALSE(sim::AddReader(longAtr));

    sim::ReaderSetup longAttribute;
    longAttribute.name = "Reader D";
    longAttribute.attributes[SCARD_ATTR_VENDOR_NAME] = sim::Bytes(265, 'v');
    EXPECT_FALSE(sim::AddReader(longAttribute));

    DWORD length = 0;
    EXPECT_EQ(pcsc().listReaders(Establish(), nullptr, nullptr, &length), SCARD_S_SUCCESS);
    EXPECT_EQ(length, 10U);
}

}  // namespace
}  // namespace kestrova::sim_test
