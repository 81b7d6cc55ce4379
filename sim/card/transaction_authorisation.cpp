#include "sim/card/transaction_authorisation.h"

#include <algorithm>
#include <cstddef>

#include "crypto/des_engine.h"
#include "sim/card/card_content.h"

namespace kestrova::sim {
namespace {

constexpr std::size_t kBlock = 8;

std::optional<std::int32_t> KeyTypeOf(std::size_t keyLength) {
    if (keyLength == 16) {
        return kKeyTypeTwoKey;
    }
    if (keyLength == 24) {
        return kKeyTypeThreeKey;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Snum> FormatSnum(std::uint32_t counter) {
    if (counter > kMaxSnum) {
        return std::nullopt;
    }
    Snum digits;
    for (std::size_t i = digits.size(); i-- > 0;) {
        digits[i] = static_cast<std::uint8_t>('0' + counter % 10);
        counter /= 10;
    }
    return digits;
}

std::optional<Tac> ComputeTac(const Bytes& key, const Bytes& record) {
    const auto keyType = KeyTypeOf(key.size());
    if (!keyType || record.empty()) {
        return std::nullopt;
    }
    Bytes padded = record;
    padded.resize((record.size() + kBlock - 1) / kBlock * kBlock, 0x00);
    Bytes chained(padded.size());
    const std::array<std::uint8_t, kBlock> zeroChain{};
    if (CipherEncrypt(key.data(), static_cast<std::int32_t>(padded.size()), padded.data(),
                      chained.data(), *keyType, kModeCbc, zeroChain.data()) != 0) {
        return std::nullopt;
    }
    Tac tac;
    std::copy(chained.end() - kBlock, chained.end(), tac.begin());
    return tac;
}

}  // namespace kestrova::sim
