#include "reader/service_info.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/service_version_info.h"
#include "reader/service_binding.h"

namespace kestrova {
namespace {

using platform::LibraryVersionInfo;

class ServiceInfoTest : public ::testing::Test {
  protected:
    void TearDown() override {
        platform::ReplaceVersionInfoReader(nullptr);
        SetCardServiceLibrary(nullptr);
    }
};

// The characters a file version is made of.
bool IsVersionText(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789.") == std::string::npos;
}

TEST_F(ServiceInfoTest, TheSimulatedServiceReportsItsVersionMakerAndDescription) {
    SetCardServiceLibrary(KESTROVA_SIM_PCSC_LIBRARY);
    std::array<std::string, 3> info;
    EXPECT_EQ(ListServiceInfo(info), 0);
    EXPECT_TRUE(IsVersionText(info[0])) << info[0];
    EXPECT_EQ(info[1], "Kestrova");
    EXPECT_EQ(info[2], "Kestrova simulated PC/SC service");
}

TEST_F(ServiceInfoTest, TheSystemsPcscLiteReportsTheVersionInItsFileName) {
    SetCardServiceLibrary(nullptr);
    LibraryVersionInfo system = platform::ReadSystemLibraryVersionInfo(kSystemCardServiceLibrary);
    if (system.fileVersion.empty()) {
        GTEST_SKIP() << "pcsc-lite's client library is not installed";
    }
    std::array<std::string, 3> info;
    EXPECT_EQ(ListServiceInfo(info), 0);
    EXPECT_TRUE(IsVersionText(info[0])) << info[0];
    EXPECT_NE(info[0], "0") << "libpcsclite.so.1 resolves to a versioned file";
    EXPECT_EQ(info[1], "PCSC-Lite project");
    EXPECT_EQ(info[2], "PC/SC Lite smart card client library");
}

TEST_F(ServiceInfoTest, AnUnknownLibraryIsDescribedByItsFileName) {
    LibraryVersionInfo info =
        platform::ReadSystemLibraryVersionInfo(KESTROVA_SIM_PCSC_NO_BEGIN_TRANSACTION_LIBRARY);
    EXPECT_TRUE(IsVersionText(info.fileVersion));
    EXPECT_EQ(info.companyName, "");
    EXPECT_EQ(info.fileDescription, "libkestrova-sim-pcsc-no-begin-transaction.so");
}

TEST_F(ServiceInfoTest, AMissingLibraryLeavesEveryValueEmpty) {
    SetCardServiceLibrary("/nonexistent/libkestrova-no-such-service.so");
    std::array<std::string, 3> info{"old version", "old company", "old description"};
    EXPECT_EQ(ListServiceInfo(info), 0);
    EXPECT_EQ(info, (std::array<std::string, 3>{"", "", ""}));
}

LibraryVersionInfo WithZeroBytes(const char* /*libraryName*/) {
    return {std::string("1.2\0junk", 8), std::string("Maker\0", 6), std::string("\0x", 2)};
}

LibraryVersionInfo OnlyADescription(const char* /*libraryName*/) {
    return {"", "", "A description"};
}

TEST_F(ServiceInfoTest, EachTextIsCutAtItsFirstZeroByte) {
    platform::ReplaceVersionInfoReader(&WithZeroBytes);
    std::array<std::string, 3> info;
    EXPECT_EQ(ListServiceInfo(info), 0);
    EXPECT_EQ(info, (std::array<std::string, 3>{"1.2", "Maker", ""}));
}

TEST_F(ServiceInfoTest, AValueThePlatformCannotTellLeavesItsOutputUntouched) {
    platform::ReplaceVersionInfoReader(&OnlyADescription);
    std::string version = "kept";
    std::string company = "kept too";
    std::string description;
    EXPECT_EQ(ReadServiceVersionInfo(version, company, description), 0);
    EXPECT_EQ(version, "kept");
    EXPECT_EQ(company, "kept too");
    EXPECT_EQ(description, "A description");
}

}  // namespace
}  // namespace kestrova
