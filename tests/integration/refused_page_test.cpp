// Every method of the table on a page the hosting-page check refuses (another
// host, plain http, no page at all), on the built-in virtual readers: a method
// that needs an allowed page reaches no reader and returns no card data; an
// open one answers as it does for an allowed page.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/hosting_page_guard.h"
#include "control/method_table.h"
#include "sim/profiles/card_profile.h"
#include "sim/profiles/profile_installer.h"
#include "tests/integration/page_session_fixture.h"

namespace kestrova {
namespace {

constexpr char kVirtualReader[] = "Kestrova Virtual Reader 0";

// Arguments that would do card work on an allowed page: the virtual reader,
// its card's PIN, a record of the transfer file.
std::vector<AutomationValue> PlausibleArguments(const MethodInfo& method) {
    std::vector<AutomationValue> arguments;
    for (const ParameterInfo& parameter : method.Parameters()) {
        const std::string name(parameter.name);
        if (parameter.type == AutomationType::Long) {
            arguments.push_back(AutomationValue::Long(1));
        } else if (name.find("Reader") != std::string::npos &&
                   name.find("List") == std::string::npos) {
            arguments.push_back(AutomationValue::String(u"Kestrova Virtual Reader 0"));
        } else if (name.find("Pwd") != std::string::npos ||
                   name.find("Password") != std::string::npos) {
            arguments.push_back(AutomationValue::String(u"123456"));
        } else {
            arguments.push_back(AutomationValue::String(u"1003"));
        }
    }
    return arguments;
}

struct Outcome {
    std::optional<std::int32_t> number;
    std::optional<std::u16string> text;  // nullopt with no number: a null BSTR
    std::int32_t lastError = 0;
    std::size_t boxes = 0;
    std::vector<std::string> events;
};

class RefusedPageTest : public testing::PageSessionTest,
                        public ::testing::WithParamInterface<const char16_t*> {
  protected:
    void SetUp() override {
        PageSessionTest::SetUp();
        std::string error;
        ASSERT_TRUE(sim::InstallCardProfile(sim::DefaultCardProfile(), &error)) << error;
    }

    // One method on a fresh control sited on `page` (null: not sited).
    Outcome CallOnPage(const MethodInfo& method, const platform::HostingPageSource* page) {
        CKestrovaCtrl control;
        testing::RecordingUserInterface boxes;
        control.SetClientSite(page, &boxes);
        sim::ClearEvents();
        Outcome outcome;
        // A refused page first tries to take the card in.
        for (const char* opening : {"ConnectReader", "CheckCardInsert"}) {
            if (page == &page_) {
                break;
            }
            const std::vector<AutomationValue> reader{
                AutomationValue::String(u"Kestrova Virtual Reader 0")};
            EXPECT_EQ(InvokeMethod(control, opening, reader).Value().AsLong(), kHostingPageRefused)
                << opening;
        }
        const InvokeResult result = InvokeMethod(control, method, PlausibleArguments(method));
        EXPECT_TRUE(result.Succeeded()) << method.name;
        if (result.Succeeded() && result.Value().IsLong()) {
            outcome.number = result.Value().AsLong();
        } else {
            outcome.number.reset();
            if (result.Succeeded() && !result.Value().AsBstr().IsNull()) {
                outcome.text = std::u16string(result.Value().AsBstr().Text());
            }
        }
        outcome.lastError = control.LastError;
        outcome.boxes = boxes.boxes.size();
        outcome.events = sim::Events();
        return outcome;
    }
};

TEST_P(RefusedPageTest, OnlyTheOpenMethodsAnswerAndNoneReachesAReader) {
    std::unique_ptr<platform::StatedHostingPage> refused;
    if (GetParam() != nullptr) {
        refused = std::make_unique<platform::StatedHostingPage>(GetParam());
    }
    std::size_t guarded = 0;
    for (const MethodInfo& method : MethodTable()) {
        SCOPED_TRACE(std::string(method.name));
        const Outcome outcome = CallOnPage(method, refused.get());
        EXPECT_EQ(outcome.events, std::vector<std::string>{});
        if (method.NeedsAllowedPage()) {
            ++guarded;
            if (method.returnType == AutomationType::Long) {
                EXPECT_EQ(outcome.number, kHostingPageRefused);
            } else {
                EXPECT_FALSE(outcome.text.has_value());
                EXPECT_EQ(outcome.lastError, kHostingPageRefused);
            }
            const bool warned = method.pageAccess == PageAccess::AllowedPageWarned;
            EXPECT_EQ(outcome.boxes, warned ? 1U : 0U);
        } else {
            const Outcome allowed = CallOnPage(method, &page_);
            EXPECT_EQ(outcome.number, allowed.number);
            EXPECT_EQ(outcome.text, allowed.text);
            EXPECT_EQ(outcome.lastError, allowed.lastError);
            EXPECT_EQ(outcome.boxes, 0U);
        }
    }
    EXPECT_EQ(guarded, 52U);
}

INSTANTIATE_TEST_SUITE_P(Pages, RefusedPageTest,
                         ::testing::Values(u"https://evil.example.org/card/pay",
                                           u"http://card.kestrova.example.com/card/pay", nullptr));

// The same calls from an allowed page do reach the card: the refusals above
// are the page's, not the setup's.
TEST_F(RefusedPageTest, AnAllowedPageReachesTheCard) {
    const MethodInfo* connect = FindMethod("ConnectCard");
    ASSERT_NE(connect, nullptr);
    const Outcome outcome = CallOnPage(*connect, &page_);
    EXPECT_EQ(outcome.number, 0);
    EXPECT_FALSE(outcome.events.empty());
}

// A page that changes under the control (a host's :page) keeps nothing the
// card said once a call is refused.
TEST_F(RefusedPageTest, ARefusedCallForgetsTheCardOfAnAllowedPage) {
    ASSERT_EQ(Long("ConnectCard", {S(kVirtualReader)}), 0);
    ASSERT_EQ(Long("ListEF1001Accounts"), 0);
    ASSERT_NE(Text("GetCardStatus"), "<null>");
    platform::StatedHostingPage foreign(u"https://evil.example.org/");
    control_->SetClientSite(&foreign, &userInterface_);
    EXPECT_EQ(Text("ReadCardSN"), "<null>");
    EXPECT_EQ(Long("GetLastError"), kHostingPageRefused);
    EXPECT_EQ(Text("GetCardStatus"), "<null>");
    EXPECT_EQ(Long("GetEF1001TotalAccounts"), -1);
    EXPECT_EQ(control_->CurrentSlot, 0);
    control_->SetClientSite(&page_, &userInterface_);
}

}  // namespace
}  // namespace kestrova
