#pragma once

// A control sited on a page, on the simulated PC/SC service bound by path,
// called through the automation layer the way a page script calls it. Pauses
// go into the service's event log instead of being slept; message boxes are
// recorded instead of shown.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "control/dispatch.h"
#include "control/hosting_page_check.h"
#include "control/kestrova_ctrl.h"
#include "control/unicode_text.h"
#include "platform/hosting_page.h"
#include "platform/modal_dialog.h"
#include "platform/pause.h"
#include "platform/user_interface.h"
#include "reader/card_service.h"
#include "reader/service_binding.h"
#include "sim/service/simulated_pcsc.h"

namespace kestrova::testing {

struct ShownBox {
    std::string text;
    std::string caption;
};

class RecordingUserInterface final : public platform::UserInterface {
  public:
    void ShowMessageBox(std::string_view text, std::string_view caption,
                        platform::MessageBoxIcon /*icon*/) override {
        boxes.push_back({std::string(text), std::string(caption)});
    }
    // No user confirms a window here: every modal window ends as cancelled.
    std::int32_t RunModal(platform::ModalDialog& /*dialog*/) override {
        return platform::kDialogCancel;
    }
    std::vector<ShownBox> boxes;
};

inline void RecordPause(std::uint32_t milliseconds) {
    sim::AppendEvent("pause " + std::to_string(milliseconds));
}

inline std::u16string AllowedPageUrl() {
    return *Utf8ToUtf16(std::string("https://") + kConfiguredAllowedHosts[1] + "/card/pay");
}

class PageSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::Reset();
        UnbindCardService();
        TheCardService() = CardService{};
        SetCardServiceLibrary(KESTROVA_SIM_PCSC_LIBRARY);
        previousPause_ = platform::ReplacePause(&RecordPause);
        control_ = std::make_unique<CKestrovaCtrl>();
        control_->SetClientSite(&page_, &userInterface_);
    }

    void TearDown() override {
        control_.reset();
        platform::ReplacePause(previousPause_);
        UnbindCardService();
        TheCardService() = CardService{};
        SetCardServiceLibrary(nullptr);
        sim::Reset();
    }

    static void AddReader(const std::string& name, bool cardPresent,
                          sim::Attributes attributes = {}) {
        sim::ReaderSetup setup;
        setup.name = name;
        setup.cardPresent = cardPresent;
        setup.atr = {0x3B, 0x02, 0x14, 0x50};
        setup.attributes = std::move(attributes);
        ASSERT_TRUE(sim::AddReader(setup)) << name;
    }

    AutomationValue Call(std::string_view method,
                         std::initializer_list<AutomationValue> arguments = {}) {
        return Call(*control_, method, arguments);
    }

    static AutomationValue Call(CKestrovaCtrl& control, std::string_view method,
                                std::initializer_list<AutomationValue> arguments = {}) {
        const std::vector<AutomationValue> values(arguments);
        const InvokeResult result = InvokeMethod(control, method, values);
        EXPECT_TRUE(result.Succeeded())
            << method << ": " << (result.Succeeded() ? "" : result.Error().message);
        return result.Succeeded() ? result.Value() : AutomationValue::Long(-99999);
    }

    // The long a method returned.
    std::int32_t Long(std::string_view method,
                      std::initializer_list<AutomationValue> arguments = {}) {
        AutomationValue value = Call(method, arguments);
        EXPECT_TRUE(value.IsLong()) << method;
        return value.IsLong() ? value.AsLong() : -99999;
    }

    // The string a method returned, "<null>" for a null BSTR.
    std::string Text(std::string_view method,
                     std::initializer_list<AutomationValue> arguments = {}) {
        AutomationValue value = Call(method, arguments);
        EXPECT_TRUE(value.IsBstr()) << method;
        if (!value.IsBstr() || value.AsBstr().IsNull()) {
            return "<null>";
        }
        return Utf16ToUtf8(value.AsBstr().Text());
    }

    static AutomationValue L(std::int32_t value) { return AutomationValue::Long(value); }
    static AutomationValue S(std::string_view text) {
        return AutomationValue::String(*Utf8ToUtf16(text));
    }

    platform::StatedHostingPage page_{AllowedPageUrl()};
    RecordingUserInterface userInterface_;
    std::unique_ptr<CKestrovaCtrl> control_;

  private:
    platform::PauseFunction previousPause_ = nullptr;
};

}  // namespace kestrova::testing
