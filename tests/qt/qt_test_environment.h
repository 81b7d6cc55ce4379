#pragma once

// Every Qt test runs on the offscreen platform, with the one QApplication
// the view would create for the host.

#include <QString>
#include <ostream>
#include <string>

namespace kestrova::platform::testing {

void StartOffscreenQt();

// Code page 950 of UTF-8 text.
std::string Big5(const char* utf8);

}  // namespace kestrova::platform::testing

// Failures show texts as text, not as UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << text.toStdString();
}
