// A page's reader methods end to end: the method table, the control's
// fields, the reader layer and the simulated PC/SC service.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "control/hosting_page_guard.h"
#include "tests/integration/page_session_fixture.h"

namespace kestrova {
namespace {

using testing::PageSessionTest;

constexpr std::uint32_t kVendorName = 0x00010100;
constexpr std::uint32_t kFirmwareVersion = 0x00010102;
constexpr std::int32_t kNoSmartcard = static_cast<std::int32_t>(0x8010000CU);

std::string HandleText(SCARDHANDLE handle) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(handle));
    return text;
}

std::vector<std::string> PausesAndCalls() {
    std::vector<std::string> names;
    for (const std::string& event : sim::Events()) {
        names.push_back(event.substr(0, event.find('(')));
    }
    return names;
}

TEST_F(PageSessionTest, APagesConnectReadAndDisconnectSequence) {
    AddReader("Acme Reader 0", true,
              {{kVendorName, {'A', 'c', 'm', 'e', '\0'}}, {kFirmwareVersion, {4, 3, 2, 1}}});
    AddReader("Acme Reader 1", false);

    EXPECT_EQ(Long("ListReaders"), 0);
    EXPECT_EQ(Long("GetReaderNumber"), 2);
    EXPECT_EQ(Text("GetReaderName", {L(0)}), "Acme Reader 0");
    EXPECT_EQ(Text("GetReaderName", {L(1)}), "Acme Reader 1");
    EXPECT_EQ(Text("GetReaderName", {L(2)}), "<null>");
    EXPECT_EQ(Long("GetLastError"), 4353);

    sim::ClearEvents();
    EXPECT_EQ(Long("ConnectCard", {S("Acme Reader 0")}), 0);
    EXPECT_EQ(PausesAndCalls(),
              (std::vector<std::string>{"SCardConnect", "SCardDisconnect", "pause 100",
                                        "SCardConnect", "SCardStatus"}));
    EXPECT_EQ(Text("GetCardStatus"), "3B021450");
    EXPECT_EQ(control_->CurrentSlot, 1);

    EXPECT_EQ(Text("GetReaderStatus", {S("Acme Reader 0"), L(0)}), "Acme");
    EXPECT_EQ(Text("GetReaderStatus", {S("Acme Reader 0"), L(2)}), "01.02.0304");
    EXPECT_EQ(Text("GetReaderStatus", {S("Acme Reader 0"), L(5)}), "<null>");
    EXPECT_EQ(Long("GetLastError"), 0x1001);

    EXPECT_EQ(Long("CheckCardInsert", {S("Acme Reader 0")}), 0);
    EXPECT_EQ(Long("CheckCardInsert", {S("Acme Reader 1")}), kNoSmartcard);
    EXPECT_EQ(sim::ConnectionCount("Acme Reader 0"), 1);

    // The check of the empty reader left the connected reader's slot as it
    // was, so the reader is found by its name and its own card disconnected
    // with a reset, once.
    sim::ClearEvents();
    EXPECT_EQ(Long("DisconnectCard", {S("Acme Reader 0")}), 0);
    EXPECT_EQ(PausesAndCalls(), (std::vector<std::string>{"SCardDisconnect", "pause 200"}));
    EXPECT_NE(sim::Events().at(0).find("SCARD_RESET_CARD"), std::string::npos);
    EXPECT_EQ(sim::ConnectionCount("Acme Reader 0"), 0);
    EXPECT_EQ(Text("GetCardStatus"), "<null>");
    EXPECT_EQ(Long("GetLastError"), 0) << "cleared with the other results";
    EXPECT_EQ(control_->CurrentSlot, 1) << "the slot number stays";

    EXPECT_TRUE(userInterface_.boxes.empty());
}

TEST_F(PageSessionTest, AReaderStatusFailureIsKeptForGetLastError) {
    AddReader("Acme Reader 0", true);
    ASSERT_EQ(Long("ConnectCard", {S("Acme Reader 0")}), 0);
    EXPECT_EQ(Text("GetReaderStatus", {S("Acme Reader 0"), L(3)}), "<null>");
    EXPECT_EQ(Long("GetLastError"), NarrowResult(SCARD_E_UNSUPPORTED_FEATURE));
}

