#pragma once

// Every Qt test runs on the offscreen platform, with the one QApplication
// the view would create for the host.

namespace kestrova::platform::testing {

void StartOffscreenQt();

}  // namespace kestrova::platform::testing
