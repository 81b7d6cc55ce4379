#include "bench/openssl_reference.h"

#include <openssl/des.h>

#include <array>
#include <cstring>

#include "crypto/des_engine.h"

namespace kestrova::bench {

namespace {

constexpr std::int32_t kMaxTextData = 2048;

// OpenSSL's const_DES_cblock is not const; it only reads through it.
const_DES_cblock* Block(const std::uint8_t* bytes) {
    return reinterpret_cast<const_DES_cblock*>(const_cast<std::uint8_t*>(bytes));
}

// The one to three key schedules a key type stands for.
struct Schedules {
    Schedules(const std::uint8_t* key, std::int32_t keyType) : triple(keyType != kKeyTypeSingle) {
        DES_set_key_unchecked(Block(key), &first);
        if (triple) {
            DES_set_key_unchecked(Block(key + 8), &second);
            if (keyType == kKeyTypeThreeKey) {
                DES_set_key_unchecked(Block(key + 16), &third);
            }
        }
        thirdInUse = keyType == kKeyTypeThreeKey ? &third : &first;
    }

    bool triple;
    DES_key_schedule first;
    DES_key_schedule second;
    DES_key_schedule third;
    DES_key_schedule* thirdInUse;
};

// A plain table-driven hex conversion, as a caller of OpenSSL would write.
constexpr std::array<std::int8_t, 256> MakeDigitValues() {
    std::array<std::int8_t, 256> values{};
    values.fill(-1);
    for (unsigned i = 0; i < 10; ++i) {
        values['0' + i] = static_cast<std::int8_t>(i);
    }
    for (unsigned i = 0; i < 6; ++i) {
        values['A' + i] = static_cast<std::int8_t>(10 + i);
        values['a' + i] = static_cast<std::int8_t>(10 + i);
    }
    return values;
}
constexpr std::array<std::int8_t, 256> kDigitValues = MakeDigitValues();

bool FromHex(const char* text, std::int32_t byteCount, std::uint8_t* bytes) {
    for (std::int32_t i = 0; i < byteCount; ++i) {
        const int high = kDigitValues[static_cast<unsigned char>(text[2 * i])];
        const int low = kDigitValues[static_cast<unsigned char>(text[2 * i + 1])];
        if (high < 0 || low < 0) {
            return false;
        }
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return true;
}

void AssignHex(const std::uint8_t* block, std::string& text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char digits[16];
    for (int i = 0; i < 8; ++i) {
        digits[2 * i] = kDigits[block[i] >> 4];
        digits[2 * i + 1] = kDigits[block[i] & 0x0F];
    }
    text.assign(digits, sizeof digits);
}

}  // namespace

void OpenSslCbc(const std::uint8_t* key, std::int32_t keyType, std::int32_t length,
                const std::uint8_t* input, std::uint8_t* output, const std::uint8_t* iv) {
    Schedules keys(key, keyType);
    DES_cblock chain;
    std::memcpy(chain, iv, sizeof chain);
    if (keys.triple) {
        DES_ede3_cbc_encrypt(input, output, length, &keys.first, &keys.second, keys.thirdInUse,
                             &chain, DES_ENCRYPT);
    } else {
        DES_ncbc_encrypt(input, output, length, &keys.first, &chain, DES_ENCRYPT);
    }
}

void OpenSslCbcMac(const std::uint8_t* key, std::int32_t keyType, std::int32_t length,
                   const std::uint8_t* input, const std::uint8_t* iv, std::uint8_t* mac) {
    Schedules keys(key, keyType);
    if (!keys.triple) {
        DES_cbc_cksum(input, reinterpret_cast<DES_cblock*>(mac), length, &keys.first, Block(iv));
        return;
    }
    // What DES_ede3_cbc_encrypt does per block, without storing the blocks.
    DES_LONG chain[2];
    std::memcpy(chain, iv, sizeof chain);
    for (std::int32_t offset = 0; offset < length; offset += 8) {
        DES_LONG block[2];
        std::memcpy(block, input + offset, sizeof block);
        chain[0] ^= block[0];
        chain[1] ^= block[1];
        DES_encrypt3(chain, &keys.first, &keys.second, keys.thirdInUse);
    }
    std::memcpy(mac, chain, sizeof chain);
}

bool OpenSslEncryptText(std::int32_t keyLen, const char* keyText, const char* blockText,
                        std::string& result) {
    std::array<std::uint8_t, 24> key{};
    std::array<std::uint8_t, 8> block{};
    std::array<std::uint8_t, 8> output{};
    if (!FromHex(keyText, keyLen, key.data()) || !FromHex(blockText, 8, block.data())) {
        return false;
    }
    Schedules keys(key.data(), keyLen / 8 - 1);
    if (keys.triple) {
        DES_ecb3_encrypt(Block(block.data()), reinterpret_cast<DES_cblock*>(output.data()),
                         &keys.first, &keys.second, keys.thirdInUse, DES_ENCRYPT);
    } else {
        DES_ecb_encrypt(Block(block.data()), reinterpret_cast<DES_cblock*>(output.data()),
                        &keys.first, DES_ENCRYPT);
    }
    AssignHex(output.data(), result);
    return true;
}

bool OpenSslMacText(std::int32_t keyLen, const char* keyText, const char* icvText,
                    std::int32_t inLen, const char* dataText, std::string& result) {
    std::array<std::uint8_t, 24> key{};
    std::array<std::uint8_t, kMaxTextData> data;
    std::array<std::uint8_t, 8> iv{};
    std::array<std::uint8_t, 8> mac{};
    if (inLen > kMaxTextData || !FromHex(keyText, keyLen, key.data()) ||
        !FromHex(dataText, inLen, data.data()) || !FromHex(icvText, 8, iv.data())) {
        return false;
    }
    OpenSslCbcMac(key.data(), keyLen / 8 - 1, inLen, data.data(), iv.data(), mac.data());
    AssignHex(mac.data(), result);
    return true;
}

}  // namespace kestrova::bench
