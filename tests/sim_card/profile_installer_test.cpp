// A profile built into the simulated service: its readers, their attributes
// and cards as the PC/SC functions of the service show them.

#include "sim/profiles/profile_installer.h"

#include <gtest/gtest.h>
#include <reader.h>
#include <winscard.h>

#include <string>
#include <vector>

#include "sim/profiles/card_profile.h"
#include "sim/service/hex_bytes.h"
#include "sim/service/simulated_pcsc.h"

namespace kestrova::sim_card_test {
namespace {

class InstalledProfile : public ::testing::Test {
  protected:
    void TearDown() override {
        if (context_ != 0) {
            SCardReleaseContext(context_);
        }
        sim::Reset();
    }

    void Install(const sim::CardProfile& profile) {
        std::string error;
        ASSERT_TRUE(sim::InstallCardProfile(profile, &error)) << error;
        eventsAfterInstall_ = sim::Events();
        ASSERT_EQ(SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context_),
                  SCARD_S_SUCCESS);
    }

    std::vector<std::string> ReaderNames() {
        char names[1024] = {};
        DWORD length = sizeof names;
        EXPECT_EQ(SCardListReaders(context_, nullptr, names, &length), SCARD_S_SUCCESS);
        std::vector<std::string> result;
        for (const char* name = names; *name != '\0'; name += std::string(name).size() + 1) {
            result.emplace_back(name);
        }
        return result;
    }

    LONG Connect(const char* reader, SCARDHANDLE& card, DWORD& protocol) {
        return SCardConnect(context_, reader, SCARD_SHARE_SHARED,
                            SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card, &protocol);
    }

    std::string Transmit(SCARDHANDLE card, DWORD protocol, const char* command) {
        const sim::Bytes bytes = sim::HexBytes(command);
        BYTE response[258];
        DWORD length = sizeof response;
        const SCARD_IO_REQUEST* pci = protocol == SCARD_PROTOCOL_T0 ? SCARD_PCI_T0 : SCARD_PCI_T1;
        if (SCardTransmit(card, pci, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr,
                          response, &length) != SCARD_S_SUCCESS) {
            return "transmit failed";
        }
        return sim::HexText(response, length);
    }

    SCARDCONTEXT context_ = 0;
    std::vector<std::string> eventsAfterInstall_;
};

TEST_F(InstalledProfile, OffersTheDefaultReadersWithTheirCardsAndAttributes) {
    Install(sim::DefaultCardProfile());
    EXPECT_EQ(ReaderNames(),
              (std::vector<std::string>{"Kestrova Virtual Reader 0", "ACS ACR83U 00 00"}));
    EXPECT_TRUE(eventsAfterInstall_.empty()) << "the log starts empty";

    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    ASSERT_EQ(Connect("Kestrova Virtual Reader 0", card, protocol), SCARD_S_SUCCESS);
    EXPECT_EQ(protocol, static_cast<DWORD>(SCARD_PROTOCOL_T0));
    EXPECT_EQ(Transmit(card, protocol, "00A4040008A000000172950001"), "610C");
    BYTE version[8];
    DWORD length = sizeof version;
    ASSERT_EQ(SCardGetAttrib(card, SCARD_ATTR_VENDOR_IFD_VERSION, version, &length),
              SCARD_S_SUCCESS);
    EXPECT_EQ(sim::HexText(version, length), "04030201");

    SCARDHANDLE keypadCard = 0;
    ASSERT_EQ(Connect("ACS ACR83U 00 00", keypadCard, protocol), SCARD_S_SUCCESS);
    EXPECT_EQ(protocol, static_cast<DWORD>(SCARD_PROTOCOL_T1));
    EXPECT_EQ(Transmit(keypadCard, protocol, "00A4040008A00000017295000100"),
              "6F0A8408A0000001729500019000");
}

TEST_F(InstalledProfile, LeavesACardOutWhenTheProfileSaysSoAndCanPutItIn) {
    const auto parsed = sim::ParseCardProfile(R"({"readers": [
        {"name": "Out", "cardPresent": false, "card": {"protocol": "T=1"}},
        {"name": "No card"}]})");
    ASSERT_TRUE(std::holds_alternative<sim::CardProfile>(parsed));
    Install(std::get<sim::CardProfile>(parsed));
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    EXPECT_EQ(Connect("Out", card, protocol), SCARD_E_NO_SMARTCARD);
    EXPECT_EQ(Connect("No card", card, protocol), SCARD_E_NO_SMARTCARD);
    ASSERT_TRUE(sim::InsertCard("Out"));
    ASSERT_EQ(Connect("Out", card, protocol), SCARD_S_SUCCESS);
    EXPECT_EQ(Transmit(card, protocol, "00B0000010"), "6986") << "a fresh session";
}

TEST_F(InstalledProfile, ReplacesWhatTheServiceHeldBefore) {
    sim::ReaderSetup old;
    old.name = "Old reader";
    ASSERT_TRUE(sim::AddReader(old));
    Install(sim::DefaultCardProfile());
    EXPECT_EQ(ReaderNames().size(), 2U);
}

}  // namespace
}  // namespace kestrova::sim_card_test
