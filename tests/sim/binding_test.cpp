// The library bound by path, as the card layer binds a PC/SC service, and
// linked directly, as a test or the host does: one and the same service.

#include <dlfcn.h>

#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {
namespace {

using BindingTest = SimulatedPcscTest;

TEST_F(BindingTest, EveryNameTheCardLayerNeedsIsFound) {
    const BoundService& service = pcsc();
    EXPECT_NE(service.establishContext, nullptr);
    EXPECT_NE(service.releaseContext, nullptr);
    EXPECT_NE(service.listReaders, nullptr);
    EXPECT_NE(service.connect, nullptr);
    EXPECT_NE(service.reconnect, nullptr);
    EXPECT_NE(service.disconnect, nullptr);
    EXPECT_NE(service.status, nullptr);
    EXPECT_NE(service.transmit, nullptr);
    EXPECT_NE(service.getAttrib, nullptr);
    EXPECT_NE(service.beginTransaction, nullptr);
    EXPECT_NE(service.endTransaction, nullptr);
    ASSERT_NE(service.t0Pci, nullptr);
    ASSERT_NE(service.t1Pci, nullptr);
    ASSERT_NE(service.rawPci, nullptr);
    EXPECT_EQ(service.t0Pci->dwProtocol, static_cast<DWORD>(SCARD_PROTOCOL_T0));
    EXPECT_EQ(service.t1Pci->dwProtocol, static_cast<DWORD>(SCARD_PROTOCOL_T1));
    EXPECT_EQ(service.rawPci->dwProtocol, static_cast<DWORD>(SCARD_PROTOCOL_RAW));
    EXPECT_EQ(service.t0Pci->cbPciLength, sizeof(SCARD_IO_REQUEST));
}

TEST_F(BindingTest, TheLinkedAndTheLoadedLibraryShareOneState) {
    EXPECT_EQ(pcsc().connect, &::SCardConnect);

    AddCardReader("Reader A");
    SCARDCONTEXT context = 0;
    ASSERT_EQ(::SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context),
              SCARD_S_SUCCESS);
    // A context made through the linked name is known to the loaded one.
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    ASSERT_EQ(pcsc().connect(context, "Reader A", SCARD_SHARE_EXCLUSIVE, kT0OrT1, &card, &protocol),
              SCARD_S_SUCCESS);
    EXPECT_EQ(::SCardStatus(card, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              SCARD_S_SUCCESS);
    EXPECT_EQ(sim::ConnectionCount("Reader A"), 1);
    EXPECT_EQ(sim::Events().size(), 3U);
}

TEST(VariantBindingTest, TheBuildWithoutBeginTransactionLacksOnlyThatName) {
    const BoundService variant = BindService(KESTROVA_SIM_NO_BEGIN_TRANSACTION_PATH);
    ASSERT_NE(variant.library, nullptr) << dlerror();
    EXPECT_EQ(variant.beginTransaction, nullptr);
    EXPECT_NE(variant.endTransaction, nullptr);
    EXPECT_NE(variant.establishContext, nullptr);
    EXPECT_NE(variant.releaseContext, nullptr);
    EXPECT_NE(variant.listReaders, nullptr);
    EXPECT_NE(variant.connect, nullptr);
    EXPECT_NE(variant.reconnect, nullptr);
    EXPECT_NE(variant.disconnect, nullptr);
    EXPECT_NE(variant.status, nullptr);
    EXPECT_NE(variant.transmit, nullptr);
    EXPECT_NE(variant.getAttrib, nullptr);
    EXPECT_NE(variant.t0Pci, nullptr);
    EXPECT_NE(variant.t1Pci, nullptr);
    EXPECT_NE(variant.rawPci, nullptr);
    EXPECT_EQ(dlclose(variant.library), 0);
}

}  // namespace
}  // namespace kestrova::sim_test
