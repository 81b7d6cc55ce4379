#include "script_page.h"

#include <activscp.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "container_checks.h"
#include "container_site.h"

namespace kestrova::container {
namespace {

std::string Utf8(const wchar_t* text, UINT length) {
    std::string out(static_cast<std::size_t>(length) * 3, '\0');
    const int written = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(),
                                            static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return out;
}

// WScript.Echo(text): one line of output.
class Echo final : public IDispatch {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        const bool echo = count == 1 && lstrcmpiW(names[0], L"Echo") == 0;
        ids[0] = echo ? 1 : DISPID_UNKNOWN;
        return echo ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        if (id != 1 || params->cArgs != 1) {
            return DISP_E_MEMBERNOTFOUND;
        }
        VARIANT text;
        VariantInit(&text);
        if (FAILED(VariantChangeType(&text, &params->rgvarg[0], 0, VT_BSTR))) {
            return DISP_E_TYPEMISMATCH;
        }
        std::printf("%s\n", Utf8(V_BSTR(&text), SysStringLen(V_BSTR(&text))).c_str());
        VariantClear(&text);
        return S_OK;
    }
};

class ScriptSite final : public IActiveScriptSite {
  public:
    ScriptSite(IDispatch* control, IDispatch* echo) : control_(control), echo_(echo) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IActiveScriptSite)) {
            *object = static_cast<IActiveScriptSite*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item,
                                          ITypeInfo** info) override {
        if (info != nullptr) {
            *info = nullptr;
        }
        IDispatch* found = lstrcmpW(name, L"Kestrova") == 0  ? control_
                           : lstrcmpW(name, L"WScript") == 0 ? echo_
                                                             : nullptr;
        if (found == nullptr || (mask & SCRIPTINFO_IUNKNOWN) == 0) {
            return TYPE_E_ELEMENTNOTFOUND;
        }
        *item = found;
        found->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override {
        EXCEPINFO exception{};
        error->GetExceptionInfo(&exception);
        ULONG line = 0;
        error->GetSourcePosition(nullptr, &line, nullptr);
        std::printf(
            "script error at line %lu: %s\n", line + 1,
            exception.bstrDescription != nullptr
                ? Utf8(exception.bstrDescription, SysStringLen(exception.bstrDescription)).c_str()
                : Hex(exception.scode).c_str());
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        failed = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

    bool failed = false;

  private:
    IDispatch* control_;
    IDispatch* echo_;
};

std::wstring ReadScript(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    const std::string text = bytes.str();
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           wide.data(), static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return wide;
}

}  // namespace

bool RunPageScript(const std::wstring& pageUrl, const std::wstring& scriptPath) {
    const std::wstring source = ReadScript(scriptPath);
    IUnknown* control = CreateControl();
    IOleObject* ole = nullptr;
    IDispatch* dispatch = nullptr;
    CLSID jscript;
    IActiveScript* engine = nullptr;
    IActiveScriptParse* parser = nullptr;
    bool ran = false;
    auto* site = new ClientSite(pageUrl);
    Echo echo;
    if (!source.empty() && control != nullptr &&
        SUCCEEDED(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole))) &&
        SUCCEEDED(control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))) &&
        SUCCEEDED(ole->SetClientSite(site)) && SUCCEEDED(CLSIDFromProgID(L"JScript", &jscript)) &&
        SUCCEEDED(CoCreateInstance(jscript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                   reinterpret_cast<void**>(&engine))) &&
        SUCCEEDED(
            engine->QueryInterface(IID_IActiveScriptParse, reinterpret_cast<void**>(&parser)))) {
        ScriptSite scriptSite(dispatch, &echo);
        EXCEPINFO exception{};
        ran = SUCCEEDED(engine->SetScriptSite(&scriptSite)) && SUCCEEDED(parser->InitNew()) &&
              SUCCEEDED(engine->AddNamedItem(L"Kestrova", SCRIPTITEM_ISVISIBLE)) &&
              SUCCEEDED(engine->AddNamedItem(L"WScript", SCRIPTITEM_ISVISIBLE)) &&
              SUCCEEDED(engine->SetScriptState(SCRIPTSTATE_CONNECTED)) &&
              SUCCEEDED(parser->ParseScriptText(source.c_str(), nullptr, nullptr, nullptr, 0, 0,
                                                SCRIPTTEXT_ISVISIBLE, nullptr, &exception)) &&
              !scriptSite.failed;
        engine->Close();
    }
    ole != nullptr ? ole->SetClientSite(nullptr) : S_OK;
    site->Release();
    for (IUnknown* held :
         {static_cast<IUnknown*>(parser), static_cast<IUnknown*>(engine),
          static_cast<IUnknown*>(dispatch), static_cast<IUnknown*>(ole), control}) {
        if (held != nullptr) {
            held->Release();
        }
    }
    return ran;
}

}  // namespace kestrova::container
