#include "host/page_site.h"

#include "control/unicode_text.h"

namespace kestrova::host {

PageSite::PageSite(CKestrovaCtrl& control, platform::UserInterface* userInterface)
    : control_(control), userInterface_(userInterface) {
    control_.SetClientSite(nullptr, userInterface_);
}

bool PageSite::Serve(const std::optional<std::string>& url) {
    if (!url) {
        control_.SetClientSite(nullptr, userInterface_);
        page_.reset();
        return true;
    }
    std::optional<std::u16string> displayName = Utf8ToUtf16(*url);
    if (!displayName) {
        return false;
    }
    // The control never holds the address of a page that is gone.
    control_.SetClientSite(nullptr, userInterface_);
    page_.emplace(std::move(*displayName));
    control_.SetClientSite(&*page_, userInterface_);
    return true;
}

}  // namespace kestrova::host
