// The guarded methods serve a page only over https from an allowed host,
// whatever the container's moniker says beyond that. Each row sites a new
// control in a client site naming the page through a URL moniker and calls
// ReConnectCard, which is guarded but shows no box: a refused page gives -1
// before any card work, an allowed one reaches the card service (and, on the
// simulated one, connects the card in its virtual reader).

#include <ocidl.h>

#include <string>

#include "container_checks.h"
#include "container_site.h"

#if !defined(KESTROVA_ALLOWED_HOST_0) || !defined(KESTROVA_ALLOWED_HOST_1)
#error "The allowed hosts are set by the build (KESTROVA_ALLOWED_HOST_0 and _1)"
#endif

namespace kestrova::container {
namespace {

const std::wstring kAddress = L"" KESTROVA_ALLOWED_HOST_0;
const std::wstring kName = L"" KESTROVA_ALLOWED_HOST_1;

enum class Siting { WithPage, WithoutMoniker, NotSited };
enum class Start { InitNew, LoadEmptyBag };

struct PageCase {
    std::wstring url;
    bool allowed;
    Siting siting = Siting::WithPage;
    Start start = Start::InitNew;
};

// The name with its first letter replaced by a look-alike outside ASCII.
std::wstring LookAlike(wchar_t replacement) {
    return replacement + kName.substr(1);
}

std::wstring FullWidth(const std::wstring& text) {
    std::wstring wide;
    for (wchar_t c : text) {
        wide += (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + 0xFF41) : c;
    }
    return wide;
}

LONG CallGuarded(const PageCase& page, HRESULT& hr) {
    IUnknown* control = CreateControl();
    IOleObject* ole = nullptr;
    IPersistPropertyBag* persist = nullptr;
    IDispatch* dispatch = nullptr;
    LONG code = 0x7fffffff;
    hr = E_FAIL;
    if (control != nullptr &&
        SUCCEEDED(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole))) &&
        SUCCEEDED(
            control->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
        // Set client site first, as the control's status asks, then initialise.
        if (page.siting != Siting::NotSited) {
            auto* site = new ClientSite(page.siting == Siting::WithPage ? page.url : L"");
            ole->SetClientSite(site);
            site->Release();
        }
        PropertyBag bag;
        if (page.start == Start::InitNew) {
            persist->InitNew();
        } else {
            persist->Load(&bag, nullptr);
        }
        VARIANT reader = Text(L"Kestrova Virtual Reader 0");
        VARIANT result;
        hr = CallByName(dispatch, L"reconnectcard", {reader, Long(1)}, &result);
        if (hr == S_OK && V_VT(&result) == VT_I4) {
            code = V_I4(&result);
        }
        VariantClear(&reader);
        ole->SetClientSite(nullptr);
    }
    for (IUnknown* held : {static_cast<IUnknown*>(dispatch), static_cast<IUnknown*>(persist),
                           static_cast<IUnknown*>(ole), control}) {
        if (held != nullptr) {
            held->Release();
        }
    }
    return code;
}

}  // namespace

void CheckHostingPages(bool simulatedService) {
    const PageCase cases[] = {
        {L"https://" + kName + L"/bank/card.aspx", true},
        {L"HTTPS://" + kName + L"/", true, Siting::WithPage, Start::LoadEmptyBag},
        {L"https://WWW." + kName + L":8443/pay?x=1#top", true},
        {L"https://" + kAddress + L"/login", true},
        {L"https://user:secret@" + kName + L"/", true},
        {L"http://" + kName + L"/", false},
        {L"http://" + kAddress + L"/", false},
        {L"https://x" + kName + L"/", false},
        {L"https://" + kName + L".evil.example/", false},
        {L"https://192.0.2.11/", false},
        {L"https://evil.example/" + kName, false},
        {L"https://" + kName + L"@evil.example/", false},
        {L"https://" + kName + L":443@evil.example/", false},
        {L"https://evil.example\\@" + kName + L"/", false},
        {L"https://evil.example\\." + kName + L"/", false},
        {L"https://" + kName + L"./", false},
        {L"https://" + LookAlike(L'\x0107') + L"/", false},  // ć
        {L"https://" + LookAlike(L'\x0441') + L"/", false},  // Cyrillic es
        {L"https://" + FullWidth(kName) + L"/", false},
        {L"https://" + kName.substr(0, 1) + L"\x0101" + kName.substr(2) + L"/", false},  // ā
        {L"file:///C:/bank/" + kName + L".html", false},
        {L"https://" + kName + L"/", false, Siting::WithoutMoniker},
        {L"https://" + kName + L"/", false, Siting::NotSited},
    };
    for (const PageCase& page : cases) {
        HRESULT hr = S_OK;
        const LONG code = CallGuarded(page, hr);
        const bool refused = code == -1;
        std::string name =
            Narrow(page.url) + (page.siting == Siting::WithoutMoniker ? " (no moniker)"
                                : page.siting == Siting::NotSited     ? " (not sited)"
                                                                      : "");
        // On the simulated service an allowed page connects the card.
        const bool connected = !simulatedService || code == 0;
        Check(hr == S_OK && refused != page.allowed && (!page.allowed || connected),
              (page.allowed ? "allowed " : "refused ") + name,
              "ReConnectCard gave " + std::to_string(code) + ", call " + Hex(hr));
    }
}

}  // namespace kestrova::container
