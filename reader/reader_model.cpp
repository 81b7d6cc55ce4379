#include "reader/reader_model.h"

#include <array>

#include "platform/ascii_text.h"

namespace kestrova {
namespace {

// Searched in order: "Todos eCode Connectable II" must be tried before the
// name it extends.
constexpr std::array<ReaderModel, 4> kReaderModels{{
    {"Todos eCode Connectable II", ReaderKind::PinPadA, true},
    {"ACS ACR83U", ReaderKind::PinPadB, false},
    {"Todos eCode Connectable", ReaderKind::PinPadC, true},
    {"ACS APG8201", ReaderKind::PinPadA, false},
}};

}  // namespace

const ReaderModel* FindReaderModel(const char* readerName) {
    if (readerName == nullptr) {
        return nullptr;
    }
    const std::string_view name(readerName);
    for (const ReaderModel& model : kReaderModels) {
        if (platform::StartsWithIgnoringAsciiCase(name, model.namePrefix)) {
            return &model;
        }
    }
    return nullptr;
}

}  // namespace kestrova
