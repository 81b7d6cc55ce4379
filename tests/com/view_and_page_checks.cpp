// What a container sees of the control besides its methods: its drawing, its
// saved state, its connection point and class information, its property page
// and its verbs.

#include <ocidl.h>
#include <olectl.h>

#include <cstring>
#include <string>

#include "KESTROVA_h.h"
#include "container_checks.h"
#include "container_site.h"

#define KESTROVA_WIDEN_(text) L##text
#define KESTROVA_WIDEN(text) KESTROVA_WIDEN_(text)
#define KESTROVA_WIDE_HOST_1 KESTROVA_WIDEN(KESTROVA_ALLOWED_HOST_1)

namespace kestrova::container {
namespace {

template <typename Interface>
Interface* Query(IUnknown* object, REFIID iid) {
    Interface* found = nullptr;
    if (object == nullptr ||
        FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&found)))) {
        return nullptr;
    }
    return found;
}

constexpr int kWidth = 100;
constexpr int kHeight = 50;
constexpr DWORD kWhite = 0x00FFFFFF;
constexpr DWORD kUntouched = 0x00123456;

}  // namespace

// A white rectangle with an ellipse outline touching its four sides.
void CheckDrawing() {
    IUnknown* control = CreateControl();
    auto* view = Query<IViewObject>(control, IID_IViewObject);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (view == nullptr || bitmap == nullptr) {
        Check(false, "drawing", "no view or no bitmap");
    } else {
        HGDIOBJ previous = SelectObject(dc, bitmap);
        auto* pixels = static_cast<DWORD*>(bits);
        std::fill(pixels, pixels + kWidth * kHeight, kUntouched);
        const RECTL bounds{0, 0, kWidth, kHeight};
        const HRESULT hr = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds,
                                      nullptr, nullptr, 0);
        GdiFlush();
        auto at = [&](int x, int y) { return pixels[y * kWidth + x] & 0x00FFFFFF; };
        Check(hr == S_OK, "IViewObject::Draw", Hex(hr));
        bool painted = true;
        for (int i = 0; i < kWidth * kHeight; ++i) {
            painted = painted && (pixels[i] & 0x00FFFFFF) != kUntouched;
        }
        Check(painted, "the whole rectangle is painted");
        Check(at(0, 0) == kWhite && at(kWidth - 1, 0) == kWhite && at(0, kHeight - 1) == kWhite &&
                  at(kWidth - 1, kHeight - 1) == kWhite && at(kWidth / 2, kHeight / 2) == kWhite,
              "corners and centre are white");
        auto lineTouches = [&](bool row, int index) {
            const int length = row ? kWidth : kHeight;
            for (int i = 0; i < length; ++i) {
                if ((row ? at(i, index) : at(index, i)) != kWhite) {
                    return true;
                }
            }
            return false;
        };
        Check(lineTouches(true, 0) && lineTouches(true, kHeight - 1) && lineTouches(false, 0) &&
                  lineTouches(false, kWidth - 1),
              "the ellipse touches all four sides");
        Check(at(kWidth / 2, 0) != kWhite && at(0, kHeight / 2) != kWhite &&
                  at(kWidth / 2, 1) == kWhite && at(1, 0) == kWhite,
              "the outline runs through the middles of the sides, not the corners");
        SelectObject(dc, previous);
    }
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
    if (view != nullptr) {
        view->Release();
    }
    if (control != nullptr) {
        control->Release();
    }
}

// A site without windowless activation gets a child window in its own.
void CheckInPlaceActivation() {
    IUnknown* control = CreateControl();
    auto* ole = Query<IOleObject>(control, IID_IOleObject);
    auto* inPlace = Query<IOleInPlaceObject>(control, IID_IOleInPlaceObject);
    HWND page = CreateWindowExW(0, L"STATIC", L"page", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
    auto* site = new ClientSite(L"https://" KESTROVA_WIDE_HOST_1 L"/", page);
    HWND window = nullptr;
    RECT place{10, 20, 110, 70};
    if (ole != nullptr && inPlace != nullptr && page != nullptr &&
        ole->SetClientSite(site) == S_OK &&
        ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, page, &place) == S_OK) {
        inPlace->GetWindow(&window);
    }
    RECT area{};
    GetClientRect(window, &area);
    Check(window != nullptr && GetParent(window) == page && area.right == 100 &&
              area.bottom == 50 && site->activations == 1,
          "in place in a child window of the site's, 100 x 50");
    place = {0, 0, 60, 30};
    if (inPlace != nullptr) {
        inPlace->SetObjectRects(&place, &place);
        GetClientRect(window, &area);
        Check(area.right == 60 && area.bottom == 30, "the window follows the site's rectangle");
        inPlace->InPlaceDeactivate();
    }
    Check(window != nullptr && !IsWindow(window) && site->deactivations == 1,
          "deactivated: the window is gone and the site told");
    if (ole != nullptr) {
        ole->SetClientSite(nullptr);
    }
    site->Release();
    if (page != nullptr) {
        DestroyWindow(page);
    }
    for (IUnknown* held : {static_cast<IUnknown*>(inPlace), static_cast<IUnknown*>(ole), control}) {
        if (held != nullptr) {
            held->Release();
        }
    }
}

