#include "reader/reader_probe.h"

#include <algorithm>
#include <array>

#include "reader/card_service.h"
#include "reader/reader_list.h"
#include "reader/result_codes.h"

namespace kestrova {
namespace {

constexpr std::int32_t kNoSmartcard = static_cast<std::int32_t>(0x8010000CU);
constexpr std::int32_t kNoReadersAvailable = static_cast<std::int32_t>(0x8010002EU);

void ProbeCard(ProbedReader& reader) {
    const PcscFunctions& service = TheCardService().functions;
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    const std::int32_t connected = NarrowResult(
        service.connect(TheCardService().context, reader.name.c_str(), SCARD_SHARE_SHARED,
                        SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card, &protocol));
    if (connected == kNoSmartcard || connected == kRemovedCard) {
        reader.card = CardPresence::kAbsent;
        return;
    }
    if (connected == kSharingViolation) {
        reader.card = CardPresence::kInUse;
        return;
    }
    if (connected == kUnresponsiveCard) {
        reader.card = CardPresence::kUnresponsive;
        return;
    }
    if (connected != kResultSuccess) {
        reader.result = connected;
        return;
    }
    AtrBuffer atr{};
    DWORD atrLength = static_cast<DWORD>(atr.size());
    DWORD state = 0;
    std::array<char, kReaderNameSize> name{};
    DWORD nameLength = static_cast<DWORD>(name.size());
    const std::int32_t status = NarrowResult(
        service.status(card, name.data(), &nameLength, &state, &protocol, atr.data(), &atrLength));
    if (status == kResultSuccess) {
        reader.card = CardPresence::kPresent;
        reader.atr.assign(atr.begin(), atr.begin() + std::min<DWORD>(atrLength, atr.size()));
    } else {
        reader.result = status;
    }
    service.disconnect(card, SCARD_LEAVE_CARD);
}

}  // namespace

std::int32_t ProbeReaders(std::vector<ProbedReader>& readers) {
    readers.clear();
    std::int32_t count = 0;
    ListedReaderNames names{};
    const std::int32_t listed = ListReaderNames(count, names);
    if (listed == kNoReadersAvailable) {
        return kResultSuccess;
    }
    if (listed != kResultSuccess) {
        return listed;
    }
    for (std::int32_t index = 0; index < count; ++index) {
        ProbedReader reader;
        reader.name = names[static_cast<std::size_t>(index)].data();
        ProbeCard(reader);
        readers.push_back(std::move(reader));
    }
    return kResultSuccess;
}

}  // namespace kestrova
