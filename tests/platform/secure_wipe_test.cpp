#include "platform/secure_wipe.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace kestrova::platform {
namespace {

bool AllZero(const std::array<std::uint8_t, 8>& bytes) {
    for (std::uint8_t byte : bytes) {
        if (byte != 0) {
            return false;
        }
    }
    return true;
}

std::int32_t SendAndLeaveEarly(std::array<std::uint8_t, 8>& command, bool early) {
    const WipeOnExit wipe(command);
    if (early) {
        return 1;
    }
    return command[0];
}

TEST(SecureWipe, WipesWholeBuffersAndToleratesNothing) {
    std::array<std::uint8_t, 8> block{0x06, 0x12, 0x34, 0x56, 0xFF, 0xFF, 0xFF, 0xFF};
    WipeBuffer(block);
    EXPECT_TRUE(AllZero(block));

    std::u16string text = u"123456";
    WipeBuffer(text);
    EXPECT_EQ(text, std::u16string(6, u'\0'));

    WipeBytes(nullptr, 16);
}

TEST(SecureWipe, WipeOnExitWipesOnEveryWayOut) {
    std::array<std::uint8_t, 8> command{0x00, 0x20, 0x00, 0x10, 0x08, 0x26, 0x54, 0x32};
    EXPECT_EQ(SendAndLeaveEarly(command, true), 1);
    EXPECT_TRUE(AllZero(command));

    command = {0x07, 0x20, 0x00, 0x10, 0x08, 0x26, 0x54, 0x32};
    EXPECT_EQ(SendAndLeaveEarly(command, false), 7);
    EXPECT_TRUE(AllZero(command));
}

}  // namespace
}  // namespace kestrova::platform
