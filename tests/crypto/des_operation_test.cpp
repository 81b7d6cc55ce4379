#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "crypto/des_mac_operations.h"

namespace kestrova {
namespace {

const std::string kPrevious = "PREVIOUS RESULT";

const char* const kKey8 = "133457799BBCDFF1";
const char* const kKey16 = "0123456789ABCDEFFEDCBA9876543210";
const char* const kKey24 = "0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123";
const char* const kBlock = "0123456789ABCDEF";

struct Call {
    std::int32_t opflag;
    std::int32_t keyLen;
    const char* keyVal;
    const char* inData;
};

std::int32_t Invoke(const Call& call, std::string& out) {
    return DesOperation(call.opflag, call.keyLen, call.keyVal, call.inData, out);
}

TEST(DesOperation, EncryptsTheBlockWithTheStandardsCipher) {
    std::string out;
    ASSERT_EQ(DesOperation(0, 8, kKey8, kBlock, out), 0);
    EXPECT_EQ(out, "85E813540F0AB405");
    ASSERT_EQ(DesOperation(1, 8, kKey8, "85e813540f0ab405", out), 0);
    EXPECT_EQ(out, kBlock);
}

TEST(DesOperation, DecryptionGivesBackTheBlockInUppercaseForEveryKeyLength) {
    const char* const lowerBlock = "a1b2c3d4e5f60718";
    for (const auto& [keyLen, key] : {std::pair{8, kKey8}, {16, kKey16}, {24, kKey24}}) {
        std::string encrypted;
        ASSERT_EQ(DesOperation(0, keyLen, key, lowerBlock, encrypted), 0);
        EXPECT_NE(encrypted, "A1B2C3D4E5F60718");
        std::string decrypted;
        ASSERT_EQ(DesOperation(1, keyLen, key, encrypted.c_str(), decrypted), 0);
        EXPECT_EQ(decrypted, "A1B2C3D4E5F60718") << keyLen;
    }
}

TEST(DesOperation, TwoKeyWithEqualHalvesIsSingleDes) {
    std::string single;
    std::string doubled;
    ASSERT_EQ(DesOperation(0, 8, kKey8, kBlock, single), 0);
    ASSERT_EQ(DesOperation(0, 16, (std::string(kKey8) + kKey8).c_str(), kBlock, doubled), 0);
    EXPECT_EQ(doubled, single);
}

TEST(DesOperation, KeyCaseAndLettersBeyondFFollowTheHexRules) {
    std::string upper;
    std::string lower;
    ASSERT_EQ(DesOperation(0, 16, kKey16, kBlock, upper), 0);
    ASSERT_EQ(DesOperation(0, 16, "0123456789abcdeffedcba9876543210", kBlock, lower), 0);
    EXPECT_EQ(lower, upper);

    // G decodes like 0 and Z like 3.
    std::string plain;
    std::string letters;
    ASSERT_EQ(DesOperation(0, 8, "0303030303030303", kBlock, plain), 0);
    ASSERT_EQ(DesOperation(0, 8, "GZgzGZgzGZgzGZgz", kBlock, letters), 0);
    EXPECT_EQ(letters, plain);
}

TEST(DesOperation, OneCharacterTooManyInTheKeyIsIgnored) {
    std::string exact;
    std::string longer;
    ASSERT_EQ(DesOperation(0, 8, kKey8, kBlock, exact), 0);
    // The 17th character is never decoded, so even a non-hex one passes.
    ASSERT_EQ(DesOperation(0, 8, "133457799BBCDFF1-", kBlock, longer), 0);
    EXPECT_EQ(longer, exact);
}

// The checks in order: each case is wrong in the first check it fails.
struct ArgumentCase {
    Call call;
    std::int32_t expected;
};

class DesArgumentOrder : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(DesArgumentOrder, FailsAtTheFirstWrongArgumentAndKeepsThePreviousText) {
    const Call& call = GetParam().call;
    std::string out = kPrevious;
    EXPECT_EQ(Invoke(call, out), GetParam().expected)
        << call.opflag << " " << call.keyLen << " "
        << (call.keyVal != nullptr ? call.keyVal : "(absent)") << " "
        << (call.inData != nullptr ? call.inData : "(absent)");
    EXPECT_EQ(out, kPrevious) << "a failed call keeps the previous text";
}

INSTANTIATE_TEST_SUITE_P(
    DesOperation, DesArgumentOrder,
    ::testing::Values(
        // Opflag first, even when everything else is wrong too.
        ArgumentCase{{2, 12, nullptr, nullptr}, 4097},
        ArgumentCase{{-1, 8, kKey8, kBlock}, kNumberOutOfRange},
        // Then the key length, negative values included.
        ArgumentCase{{0, 12, nullptr, nullptr}, 4097},
        ArgumentCase{{1, 0, kKey8, kBlock}, kNumberOutOfRange},
        ArgumentCase{{0, -8, kKey8, kBlock}, kNumberOutOfRange},
        ArgumentCase{{0, 32, kKey8, kBlock}, kNumberOutOfRange},
        // Then absent texts, before their lengths.
        ArgumentCase{{0, 8, nullptr, "0"}, 4099},
        ArgumentCase{{0, 16, kKey8, nullptr}, kTextAbsent},
        // Then the lengths.
        ArgumentCase{{0, 16, kKey8, kBlock}, 4098},
        ArgumentCase{{0, 8, "133457799BBCDFF", kBlock}, kTextLengthWrong},
        ArgumentCase{{0, 8, "133457799BBCDFF1AB", kBlock}, kTextLengthWrong},
        ArgumentCase{{0, 8, kKey8, "0123456789ABCDE"}, kTextLengthWrong},
        ArgumentCase{{0, 8, kKey8, "0123456789ABCDEF0"}, kTextLengthWrong},
        ArgumentCase{{0, 8, kKey8, ""}, kTextLengthWrong},
        ArgumentCase{{0, 8, "1-34567", kKey8}, kTextLengthWrong},
        // Only then the characters.
        ArgumentCase{{0, 8, "133457799BBCDF-1", kBlock}, -1},
        ArgumentCase{{1, 24, "0123456789ABCDEF23456789ABCDEF01456789ABCDEF012 ", kBlock}, -1},
        ArgumentCase{{0, 8, kKey8, "0123456789ABCDE\xA4"}, -1}));

}  // namespace
}  // namespace kestrova
