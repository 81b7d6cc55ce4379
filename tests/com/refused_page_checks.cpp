// Through the OCX on a page the control refuses: every method the method
// table marks as needing an allowed page (and refusing silently) answers -1 (a string method null,
// with -1 for GetLastError) and the simulated winscard.dll is never asked for
// so much as a context, so no command reached a card.

#include <string>
#include <vector>

#include "container_checks.h"
#include "container_site.h"
#include "control/method_table.h"

namespace kestrova::container {
namespace {

using ContextCountFunction = int (*)();

// kestrova::sim::ContextCount() of the simulated winscard.dll: an int, so
// nothing of either side's C++ library crosses.
ContextCountFunction SimulatedContextCount() {
    HMODULE winscard = LoadLibraryA("winscard.dll");
    if (winscard == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<ContextCountFunction>(
        reinterpret_cast<void*>(GetProcAddress(winscard, "_ZN8kestrova3sim12ContextCountEv")));
}

std::vector<VARIANT> Arguments(const MethodInfo& method) {
    std::vector<VARIANT> arguments;
    for (const ParameterInfo& parameter : method.Parameters()) {
        arguments.push_back(
            parameter.type == AutomationType::Long ? Long(1) : Text(L"Kestrova Virtual Reader 0"));
    }
    return arguments;
}

bool Refused(const VARIANT& result) {
    return (V_VT(&result) == VT_I4 && V_I4(&result) == -1) ||
           (V_VT(&result) == VT_BSTR && SysStringLen(V_BSTR(&result)) == 0) ||
           V_VT(&result) == VT_EMPTY || V_VT(&result) == VT_NULL;
}

}  // namespace

void CheckRefusedPages(bool simulatedService) {
    const ContextCountFunction contexts = simulatedService ? SimulatedContextCount() : nullptr;
    if (simulatedService) {
        Check(contexts != nullptr && contexts() == 0, "the simulated service has no context yet");
    }
    for (const wchar_t* url :
         {L"https://evil.example.org/pay", L"http://" KESTROVA_ALLOWED_HOST_1 L"/bank/"}) {
        IUnknown* control = CreateControl();
        IOleObject* ole = nullptr;
        IDispatch* dispatch = nullptr;
        if (control == nullptr ||
            FAILED(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole))) ||
            FAILED(control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
            Check(false, "a control for " + Narrow(url));
            continue;
        }
        auto* site = new ClientSite(url);
        ole->SetClientSite(site);
        site->Release();
        int refused = 0;
        int guarded = 0;
        std::string failures;
        for (const MethodInfo& method : MethodTable()) {
            // The three that show the warning box first would wait here for
            // someone to close it: the other hosts' tests cover them.
            if (method.pageAccess != PageAccess::AllowedPage) {
                continue;
            }
            ++guarded;
            std::vector<VARIANT> arguments = Arguments(method);
            VARIANT result;
            VariantInit(&result);
            const std::wstring name(method.name.begin(), method.name.end());
            const HRESULT hr = CallByName(dispatch, name.c_str(), arguments, &result);
            VARIANT lastError;
            VariantInit(&lastError);
            const bool stringRefused =
                method.returnType == AutomationType::Long ||
                (CallByName(dispatch, L"GetLastError", {}, &lastError) == S_OK &&
                 V_VT(&lastError) == VT_I4 && V_I4(&lastError) == -1);
            if (hr == S_OK && Refused(result) && stringRefused) {
                ++refused;
            } else {
                // Appended in two steps: GCC 12 warns falsely of an
                // overlapping copy in " " + name.
                failures += ' ';
                failures += method.name;
            }
            VariantClear(&result);
            for (VARIANT& argument : arguments) {
                VariantClear(&argument);
            }
        }
        Check(refused == guarded && guarded > 0,
              "every guarded method refuses " + Narrow(url) + " (" + std::to_string(guarded) + ")",
              "not refused:" + failures);
        if (contexts != nullptr) {
            Check(contexts() == 0, "no card command for " + Narrow(url),
                  std::to_string(contexts()) + " contexts");
        }
        ole->SetClientSite(nullptr);
        dispatch->Release();
        ole->Release();
        control->Release();
    }
}

}  // namespace kestrova::container
