#include "card/reader_kind.h"

#include <array>
#include <string_view>

#include "card/card_result_codes.h"

namespace kestrova {
namespace {

struct ReaderModel {
    std::string_view namePrefix;
    ReaderKind kind;
};

// Searched in order: "Todos eCode Connectable II" must be tried before the
// name it extends.
constexpr std::array<ReaderModel, 4> kReaderModels{{
    {"Todos eCode Connectable II", ReaderKind::PinPadA},
    {"ACS ACR83U", ReaderKind::PinPadB},
    {"Todos eCode Connectable", ReaderKind::PinPadC},
    {"ACS APG8201", ReaderKind::PinPadA},
}};

char AsciiLower(char character) {
    return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a')
                                                : character;
}

// Stops at the name's terminator, so a short name is never read past.
bool StartsWithIgnoringCase(const char* name, std::string_view prefix) {
    for (const char expected : prefix) {
        if (*name == '\0' || AsciiLower(*name) != AsciiLower(expected)) {
            return false;
        }
        ++name;
    }
    return true;
}

}  // namespace

std::int32_t ClassifyReader(const char* readerName) {
    if (readerName == nullptr || *readerName == '\0') {
        return kResultNoText;
    }
    for (const ReaderModel& model : kReaderModels) {
        if (StartsWithIgnoringCase(readerName, model.namePrefix)) {
            return static_cast<std::int32_t>(model.kind);
        }
    }
    return static_cast<std::int32_t>(ReaderKind::Plain);
}

}  // namespace kestrova
