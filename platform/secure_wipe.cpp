#include "platform/secure_wipe.h"

namespace kestrova::platform {

void WipeBytes(void* bytes, std::size_t count) {
    if (bytes == nullptr) {
        return;
    }
    volatile unsigned char* next = static_cast<volatile unsigned char*>(bytes);
    for (std::size_t i = 0; i < count; ++i) {
        next[i] = 0;
    }
}

}  // namespace kestrova::platform