// Only the version 1.0 is saved, and it loads again.
void CheckPersistence() {
    IUnknown* control = CreateControl();
    auto* stream = Query<IPersistStreamInit>(control, IID_IPersistStreamInit);
    auto* bag = Query<IPersistPropertyBag>(control, IID_IPersistPropertyBag);
    IStream* saved = nullptr;
    if (stream == nullptr || bag == nullptr ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &saved))) {
        Check(false, "persistence", "no persistence interfaces");
    } else {
        Check(stream->InitNew() == S_OK && stream->Save(saved, TRUE) == S_OK, "stream saved");
        STATSTG stat{};
        saved->Stat(&stat, STATFLAG_NONAME);
        unsigned char bytes[8] = {};
        ULONG read = 0;
        const LARGE_INTEGER start{};
        saved->Seek(start, STREAM_SEEK_SET, nullptr);
        saved->Read(bytes, sizeof bytes, &read);
        const unsigned char version[4] = {0x00, 0x00, 0x01, 0x00};
        Check(stat.cbSize.QuadPart == 4 && read == 4 && std::memcmp(bytes, version, 4) == 0,
              "the stream holds the version 0x10000 and nothing else",
              std::to_string(stat.cbSize.QuadPart) + " bytes");
        saved->Seek(start, STREAM_SEEK_SET, nullptr);
        Check(stream->Load(saved) == S_OK, "stream loaded");
        PropertyBag properties;
        Check(bag->Save(&properties, TRUE, TRUE) == S_OK && properties.written.size() == 1 &&
                  properties.written[L"_Version"] == 0x10000,
              "the property bag holds _Version 65536 and nothing else");
        Check(bag->Load(&properties, nullptr) == S_OK, "property bag loaded");
    }
    for (IUnknown* held : {static_cast<IUnknown*>(saved), static_cast<IUnknown*>(bag),
                           static_cast<IUnknown*>(stream), control}) {
        if (held != nullptr) {
            held->Release();
        }
    }
}

void CheckConnectionPointAndClassInfo() {
    IUnknown* control = CreateControl();
    auto* container = Query<IConnectionPointContainer>(control, IID_IConnectionPointContainer);
    IConnectionPoint* point = nullptr;
    IID iid{};
    Check(container != nullptr &&
              container->FindConnectionPoint(DIID__DKestrovaEvents, &point) == S_OK &&
              point->GetConnectionInterface(&iid) == S_OK && IsEqualIID(iid, DIID__DKestrovaEvents),
          "connection point for _DKestrovaEvents");
    if (point != nullptr) {
        point->Release();
    }
    auto* classInfo = Query<IProvideClassInfo2>(control, IID_IProvideClassInfo2);
    GUID source{};
    ITypeInfo* coclass = nullptr;
    TYPEATTR* attributes = nullptr;
    const bool described = classInfo != nullptr &&
                           classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source) == S_OK &&
                           classInfo->GetClassInfo(&coclass) == S_OK &&
                           coclass->GetTypeAttr(&attributes) == S_OK;
    Check(described && IsEqualIID(source, DIID__DKestrovaEvents) &&
              IsEqualCLSID(attributes->guid, CLSID_Kestrova) &&
              attributes->typekind == TKIND_COCLASS,
          "class information names the coclass and its event interface");
    if (attributes != nullptr) {
        coclass->ReleaseTypeAttr(attributes);
    }
    for (IUnknown* held : {static_cast<IUnknown*>(coclass), static_cast<IUnknown*>(classInfo),
                           static_cast<IUnknown*>(container), control}) {
        if (held != nullptr) {
            held->Release();
        }
    }
}

