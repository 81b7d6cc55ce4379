#pragma once

// A dialog whose logic is the test's: each event runs the hook the test set,
// and is counted.

#include <cstdint>
#include <functional>

#include "platform/modal_dialog.h"

namespace kestrova::platform::testing {

class ScriptedDialog final : public ModalDialog {
  public:
    explicit ScriptedDialog(const DialogTemplate& dialogTemplate) : template_(dialogTemplate) {}

    std::function<void(DialogWindow&)> onInit;
    std::function<void(DialogWindow&, std::uint32_t)> onTimer;
    std::function<void(DialogWindow&)> onOK = [](DialogWindow& window) { window.End(kDialogOk); };
    std::function<void(DialogWindow&)> onCancel = [](DialogWindow& window) {
        window.End(kDialogCancel);
    };
    int okCount = 0;
    int cancelCount = 0;

    const DialogTemplate& Template() const override { return template_; }
    void OnInitDialog(DialogWindow& window) override {
        if (onInit) {
            onInit(window);
        }
    }
    void OnTimer(DialogWindow& window, std::uint32_t timerId) override {
        if (onTimer) {
            onTimer(window, timerId);
        }
    }
    void OnOK(DialogWindow& window) override {
        ++okCount;
        onOK(window);
    }
    void OnCancel(DialogWindow& window) override {
        ++cancelCount;
        onCancel(window);
    }

  private:
    const DialogTemplate& template_;
};

}  // namespace kestrova::platform::testing