TEST_F(PageSessionTest, ARefusedPageGetsTheWarningOnConnectCardOnlyAndNoCardWork) {
    AddReader("Acme Reader 0", true);
    platform::StatedHostingPage foreign(u"https://card.kestrova.example.com@evil.example/");
    control_->SetClientSite(&foreign, &userInterface_);
    control_->CardStatus = "3B00";
    control_->CurrentSlot = 4;
    sim::ClearEvents();

    EXPECT_EQ(Long("ConnectCard", {S("Acme Reader 0")}), -1);
    ASSERT_EQ(userInterface_.boxes.size(), 1U);
    EXPECT_EQ(userInterface_.boxes[0].text, kIllegalAccessText);
    EXPECT_EQ(userInterface_.boxes[0].caption, kWarningCaption);
    EXPECT_EQ(Text("GetCardStatus"), "<null>");
    EXPECT_EQ(Long("GetRespLength"), 0);
    EXPECT_EQ(control_->CurrentSlot, 0);

    EXPECT_EQ(Long("ReConnectCard", {S("Acme Reader 0"), L(1)}), -1);
    EXPECT_EQ(userInterface_.boxes.size(), 1U) << "ReConnectCard refuses silently";
    EXPECT_TRUE(sim::Events().empty());
}

TEST_F(PageSessionTest, AControlThatIsNotSitedRefusesTheConnect) {
    AddReader("Acme Reader 0", true);
    control_->SetClientSite(nullptr, &userInterface_);
    EXPECT_EQ(Long("ConnectCard", {S("Acme Reader 0")}), -1);
    EXPECT_EQ(userInterface_.boxes.size(), 1U);
}

// Only a failed conversion leaves a handler without any string; a null BSTR
// arrives as an empty one.
TEST_F(PageSessionTest, NoReaderNameIsRefusedWithItsOwnCode) {
    EXPECT_EQ(control_->ConnectReader(nullptr), 4099);
    EXPECT_EQ(control_->ConnectCard(nullptr), 4099);
    EXPECT_EQ(control_->ReConnectCard(nullptr, 0), 4099);
}

TEST_F(PageSessionTest, ReConnectCardBehavesAsConnectCardWhateverItsResetFlag) {
    AddReader("Acme Reader 0", true);
    for (std::int32_t flag : {0, 1}) {
        SCOPED_TRACE(flag);
        sim::ClearEvents();
        EXPECT_EQ(Long("ReConnectCard", {S("Acme Reader 0"), L(flag)}), 0);
        EXPECT_EQ(Text("GetCardStatus"), "3B021450");
        EXPECT_EQ(control_->CurrentSlot, 1);
        EXPECT_EQ(sim::ConnectionCount("Acme Reader 0"), 1);
    }
}

TEST_F(PageSessionTest, AFailedConnectLeavesClearedResults) {
    AddReader("Acme Reader 1", false);
    control_->EF1001Count = 3;
    EXPECT_EQ(Long("ConnectCard", {S("Acme Reader 1")}), kNoSmartcard);
    EXPECT_EQ(Long("GetEF1001TotalAccounts"), -1);
    EXPECT_EQ(control_->CurrentSlot, 0);
}

TEST_F(PageSessionTest, ConnectReaderWithoutAListingCountsOneReader) {
    AddReader("Acme Reader 0", true);
    EXPECT_EQ(Long("GetReaderNumber"), -1);
    EXPECT_EQ(Long("ConnectReader", {S("Acme Reader 0")}), 0);
    EXPECT_EQ(Long("GetReaderNumber"), 1);
    EXPECT_EQ(control_->CurrentSlot, 1);
    EXPECT_EQ(sim::ConnectionCount("Acme Reader 0"), 0) << "the test connection is closed";
    EXPECT_EQ(Long("DisconnectReader", {S("Acme Reader 0")}), 0);
}

TEST_F(PageSessionTest, SeventeenReadersListAsNone) {
    for (int i = 0; i < 17; ++i) {
        AddReader("Reader " + std::to_string(i), false);
    }
    EXPECT_EQ(Long("ListReaders"), 0);
    EXPECT_EQ(Long("GetReaderNumber"), -1);
    EXPECT_EQ(Text("GetReaderName", {L(0)}), "<null>");
}

TEST_F(PageSessionTest, TheServiceInformationNamesTheBoundLibrary) {
    EXPECT_EQ(Text("GetWinscardProperty", {L(0)}), "<null>") << "empty before ListWinscardInfo";
    EXPECT_EQ(Long("ListWinscardInfo"), 0);
    EXPECT_NE(Text("GetWinscardProperty", {L(0)}), "<null>");
    EXPECT_EQ(Text("GetWinscardProperty", {L(1)}), "Kestrova");
    const std::string description = Text("GetWinscardProperty", {L(2)});
    EXPECT_EQ(description, "Kestrova simulated PC/SC service");
    EXPECT_EQ(Text("GetWinscardProperty", {L(7)}), description);
    EXPECT_EQ(Text("GetWinscardProperty", {L(-1)}), description);
}

