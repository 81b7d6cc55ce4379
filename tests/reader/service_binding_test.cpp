#include "reader/service_binding.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "reader/apdu_exchange.h"
#include "reader/card_service.h"
#include "reader/card_status.h"
#include "reader/raw_exchange.h"
#include "reader/reader_list.h"
#include "reader/reader_operations.h"
#include "reader/reader_registration.h"
#include "reader/result_codes.h"
#include "reader/service_context.h"
#include "reader/slot_connection.h"
#include "tests/reader/simulated_service_fixture.h"

namespace kestrova {
namespace {

using testing::RegisterInto;
using testing::SimulatedServiceTest;

constexpr const char* kMissingLibrary = "/nonexistent/libkestrova-no-such-service.so";

class ServiceBindingTest : public SimulatedServiceTest {};

// Every operation that touches the service, with the code it gives when the
// service cannot be bound.
void ExpectEveryOperationUnbound() {
    std::int32_t count = 0;
    ListedReaderNames names{};
    EXPECT_EQ(ListReaderNames(count, names), kResultFailure);
    EXPECT_EQ(ListReaderTable(count, names), kResultFailure);
    EXPECT_EQ(OpenCardContext(), kResultFailure);
    std::int32_t slot = 0;
    EXPECT_EQ(RegisterInto("Reader A", slot), kResultFailure);
    std::int32_t readerCount = 0;
    EXPECT_EQ(OpenReader("Reader A", slot, readerCount), kResultOpenReaderFailed);
    std::int32_t atrLength = 0;
    AtrBuffer atr{};
    EXPECT_EQ(ConnectSlot(1, 1, atrLength, atr), kResultFailure);
    EXPECT_EQ(RefreshSlot(1, atrLength, atr), kResultFailure);
    EXPECT_EQ(DisconnectSlot(1, 2), kResultFailure);
    EXPECT_EQ(ReadCardStatus(atrLength, atr, 1), kResultFailure);
    EXPECT_EQ(CheckCardPresent("Reader A"), kResultOpenReaderFailed);
    CardResponse response;
    EXPECT_EQ(ExchangeCommand(1, CardCommand{0x00, 0x84, 0x00, 0x00, {}, 0}, response),
              kResultFailure);
    std::array<std::uint8_t, 5> command{0x00, 0x84, 0x00, 0x00, 0x08};
    std::vector<std::uint8_t> rawResponse(kRawResponseSize);
    std::int32_t dataLength = 0;
    EXPECT_EQ(TransmitRaw(1, 5, command.data(), dataLength, rawResponse.data()), kResultFailure);
    EXPECT_EQ(CloseCardService(), kResultFailure);
    EXPECT_EQ(TheCardService().library, nullptr);
}

TEST_F(ServiceBindingTest, BindsAtTheFirstCardOperationAndUnbindsAtClose) {
    AddReaderWithCard("Reader A");
    EXPECT_EQ(TheCardService().library, nullptr);

    std::int32_t count = 0;
    ListedReaderNames names{};
    ASSERT_EQ(ListReaderTable(count, names), kResultSuccess);
    EXPECT_NE(TheCardService().library, nullptr);
    EXPECT_NE(TheCardService().functions.t0Pci, nullptr);
    EXPECT_NE(TheCardService().functions.t1Pci, nullptr);
    EXPECT_EQ(sim::ContextCount(), 1);

    EXPECT_EQ(CloseCardService(), kResultSuccess);
    EXPECT_EQ(TheCardService().library, nullptr);
    EXPECT_EQ(TheCardService().functions.connect, nullptr);
    EXPECT_EQ(sim::ContextCount(), 0);

    // The next operation binds again and opens a fresh context.
    ASSERT_EQ(ListReaderTable(count, names), kResultSuccess);
    EXPECT_NE(TheCardService().library, nullptr);
    EXPECT_EQ(sim::ContextCount(), 1);
}

TEST_F(ServiceBindingTest, AMissingLibraryLeavesTheServiceUnboundAndIsRetriedByTheNextCall) {
    AddReaderWithCard("Reader A");
    SetCardServiceLibrary(kMissingLibrary);
    EXPECT_EQ(BindCardService(), kResultFailure);
    ExpectEveryOperationUnbound();

    // Nothing of the failure sticks: the next call binds what is there now.
    SetCardServiceLibrary(KESTROVA_SIM_PCSC_LIBRARY);
    std::int32_t slot = 0;
    std::int32_t readerCount = 0;
    EXPECT_EQ(OpenReader("Reader A", slot, readerCount), kResultSuccess);
    EXPECT_EQ(slot, 1);
}

TEST_F(ServiceBindingTest, ALibraryLackingARequiredFunctionIsUnloadedAndRetriedByTheNextCall) {
    AddReaderWithCard("Reader A");
    SetCardServiceLibrary(KESTROVA_SIM_PCSC_NO_BEGIN_TRANSACTION_LIBRARY);
    EXPECT_EQ(BindCardService(), kResultFailure);
    EXPECT_EQ(TheCardService().functions.establishContext, nullptr);
    ExpectEveryOperationUnbound();
    // The same library fails the same way on every call, without a
    // remembered verdict.
    EXPECT_EQ(BindCardService(), kResultFailure);
    EXPECT_TRUE(sim::Events().empty()) << "the complete service was never called";

    SetCardServiceLibrary(KESTROVA_SIM_PCSC_LIBRARY);
    EXPECT_EQ(BindCardService(), kResultSuccess);
    EXPECT_NE(TheCardService().functions.beginTransaction, nullptr);
}

TEST_F(ServiceBindingTest, TheLibraryNamedLaterIsUsedOnlyAfterTheBoundOneIsUnloaded) {
    ASSERT_EQ(BindCardService(), kResultSuccess);
    SetCardServiceLibrary(kMissingLibrary);
    EXPECT_EQ(BindCardService(), kResultSuccess) << "already bound";
    UnbindCardService();
    EXPECT_EQ(BindCardService(), kResultFailure);
    SetCardServiceLibrary(nullptr);
    EXPECT_STREQ(CardServiceLibrary(), kSystemCardServiceLibrary);
}

TEST_F(ServiceBindingTest, ServiceCodesAreNarrowedTo32BitsAndLeaveTheContextClosed) {
    ASSERT_TRUE(sim::FailNextCalls("SCardEstablishContext", 1, SCARD_E_NO_SERVICE));
    std::int32_t result = OpenCardContext();
    EXPECT_EQ(result, static_cast<std::int32_t>(0x8010001DU));
    EXPECT_LT(result, 0);
    EXPECT_EQ(TheCardService().contextOpen, 0);
    EXPECT_EQ(TheCardService().context, 0);

    EXPECT_EQ(OpenCardContext(), kResultSuccess) << "the next call establishes it";
    EXPECT_EQ(TheCardService().contextOpen, 1);
}

// A context lost with the service (the daemon stopped or restarted) is
// released all the same: the client library would otherwise keep its side of
// it, memory and a socket, for every restart a page lives through.
TEST_F(ServiceBindingTest, AContextLostWithTheServiceIsReleasedBeforeANewOneIsMade) {
    std::int32_t count = 0;
    ListedReaderNames names{};
    ASSERT_EQ(OpenCardContext(), kResultSuccess);
    ASSERT_EQ(sim::ContextCount(), 1);
    for (const auto lost : {SCARD_E_SERVICE_STOPPED, SCARD_E_NO_SERVICE}) {
        ASSERT_TRUE(sim::FailNextCalls("SCardListReaders", 1, lost));
        (void)ListReaderNames(count, names);
        EXPECT_EQ(OpenCardContext(), kResultSuccess);
        EXPECT_EQ(sim::ContextCount(), 1) << "the lost context is released, a new one open";
    }
}

TEST_F(ServiceBindingTest, OpeningAReaderWithoutAContextGivesItsOwnCode) {
    ASSERT_TRUE(sim::FailNextCalls("SCardEstablishContext", 1, SCARD_E_NO_SERVICE));
    std::int32_t slot = 0;
    std::int32_t readerCount = 0;
    EXPECT_EQ(OpenReader("Reader A", slot, readerCount), kResultOpenReaderFailed);
    EXPECT_EQ(slot, 0);
    EXPECT_EQ(readerCount, 0);
}

}  // namespace
}  // namespace kestrova
