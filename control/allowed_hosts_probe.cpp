// Says for each page address on the command line whether this build's
// allowed hosts admit it ("admitted URL" or "refused URL"), through the
// control's own check. Built on request only: it shows a bank's build with
// its own hosts without building the whole control.
#include <cstdio>

#include "control/hosting_page_check.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const bool admitted =
            kestrova::IsAllowedPageAddress(argv[i], kestrova::kConfiguredAllowedHosts);
        std::printf("%s %s\n", admitted ? "admitted" : "refused", argv[i]);
    }
    return 0;
}