// The disconnects a page makes after using two readers in turn each close
// their own reader's connection, once, and nothing else; a PIN change or a
// check of one reader never closes the other's.
TEST_F(PageSessionTest, EachDisconnectClosesItsOwnReadersConnectionOnce) {
    AddReader("Acme Reader 0", true);
    AddReader("Acme Reader 1", true);
    ASSERT_EQ(Long("ListReaders"), 0);
    ASSERT_EQ(Long("ConnectCard", {S("Acme Reader 0")}), 0);
    const SCARDHANDLE first = TheCardService().slots[0].card;
    ASSERT_EQ(Long("CheckCardInsert", {S("Acme Reader 1")}), 0);
    const SCARDHANDLE second = TheCardService().slots[1].card;
    ASSERT_NE(second, 0);
    EXPECT_EQ(TheCardService().slots[0].card, first) << "the check left the page's card alone";
    EXPECT_EQ(control_->CurrentSlot, 1);

    for (const auto& [reader, handle] :
         {std::pair{"Acme Reader 0", first}, std::pair{"Acme Reader 1", second}}) {
        SCOPED_TRACE(reader);
        sim::ClearEvents();
        EXPECT_EQ(Long("DisconnectCard", {S(reader)}), 0);
        std::vector<std::string> disconnects;
        for (const std::string& event : sim::Events()) {
            if (event.rfind("SCardDisconnect", 0) == 0) {
                disconnects.push_back(event);
            }
        }
        ASSERT_EQ(disconnects.size(), 1U);
        EXPECT_NE(disconnects[0].find(HandleText(handle) + ", SCARD_RESET_CARD"), std::string::npos)
            << disconnects[0];
        EXPECT_EQ(sim::ConnectionCount(reader), 0);
    }
}

// A reader unplugged while its card is connected gives errors, not a hang,
// and works again once it is plugged back in.
TEST_F(PageSessionTest, AReaderUnpluggedAndPluggedBackWorksAgain) {
    AddReader("Acme Reader 0", true);
    ASSERT_EQ(Long("ListReaders"), 0);
    ASSERT_EQ(Long("ConnectCard", {S("Acme Reader 0")}), 0);
    ASSERT_TRUE(sim::RemoveReader("Acme Reader 0"));

    EXPECT_NE(Long("ConnectCard", {S("Acme Reader 0")}), 0);
    EXPECT_NE(Long("CheckCardInsert", {S("Acme Reader 0")}), 0);
    EXPECT_EQ(Long("DisconnectCard", {S("Acme Reader 0")}), 0);
    EXPECT_EQ(Long("ListReaders"), 0);

    AddReader("Acme Reader 0", true);
    EXPECT_EQ(Long("ListReaders"), 0);
    EXPECT_EQ(Long("ConnectCard", {S("Acme Reader 0")}), 0);
    EXPECT_EQ(Text("GetCardStatus"), "3B021450");
    EXPECT_EQ(Long("DisconnectCard", {S("Acme Reader 0")}), 0);
    EXPECT_EQ(sim::ConnectionCount("Acme Reader 0"), 0);
}

TEST_F(PageSessionTest, TheSystemsPcscLiteHasAFileVersionToo) {
    SetCardServiceLibrary(nullptr);
    EXPECT_EQ(Long("ListWinscardInfo"), 0);
    if (Text("GetWinscardProperty", {L(2)}) == "<null>") {
        GTEST_SKIP() << "pcsc-lite's client library is not installed";
    }
    EXPECT_NE(Text("GetWinscardProperty", {L(0)}), "<null>");
}

TEST_F(PageSessionTest, DestroyingAnyControlClosesTheServiceForAllOfThem) {
    AddReader("Acme Reader 0", true);
    CKestrovaCtrl other;
    other.SetClientSite(&page_, &userInterface_);
    ASSERT_EQ(Call(other, "ConnectCard", {S("Acme Reader 0")}).AsLong(), 0);
    ASSERT_EQ(sim::ContextCount(), 1);

    control_.reset();
    EXPECT_EQ(sim::ContextCount(), 0) << "the context is released";
    EXPECT_EQ(TheCardService().library, nullptr) << "the service is unloaded";
    EXPECT_EQ(other.CurrentSlot, 1) << "the other control still names its slot";
    EXPECT_EQ(TheCardService().slots[0].card, 0) << "which holds no connection any more";

    EXPECT_EQ(Call(other, "ListReaders").AsLong(), 0);
    EXPECT_EQ(sim::ContextCount(), 1) << "the next call binds and opens again";
}

}  // namespace
}  // namespace kestrova
