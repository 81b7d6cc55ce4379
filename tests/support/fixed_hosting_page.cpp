#include "tests/support/fixed_hosting_page.h"

#include <utility>

namespace kestrova::test_support {

FixedHostingPage::FixedHostingPage(std::optional<std::u16string> displayName)
    : displayName_(std::move(displayName)) {}

std::optional<std::u16string> FixedHostingPage::PageDisplayName() const {
    ++askCount_;
    return displayName_;
}

void FixedHostingPage::SetDisplayName(std::optional<std::u16string> displayName) {
    displayName_ = std::move(displayName);
}

}  // namespace kestrova::test_support
