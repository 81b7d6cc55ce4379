// The Windows seams on the system's API, run under Wine beside the simulated
// winscard.dll: the service binding with Windows' types and A names, code
// page 950 both ways with exactness, and the service library's version
// resource. Prints each failed check and "N passed, N failed".

#include <windows.h>
#include <winscard.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/code_page.h"
#include "platform/service_version_info.h"
#include "reader/card_service.h"
#include "reader/reader_list.h"
#include "reader/service_binding.h"

namespace {

int passed = 0;
int failed = 0;

void Check(bool condition, const std::string& what) {
    if (condition) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED: %s\n", what.c_str());
    }
}

static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4, "Windows' service types");
static_assert(sizeof(SCARDHANDLE) == sizeof(void*), "pointer-sized handles");

void CheckBinding() {
    Check(std::string_view(kestrova::CardServiceLibrary()) == "winscard.dll",
          "the system's service library is winscard.dll");
    Check(kestrova::BindCardService() == 0, "binds the winscard.dll beside the program");
    const kestrova::PcscFunctions& functions = kestrova::TheCardService().functions;
    Check(functions.t0Pci != nullptr && functions.t0Pci->dwProtocol == SCARD_PROTOCOL_T0,
          "T=0 protocol record");
    Check(functions.t1Pci != nullptr && functions.t1Pci->dwProtocol == SCARD_PROTOCOL_T1,
          "T=1 protocol record");
    std::int32_t count = 0;
    kestrova::ListedReaderNames names{};
    const std::int32_t listed = kestrova::ListReaderTable(count, names);
    Check(listed == 0 && count == 2, "lists the simulated readers through SCardListReadersA");
    Check(std::string_view(names[0].data()) == "Kestrova Virtual Reader 0", "first reader's name");
    Check(kestrova::UnbindCardService() == 0 && kestrova::BindCardService() == 0,
          "binds again after unbinding");
}

struct CodePageCase {
    std::u16string_view utf16;
    std::string_view ansi;
    bool roundTrip;  // ansi converts back to utf16
    const char* what;
};

void CheckCodePage() {
    const CodePageCase cases[] = {
        {u"ABC 123", "ABC 123", true, "ASCII"},
        {u"\u78BA\u5B9A", "\xBD\x54\xA9\x77", true, "two Big5 characters"},
        {u"\uFF43\uFF41", "\xA2\xEB\xA2\xE9", true, "full-width letters Big5 has"},
        {u"c\u0101rd", "c?rd", false, "a-macron has no exact character: '?', not 'a'"},
        {u"\u00E9t\u00E9", "?t?", false, "e-acute has no exact character"},
        {u"\U0001F600!", "?!", false, "a surrogate pair is one default character"},
    };
    for (const CodePageCase& c : cases) {
        Check(kestrova::platform::Utf16ToAnsi(c.utf16) == c.ansi, std::string("to 950: ") + c.what);
        if (c.roundTrip) {
            Check(kestrova::platform::AnsiToUtf16(c.ansi) == c.utf16,
                  std::string("from 950: ") + c.what);
        }
    }
    Check(kestrova::platform::AnsiToUtf16("A\xBD") == u"A\uFFFD",
          "a lead byte without its trail becomes U+FFFD");
}

void CheckVersionInfo() {
    const kestrova::platform::LibraryVersionInfo info =
        kestrova::platform::ReadSystemLibraryVersionInfo("winscard.dll");
    Check(info.fileVersion == "1.0.0.1", "file version: " + info.fileVersion);
    Check(info.companyName == "Kestrova", "company name: " + info.companyName);
    Check(info.fileDescription == "Kestrova simulated PC/SC service",
          "file description: " + info.fileDescription);
    const kestrova::platform::LibraryVersionInfo untranslated =
        kestrova::platform::ReadSystemLibraryVersionInfo("no_translation.dll");
    Check(GetUserDefaultLangID() == 0x0409, "the tests run with United States English");
    Check(untranslated.fileVersion == "2.0.0.0" &&
              untranslated.companyName == "Untranslated maker" &&
              untranslated.fileDescription == "Untranslated library",
          "without a translation table the user's language with Unicode strings is read: " +
              untranslated.fileVersion);
    const kestrova::platform::LibraryVersionInfo missing =
        kestrova::platform::ReadSystemLibraryVersionInfo("no-such-library.dll");
    Check(missing.fileVersion.empty() && missing.companyName.empty() &&
              missing.fileDescription.empty(),
          "a missing library gives empty values");
}

}  // namespace

int main() {
    CheckBinding();
    CheckCodePage();
    CheckVersionInfo();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
