#include "crypto/key_type_cipher.h"

#include "crypto/des_block_cipher.h"
#include "crypto/des_engine.h"
#include "platform/secure_wipe.h"

namespace kestrova::des {

KeyTypeCipher::~KeyTypeCipher() {
    platform::WipeBytes(&first_, sizeof first_);
    platform::WipeBytes(&second_, sizeof second_);
    platform::WipeBytes(&third_, sizeof third_);
}

bool KeyTypeCipher::Load(const std::uint8_t* keyBuffer, std::int32_t keyType) {
    switch (keyType) {
        case kKeyTypeSingle:
            triple_ = false;
            ExpandKey(keyBuffer, first_);
            return true;
        case kKeyTypeTwoKey:
            triple_ = true;
            ExpandKey(keyBuffer, first_);
            ExpandKey(keyBuffer + 8, second_);
            third_ = first_;
            return true;
        case kKeyTypeThreeKey:
            triple_ = true;
            ExpandKey(keyBuffer, first_);
            ExpandKey(keyBuffer + 8, second_);
            ExpandKey(keyBuffer + 16, third_);
            return true;
        default:
            return false;
    }
}

std::uint64_t KeyTypeCipher::Encrypt(std::uint64_t block) const {
    if (!triple_) {
        return EncryptBlock(first_, block);
    }
    return EncryptBlock(third_, DecryptBlock(second_, EncryptBlock(first_, block)));
}

std::uint64_t KeyTypeCipher::Decrypt(std::uint64_t block) const {
    if (!triple_) {
        return DecryptBlock(first_, block);
    }
    return DecryptBlock(first_, EncryptBlock(second_, DecryptBlock(third_, block)));
}

}  // namespace kestrova::des
