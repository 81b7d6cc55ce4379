#pragma once

// A hosting page with a fixed display name (or none), counting how often it
// was asked so tests can tell that nothing is cached.

#include <optional>
#include <string>

#include "platform/hosting_page.h"

namespace kestrova::test_support {

class FixedHostingPage final : public platform::HostingPageSource {
  public:
    explicit FixedHostingPage(std::optional<std::u16string> displayName);

    std::optional<std::u16string> PageDisplayName() const override;

    void SetDisplayName(std::optional<std::u16string> displayName);
    int AskCount() const { return askCount_; }

  private:
    std::optional<std::u16string> displayName_;
    mutable int askCount_ = 0;
};

}  // namespace kestrova::test_support
