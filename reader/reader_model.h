#pragma once

// The reader models that need handling of their own, known by the start of
// the reader's name: the one table every layer asks.

#include <cstdint>
#include <string_view>

namespace kestrova {

enum class ReaderKind : std::int32_t {
    Plain = 0,    // any other reader: the page's PIN text is sent
    PinPadA = 1,  // "Todos eCode Connectable II", "ACS APG8201"
    PinPadB = 2,  // "ACS ACR83U"
    PinPadC = 3,  // "Todos eCode Connectable"
};

struct ReaderModel {
    std::string_view namePrefix;
    ReaderKind kind;
    bool mayRefuseFirstConnect;  // after a test connection; the next is accepted
};

// The model whose name begins the reader's name, ignoring ASCII case (the
// name may continue after it); null for any other reader and for no name.
const ReaderModel* FindReaderModel(const char* readerName);

}  // namespace kestrova
