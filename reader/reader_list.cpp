#include "reader/reader_list.h"

#include <algorithm>
#include <cstring>

#include "reader/result_codes.h"
#include "reader/service_binding.h"
#include "reader/service_context.h"

namespace kestrova {

namespace {

std::int32_t EnsureListingContext(CardService& service) {
    if (service.contextOpen != 0) {
        return kResultSuccess;
    }
    for (ReaderSlot& slot : service.slots) {
        slot.registered = 0;
        slot.card = 0;
    }
    return EstablishCardContext();
}

}  // namespace

std::int32_t ListReaderNames(std::int32_t& count, ListedReaderNames& names) {
    if (BindCardService() != kResultSuccess) {
        return kResultFailure;
    }
    CardService& service = TheCardService();
    DWORD length = 0;
    const auto listInContext = [&service, &length] {
        const std::int32_t opened = EnsureListingContext(service);
        if (opened != kResultSuccess) {
            return opened;
        }
        service.listBuffer.fill('\0');
        length = static_cast<DWORD>(service.listBuffer.size());
        return NarrowResult(service.functions.listReaders(service.context, nullptr,
                                                          service.listBuffer.data(), &length));
    };
    std::int32_t result = EnsureListingContext(service);
    if (result != kResultSuccess) {
        return result;
    }
    result = WithContextRecovery(listInContext);
    if (result != kResultSuccess) {
        return result;
    }

    // A multi-string: names each ended by a NUL, the list by an empty name.
    const char* position = service.listBuffer.data();
    const char* end = position + std::min<std::size_t>(length, service.listBuffer.size());
    std::size_t listed = 0;
    while (position < end && *position != '\0') {
        const char* nameEnd = std::find(position, end, '\0');
        std::size_t nameLength = static_cast<std::size_t>(nameEnd - position);
        if (nameLength < kReaderNameSize) {
            if (listed == names.size()) {
                return kResultFailure;
            }
            std::memcpy(names[listed].data(), position, nameLength);
            ++listed;
        }
        if (nameEnd == end) {
            break;
        }
        position = nameEnd + 1;
    }
    count = static_cast<std::int32_t>(listed);
    return kResultSuccess;
}

std::int32_t ListReaderTable(std::int32_t& count, ListedReaderNames& names) {
    return ListReaderNames(count, names) == kResultSuccess ? kResultSuccess : kResultFailure;
}

}  // namespace kestrova
