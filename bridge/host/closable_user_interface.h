#pragma once

// A user interface that the connection's end can close from another thread:
// an open confirmation window ends as if cancelled within one watch tick,
// and no window or message box is shown after that. The watch works with any
// view because it is one more timer of the window itself, run on the
// window's own thread; a message box already up is dismissed by the view.

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>

#include "platform/modal_dialog.h"
#include "platform/user_interface.h"

namespace kestrova::bridge {

// A timer id no dialog of the control uses, and how often the watch looks.
inline constexpr std::uint32_t kCloseWatchTimerId = 0x4B43;
inline constexpr std::uint32_t kCloseWatchPeriodMs = 50;

class ClosableUserInterface final : public platform::UserInterface {
  public:
    // The view outlives this object; `closed` is set by whoever sees the
    // connection end, on any thread.
    ClosableUserInterface(platform::UserInterface& view,
                          std::shared_ptr<const std::atomic<bool>> closed)
        : view_(view), closed_(std::move(closed)) {}

    bool Closed() const { return closed_->load(); }

    void ShowMessageBox(std::string_view text, std::string_view caption,
                        platform::MessageBoxIcon icon) override;
    std::int32_t RunModal(platform::ModalDialog& dialog) override;

  private:
    platform::UserInterface& view_;
    std::shared_ptr<const std::atomic<bool>> closed_;
};

}  // namespace kestrova::bridge
