#include "card/reader_kind.h"

#include "reader/result_codes.h"

namespace kestrova {

std::int32_t ClassifyReader(const char* readerName) {
    if (readerName == nullptr || *readerName == '\0') {
        return kResultNoText;
    }
    const ReaderModel* model = FindReaderModel(readerName);
    return static_cast<std::int32_t>(model != nullptr ? model->kind : ReaderKind::Plain);
}

}  // namespace kestrova
