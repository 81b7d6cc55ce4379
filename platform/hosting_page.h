#pragma once

// Where the control learns the address of the page that hosts it. In a
// browser this is the container document's moniker; a command-line host
// states the page it serves.

#include <optional>
#include <string>
#include <utility>

namespace kestrova::platform {

class HostingPageSource {
  public:
    virtual ~HostingPageSource() = default;

    // The page's display name, or nothing when the container cannot name it.
    virtual std::optional<std::u16string> PageDisplayName() const = 0;

  protected:
    HostingPageSource() = default;
    HostingPageSource(const HostingPageSource&) = default;
    HostingPageSource& operator=(const HostingPageSource&) = default;
};

// The page a host says it serves, e.g. from `kestrova run --page-url`.
class StatedHostingPage final : public HostingPageSource {
  public:
    explicit StatedHostingPage(std::u16string displayName) : displayName_(std::move(displayName)) {}

    std::optional<std::u16string> PageDisplayName() const override { return displayName_; }

  private:
    std::u16string displayName_;
};

}  // namespace kestrova::platform