// One page, "General", with its one static text.
void CheckPropertyPage() {
    IUnknown* control = CreateControl();
    auto* specify = Query<ISpecifyPropertyPages>(control, IID_ISpecifyPropertyPages);
    CAUUID pages{};
    const bool listed = specify != nullptr && specify->GetPages(&pages) == S_OK;
    Check(listed && pages.cElems == 1 && IsEqualCLSID(pages.pElems[0], CLSID_KestrovaPropPage),
          "one property page");
    IPropertyPage* page = nullptr;
    if (listed && pages.cElems == 1) {
        CoCreateInstance(pages.pElems[0], nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                         reinterpret_cast<void**>(&page));
    }
    CoTaskMemFree(pages.pElems);
    PROPPAGEINFO info{};
    Check(page != nullptr && page->GetPageInfo(&info) == S_OK && info.pszTitle != nullptr &&
              std::wstring(info.pszTitle) == L"General" && info.size.cx > 0 && info.size.cy > 0,
          "the page is titled General");
    CoTaskMemFree(info.pszTitle);
    HWND sheet = CreateWindowExW(0, L"STATIC", L"sheet", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr,
                                 nullptr, nullptr);
    const RECT place{0, 0, info.size.cx, info.size.cy};
    std::wstring text;
    if (page != nullptr && sheet != nullptr && page->SetObjects(1, &control) == S_OK &&
        page->Activate(sheet, &place, TRUE) == S_OK) {
        HWND shown = GetWindow(sheet, GW_CHILD);
        HWND label = shown != nullptr ? GetWindow(shown, GW_CHILD) : nullptr;
        wchar_t buffer[256] = {};
        if (label != nullptr) {
            GetWindowTextW(label, buffer, 256);
        }
        text = buffer;
        Check(label != nullptr && GetWindow(label, GW_HWNDNEXT) == nullptr,
              "the page holds a single control");
        page->Deactivate();
    }
    Check(text ==
              L"TODO: Place controls to manipulate properties of Kestrova Control on this "
              L"dialog.",
          "the page's static text", Narrow(text));
    if (sheet != nullptr) {
        DestroyWindow(sheet);
    }
    for (IUnknown* held :
         {static_cast<IUnknown*>(page), static_cast<IUnknown*>(specify), control}) {
        if (held != nullptr) {
            held->Release();
        }
    }
}

// The verbs a container lists: the Properties verb alone, on its menu, each
// name the caller's to free; the enumeration's position through Next, Skip,
// Reset and Clone.
void CheckVerbs() {
    IUnknown* control = CreateControl();
    auto* ole = Query<IOleObject>(control, IID_IOleObject);
    IEnumOLEVERB* verbs = nullptr;
    Check(ole != nullptr && ole->EnumVerbs(&verbs) == S_OK && verbs != nullptr,
          "the control lists its verbs");
    if (verbs != nullptr) {
        OLEVERB listed[2] = {};
        ULONG fetched = 0;
        const HRESULT first = verbs->Next(2, listed, &fetched);
        Check(first == S_FALSE && fetched == 1 && listed[0].lVerb == OLEIVERB_PROPERTIES &&
                  listed[0].grfAttribs == OLEVERBATTRIB_ONCONTAINERMENU &&
                  listed[0].lpszVerbName != nullptr &&
                  std::wstring(listed[0].lpszVerbName) == L"&Properties...",
              "one verb: Properties, on the container's menu",
              Hex(first) + " " + std::to_string(fetched));
        for (ULONG i = 0; i < fetched; ++i) {
            CoTaskMemFree(listed[i].lpszVerbName);
        }
        IEnumOLEVERB* copy = nullptr;
        OLEVERB again{};
        Check(verbs->Next(1, listed, nullptr) == S_FALSE && verbs->Skip(1) == S_FALSE &&
                  verbs->Reset() == S_OK && verbs->Clone(&copy) == S_OK && verbs->Skip(1) == S_OK &&
                  verbs->Next(1, listed, nullptr) == S_FALSE &&
                  copy->Next(1, &again, nullptr) == S_OK && again.lVerb == OLEIVERB_PROPERTIES,
              "the verb list's position: past the end, skipped, reset, cloned");
        CoTaskMemFree(again.lpszVerbName);
        if (copy != nullptr) {
            copy->Release();
        }
        verbs->Release();
    }
    for (IUnknown* held : {static_cast<IUnknown*>(ole), control}) {
        if (held != nullptr) {
            held->Release();
        }
    }
}

}  // namespace kestrova::container
