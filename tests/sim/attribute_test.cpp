// SCardGetAttrib: per-reader attributes with pcsc-lite's length rules.

#include "tests/sim/sim_fixture.h"

namespace kestrova::sim_test {
namespace {

class AttributeTest : public SimulatedPcscTest {
  protected:
    void SetUp() override {
        SimulatedPcscTest::SetUp();
        sim::ReaderSetup setup;
        setup.name = "Reader A";
        setup.cardPresent = true;
        setup.atr = Atr();
        setup.attributes[SCARD_ATTR_VENDOR_NAME] = sim::HexBytes("4B 45 53 54 52 4F");  // KESTRO
        setup.attributes[SCARD_ATTR_VENDOR_IFD_VERSION] = sim::HexBytes("04 03 02 01");
        ASSERT_TRUE(sim::AddReader(setup));
        card_ = Connect(Establish(), "Reader A", SCARD_SHARE_EXCLUSIVE);
    }

    LONG Get(DWORD attribute, BYTE* value, DWORD* length) {
        return pcsc().getAttrib(card_, attribute, value, length);
    }

    SCARDHANDLE card_ = 0;
};

TEST_F(AttributeTest, DeliversTheReadersBytes) {
    BYTE value[128] = {};
    DWORD length = sizeof value;
    ASSERT_EQ(Get(SCARD_ATTR_VENDOR_IFD_VERSION, value, &length), SCARD_S_SUCCESS);
    EXPECT_EQ(sim::Bytes(value, value + length), sim::HexBytes("04030201"));
    length = sizeof value;
    ASSERT_EQ(Get(SCARD_ATTR_VENDOR_NAME, value, &length), SCARD_S_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(value), length), "KESTRO");
}

TEST_F(AttributeTest, AnAbsentAttributeIsUnsupported) {
    BYTE value[128];
    DWORD length = sizeof value;
    EXPECT_EQ(Get(SCARD_ATTR_VENDOR_IFD_SERIAL_NO, value, &length), SCARD_E_UNSUPPORTED_FEATURE);
    EXPECT_EQ(length, sizeof value);
}

TEST_F(AttributeTest, TheReadersNamesComeFromTheServiceWhenTheReaderHasNone) {
    BYTE value[128];
    DWORD length = sizeof value;
    ASSERT_EQ(Get(SCARD_ATTR_DEVICE_SYSTEM_NAME, value, &length), SCARD_S_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(value), length), std::string("Reader A", 9));
    length = sizeof value;
    EXPECT_EQ(Get(SCARD_ATTR_DEVICE_FRIENDLY_NAME, value, &length), SCARD_S_SUCCESS);
    EXPECT_EQ(length, 9U);
}

TEST_F(AttributeTest, AShortBufferGetsTheStartAndTheLengthNeeded) {
    BYTE value[4] = {};
    DWORD length = 3;
    EXPECT_EQ(Get(SCARD_ATTR_VENDOR_NAME, value, &length), SCARD_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, 6U);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(value), 4), std::string("KES\0", 4));
}

TEST_F(AttributeTest, WithoutABufferOnlyTheLengthIsReported) {
    DWORD length = 1;
    EXPECT_EQ(Get(SCARD_ATTR_VENDOR_NAME, nullptr, &length), SCARD_S_SUCCESS);
    EXPECT_EQ(length, 6U);
}

TEST_F(AttributeTest, BufferLengthsPcscLiteCannotCarryAreRefused) {
    BYTE value[300];
    DWORD length = sizeof value;
    EXPECT_EQ(Get(SCARD_ATTR_VENDOR_NAME, value, &length), SCARD_E_INSUFFICIENT_BUFFER);
    length = SCARD_AUTOALLOCATE;
    EXPECT_EQ(Get(SCARD_ATTR_VENDOR_NAME, value, &length), SCARD_E_INVALID_PARAMETER);
    EXPECT_EQ(Get(SCARD_ATTR_VENDOR_NAME, value, nullptr), SCARD_E_INVALID_PARAMETER);
}

TEST_F(AttributeTest, AStaleOrUnknownHandleGetsNoAttribute) {
    BYTE value[128];
    DWORD length = sizeof value;
    EXPECT_EQ(pcsc().getAttrib(0, SCARD_ATTR_VENDOR_NAME, value, &length), SCARD_E_INVALID_HANDLE);
    ASSERT_TRUE(sim::RemoveCard("Reader A"));
    EXPECT_EQ(Get(SCARD_ATTR_VENDOR_NAME, value, &length), SCARD_W_REMOVED_CARD);
}

}  // namespace
}  // namespace kestrova::sim_test
