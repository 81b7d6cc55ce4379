#include "platform/qt/qt_text.h"

#include "platform/code_page.h"

namespace kestrova::platform {

QString FromAnsi(std::string_view text) {
    const std::u16string utf16 = AnsiToUtf16(text);
    return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size()));
}

}  // namespace kestrova::platform
