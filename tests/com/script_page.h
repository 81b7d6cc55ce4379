#pragma once

// A page as a browser runs it: the control sited for the page's address, and
// the page's JScript calling it by the name "Kestrova", with WScript.Echo
// for output as under Windows Script Host.

#include <string>

namespace kestrova::container {

// Runs the script file; false when the engine or the control cannot be had
// or the script does not parse or raises an error it does not catch.
bool RunPageScript(const std::wstring& pageUrl, const std::wstring& scriptPath);

}  // namespace kestrova::container
