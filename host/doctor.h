#pragma once

// `kestrova doctor` and `kestrova-host --doctor`: whether this machine can
// serve a bank page, checked the way the browser and the host will meet it.
// Nothing a card holds beyond its ATR is read, and no command reaches it.

#include <string_view>

#include "host/doctor_report.h"
#include "host/install_layout.h"

namespace kestrova::host {

// The PC/SC service (reachable, its library's version) and each reader it
// lists, with its card's ATR. Binds the service library as it is set
// (SetCardServiceLibrary) and leaves it bound.
void CheckCardService(DoctorReport& report);

// For each browser: the native host's registration naming an existing
// program and our extension, and the extension installed.
void CheckBrowsers(DoctorReport& report, const InstallLayout& layout);

// The host's configuration in force, from the layout's configFile.
void CheckConfiguration(DoctorReport& report, const InstallLayout& layout);

// Every check, in the order a person reads them.
DoctorReport RunDoctor(const InstallLayout& layout, std::string_view version, int protocol);

}  // namespace kestrova::host
