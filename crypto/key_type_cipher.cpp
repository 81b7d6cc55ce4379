#include "crypto/key_type_cipher.h"

#include "crypto/des_engine.h"

namespace kestrova::des {

KeyTypeCipher::~KeyTypeCipher() {
    first_.Wipe();
    if (triple_) {
        second_.Wipe();
        third_.Wipe();
    }
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

}  // namespace kestrova::des
