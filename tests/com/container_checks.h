#pragma once

// Checks a container makes of the control, each reporting through Check.

#include <oaidl.h>
#include <windows.h>

#include <string>
#include <vector>

namespace kestrova::container {

// Counts and prints one outcome: "ok NAME" or "FAIL NAME: detail".
void Check(bool passed, const std::string& name, const std::string& detail = {});
int FailedChecks();
int PassedChecks();

std::string Hex(HRESULT value);
std::string Narrow(const std::wstring& text);

// A new control, created by ProgID as a page's <object> does.
IUnknown* CreateControl();

// Calls a method by name with DISPATCH_METHOD | DISPATCH_PROPERTYGET.
// arguments: in the script's order.
HRESULT CallByName(IDispatch* control, const wchar_t* name, std::initializer_list<VARIANT> args,
                   VARIANT* result);
HRESULT CallByName(IDispatch* control, const wchar_t* name, const std::vector<VARIANT>& args,
                   VARIANT* result);
VARIANT Long(LONG value);
VARIANT Text(const wchar_t* value);  // the caller frees it with VariantClear

void CheckSafety();
// simulatedService: the simulated winscard.dll is beside the program.
void CheckHostingPages(bool simulatedService);
void CheckRefusedPages(bool simulatedService);
void CheckDispatch();
void CheckDrawing();
void CheckInPlaceActivation();
void CheckPersistence();
void CheckConnectionPointAndClassInfo();
void CheckPropertyPage();
void CheckVerbs();

}  // namespace kestrova::container
