#pragma once

namespace kestrova::platform {

// Qt needs one QApplication before the first widget. The host may have made
// one already; otherwise one is made here and lives until the process ends.
void EnsureQtApplication();

}  // namespace kestrova::platform
