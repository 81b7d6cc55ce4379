#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "crypto/des_mac_operations.h"
#include "tests/crypto/test_bytes.h"

namespace kestrova {
namespace {

using test::Bytes;
using test::RandomBytes;
using test::ToHex;

const std::string kPrevious = "PREVIOUS RESULT";
const char* const kZeroIcv = "0000000000000000";
const char* const kKey16 = "0123456789ABCDEFFEDCBA9876543210";

struct Call {
    std::int32_t keyLen;
    const char* keyVal;
    const char* icv;
    std::int32_t inLen;
    const char* inData;
};

std::int32_t Invoke(const Call& call, std::string& out) {
    return MacOperation(call.keyLen, call.keyVal, call.icv, call.inLen, call.inData, out);
}

class MacOperationTest : public testing::Test {
  protected:
    std::string RandomKey(std::int32_t keyLen) {
        return ToHex(RandomBytes(random_, static_cast<std::size_t>(keyLen)));
    }
    // A fixed seed keeps every run reproducible.
    std::mt19937_64 random_{0x4D4143};  // NOLINT(cert-msc32-c,cert-msc51-cpp)
};

TEST_F(MacOperationTest, OneBlockWithZeroIcvIsDesEncryptionOfThatBlock) {
    for (const std::int32_t keyLen : {8, 16, 24}) {
        const std::string key = RandomKey(keyLen);
        const std::string block = ToHex(RandomBytes(random_, 8));
        std::string mac;
        std::string des;
        ASSERT_EQ(MacOperation(keyLen, key.c_str(), kZeroIcv, 8, block.c_str(), mac), 0);
        ASSERT_EQ(DesOperation(0, keyLen, key.c_str(), block.c_str(), des), 0);
        EXPECT_EQ(mac, des) << keyLen;
    }
}

TEST_F(MacOperationTest, IcvActsAsAnXorIntoTheFirstBlock) {
    for (const std::int32_t keyLen : {8, 16, 24}) {
        const std::string key = RandomKey(keyLen);
        const Bytes icv = RandomBytes(random_, 8);
        const Bytes data = RandomBytes(random_, 40);
        Bytes folded = data;
        for (std::size_t i = 0; i < 8; ++i) {
            folded[i] ^= icv[i];
        }
        std::string withIcv;
        std::string withFold;
        ASSERT_EQ(
            MacOperation(keyLen, key.c_str(), ToHex(icv).c_str(), 40, ToHex(data).c_str(), withIcv),
            0);
        ASSERT_EQ(MacOperation(keyLen, key.c_str(), kZeroIcv, 40, ToHex(folded).c_str(), withFold),
                  0);
        EXPECT_EQ(withIcv, withFold);
    }
}

TEST_F(MacOperationTest, TakesTheFullRangeOfLengths) {
    const std::string key = RandomKey(24);
    for (const std::int32_t inLen : {8, 16, 2040, 2048}) {
        const std::string data = ToHex(RandomBytes(random_, static_cast<std::size_t>(inLen)));
        std::string mac;
        EXPECT_EQ(MacOperation(24, key.c_str(), kZeroIcv, inLen, data.c_str(), mac), 0) << inLen;
        EXPECT_EQ(mac.size(), 16U);
        // One trailing character more than twice inLen is ignored.
        std::string longer;
        EXPECT_EQ(MacOperation(24, key.c_str(), kZeroIcv, inLen, (data + "Q").c_str(), longer), 0);
        EXPECT_EQ(longer, mac);
    }
}

TEST_F(MacOperationTest, LowerCaseTextGivesTheSameMac) {
    std::string upper;
    std::string lower;
    const std::string data = "00112233445566778899AABBCCDDEEFF";
    std::string lowerData = "00112233445566778899aabbccddeeff";
    ASSERT_EQ(MacOperation(16, kKey16, "ABCDEF0123456789", 16, data.c_str(), upper), 0);
    ASSERT_EQ(MacOperation(16, "0123456789abcdeffedcba9876543210", "abcdef0123456789", 16,
                           lowerData.c_str(), lower),
              0);
    EXPECT_EQ(lower, upper);
}

TEST_F(MacOperationTest, ChecksArgumentsInOrder) {
    const std::string block = "0011223344556677";
    const std::string twoBlocks = block + block;
    const std::string oneShort = twoBlocks.substr(0, 31);
    const std::string tooLong(std::size_t{2} * 2056, '0');
    const std::string key8 = "133457799BBCDFF1";
    struct Case {
        Call call;
        std::int32_t expected;
    };
    const Case cases[] = {
        // The key length first, even when everything else is wrong.
        {{12, nullptr, nullptr, 0, nullptr}, 4097},
        {{0, kKey16, kZeroIcv, 8, block.c_str()}, kNumberOutOfRange},
        {{-16, kKey16, kZeroIcv, 8, block.c_str()}, kNumberOutOfRange},
        // Absent texts before any length.
        {{16, nullptr, kZeroIcv, 8, block.c_str()}, 4099},
        {{16, kKey16, nullptr, 3, block.c_str()}, kTextAbsent},
        {{16, "0", "0", 0, nullptr}, kTextAbsent},
        // Key and ICV lengths before inLen.
        {{8, kKey16, kZeroIcv, 8, block.c_str()}, 4098},
        {{16, kKey16, "000000000000000", 12, block.c_str()}, kTextLengthWrong},
        {{16, kKey16, "00000000000000000", 8, block.c_str()}, kTextLengthWrong},
        // inLen range before the data length.
        {{16, kKey16, kZeroIcv, 12, block.c_str()}, 4097},
        {{16, kKey16, kZeroIcv, 2056, tooLong.c_str()}, 4097},
        {{16, kKey16, kZeroIcv, 0, ""}, kNumberOutOfRange},
        {{16, kKey16, kZeroIcv, -8, block.c_str()}, kNumberOutOfRange},
        {{16, kKey16, kZeroIcv, 4, block.c_str()}, kNumberOutOfRange},
        // The data length.
        {{16, kKey16, kZeroIcv, 16, block.c_str()}, 4098},
        {{16, kKey16, kZeroIcv, 8, twoBlocks.c_str()}, kTextLengthWrong},
        {{16, kKey16, kZeroIcv, 16, oneShort.c_str()}, kTextLengthWrong},
        // Only then the characters, in the key, the data and the ICV.
        {{8, "133457799BBCDF+1", kZeroIcv, 8, block.c_str()}, -1},
        {{8, key8.c_str(), kZeroIcv, 16, "00112233445566770011223344556 77"}, -1},
        {{8, key8.c_str(), "00000000000000.0", 8, block.c_str()}, -1},
    };
    for (const auto& c : cases) {
        std::string out = kPrevious;
        EXPECT_EQ(Invoke(c.call, out), c.expected)
            << c.call.keyLen << " " << (c.call.keyVal != nullptr ? c.call.keyVal : "(absent)")
            << " " << (c.call.icv != nullptr ? c.call.icv : "(absent)") << " " << c.call.inLen;
        EXPECT_EQ(out, kPrevious) << "a failed call keeps the previous text";
    }
}

}  // namespace
}  // namespace kestrova
