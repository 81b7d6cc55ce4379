#include "tests/card/wipe_recorder.h"

#include "platform/secure_wipe.h"

namespace kestrova {
namespace {

std::vector<std::vector<std::uint8_t>>& Recorded() {
    static std::vector<std::vector<std::uint8_t>> buffers;
    return buffers;
}

}  // namespace

namespace platform {

void WipeBytes(void* bytes, std::size_t count) {
    if (bytes == nullptr) {
        return;
    }
    auto* next = static_cast<volatile std::uint8_t*>(bytes);
    std::vector<std::uint8_t> before(count);
    for (std::size_t i = 0; i < count; ++i) {
        before[i] = next[i];
        next[i] = 0;
    }
    Recorded().push_back(std::move(before));
}

}  // namespace platform

namespace testing {

const std::vector<std::vector<std::uint8_t>>& WipedBuffers() {
    return Recorded();
}

void ForgetWipes() {
    Recorded().clear();
}

}  // namespace testing
}  // namespace kestrova
