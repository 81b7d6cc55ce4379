// Relations the engine must keep between its key types and modes, and the
// way it refuses bad arguments.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>

#include "crypto/cbc_mac.h"
#include "crypto/des_engine.h"
#include "tests/crypto/test_bytes.h"

namespace kestrova {
namespace {

using test::Bytes;
using test::RandomBytes;

constexpr std::int32_t kKeyTypes[] = {kKeyTypeSingle, kKeyTypeTwoKey, kKeyTypeThreeKey};
constexpr std::uint8_t kUntouched = 0xA5;

Bytes Encrypt(const Bytes& key, std::int32_t keyType, std::int32_t mode, const Bytes& input,
              const Bytes& iv = Bytes(8)) {
    Bytes out(input.size());
    EXPECT_EQ(CipherEncrypt(key.data(), static_cast<std::int32_t>(input.size()), input.data(),
                            out.data(), keyType, mode, iv.data()),
              0);
    return out;
}

Bytes Decrypt(const Bytes& key, std::int32_t keyType, std::int32_t mode, const Bytes& input,
              const Bytes& iv = Bytes(8)) {
    Bytes out(input.size());
    EXPECT_EQ(CipherDecrypt(key.data(), static_cast<std::int32_t>(input.size()), out.data(),
                            input.data(), keyType, mode, iv.data()),
              0);
    return out;
}

Bytes Repeat(const Bytes& part, int times) {
    Bytes whole;
    for (int i = 0; i < times; ++i) {
        whole.insert(whole.end(), part.begin(), part.end());
    }
    return whole;
}

class CipherEngine : public testing::Test {
  protected:
    // A fixed seed keeps every run reproducible.
    std::mt19937_64 random_{0x4B455354};  // NOLINT(cert-msc32-c,cert-msc51-cpp)
};

TEST_F(CipherEngine, TripleDesWithOneKeyThriceIsSingleDes) {
    for (int trial = 0; trial < 20; ++trial) {
        const Bytes k1 = RandomBytes(random_, 8);
        const Bytes data = RandomBytes(random_, 32);
        const Bytes single = Encrypt(k1, kKeyTypeSingle, kModeEcb, data);
        EXPECT_EQ(Encrypt(Repeat(k1, 3), kKeyTypeThreeKey, kModeEcb, data), single);
        EXPECT_EQ(Encrypt(Repeat(k1, 2), kKeyTypeTwoKey, kModeEcb, data), single);
        EXPECT_EQ(Decrypt(Repeat(k1, 3), kKeyTypeThreeKey, kModeEcb, data),
                  Decrypt(k1, kKeyTypeSingle, kModeEcb, data));
    }
}

TEST_F(CipherEngine, TwoKeyIsThreeKeyWithTheFirstKeyRepeated) {
    for (int trial = 0; trial < 20; ++trial) {
        const Bytes k1 = RandomBytes(random_, 8);
        const Bytes k2 = RandomBytes(random_, 8);
        Bytes twoKey = k1;
        twoKey.insert(twoKey.end(), k2.begin(), k2.end());
        Bytes threeKey = twoKey;
        threeKey.insert(threeKey.end(), k1.begin(), k1.end());
        // Whatever follows the two keys in the buffer is not used.
        Bytes twoKeyBuffer = twoKey;
        const Bytes noise = RandomBytes(random_, 8);
        twoKeyBuffer.insert(twoKeyBuffer.end(), noise.begin(), noise.end());

        const Bytes data = RandomBytes(random_, 24);
        const Bytes expected = Encrypt(threeKey, kKeyTypeThreeKey, kModeEcb, data);
        EXPECT_EQ(Encrypt(twoKeyBuffer, kKeyTypeTwoKey, kModeEcb, data), expected);
        EXPECT_EQ(Decrypt(twoKeyBuffer, kKeyTypeTwoKey, kModeEcb, expected), data);
        EXPECT_NE(Encrypt(twoKeyBuffer, kKeyTypeThreeKey, kModeEcb, data), expected)
            << "key type 2 must use bytes 16-23";
    }
}

TEST_F(CipherEngine, ParityBitsNeverChangeTheResult) {
    const Bytes key = RandomBytes(random_, 24);
    const Bytes data = RandomBytes(random_, 16);
    for (const std::int32_t keyType : kKeyTypes) {
        const Bytes encrypted = Encrypt(key, keyType, kModeEcb, data);
        const Bytes decrypted = Decrypt(key, keyType, kModeEcb, data);
        for (std::size_t i = 0; i < key.size(); ++i) {
            Bytes flipped = key;
            flipped[i] ^= 0x01;
            EXPECT_EQ(Encrypt(flipped, keyType, kModeEcb, data), encrypted) << "byte " << i;
            EXPECT_EQ(Decrypt(flipped, keyType, kModeEcb, data), decrypted) << "byte " << i;
        }
    }
}

TEST_F(CipherEngine, DecryptionInvertsEncryptionForEveryKeyTypeAndMode) {
    for (const std::int32_t keyType : kKeyTypes) {
        for (const std::int32_t mode : {kModeEcb, kModeCbc}) {
            const Bytes key = RandomBytes(random_, 24);
            const Bytes iv = RandomBytes(random_, 8);
            const Bytes data = RandomBytes(random_, 64);
            const Bytes encrypted = Encrypt(key, keyType, mode, data, iv);
            EXPECT_NE(encrypted, data);
            EXPECT_EQ(Decrypt(key, keyType, mode, encrypted, iv), data)
                << "key type " << keyType << " mode " << mode;
        }
    }
}

TEST_F(CipherEngine, CbcOfOneBlockWithZeroInitialValueIsEcb) {
    for (const std::int32_t keyType : kKeyTypes) {
        const Bytes key = RandomBytes(random_, 24);
        const Bytes data = RandomBytes(random_, 8);
        EXPECT_EQ(Encrypt(key, keyType, kModeCbc, data, Bytes(8)),
                  Encrypt(key, keyType, kModeEcb, data));
    }
}

TEST_F(CipherEngine, WorksInPlace) {
    const Bytes key = RandomBytes(random_, 24);
    const Bytes iv = RandomBytes(random_, 8);
    const Bytes data = RandomBytes(random_, 48);
    for (const std::int32_t mode : {kModeEcb, kModeCbc}) {
        Bytes buffer = data;
        ASSERT_EQ(CipherEncrypt(key.data(), 48, buffer.data(), buffer.data(), kKeyTypeThreeKey,
                                mode, iv.data()),
                  0);
        EXPECT_EQ(buffer, Encrypt(key, kKeyTypeThreeKey, mode, data, iv));
        ASSERT_EQ(CipherDecrypt(key.data(), 48, buffer.data(), buffer.data(), kKeyTypeThreeKey,
                                mode, iv.data()),
                  0);
        EXPECT_EQ(buffer, data);
    }
}

TEST_F(CipherEngine, RefusesMissingArgumentsWith12288) {
    const Bytes key(24, 0x11);
    const Bytes in(16, 0x22);
    const Bytes iv(8, 0x33);
    Bytes out(16, kUntouched);
    const Bytes untouched = out;
    struct Case {
        const std::uint8_t* key;
        std::int32_t length;
        const std::uint8_t* input;
        std::uint8_t* output;
        std::int32_t keyType;
        std::int32_t mode;
        const std::uint8_t* iv;
    };
    const Case cases[] = {
        {nullptr, 16, in.data(), out.data(), kKeyTypeSingle, kModeEcb, nullptr},
        {key.data(), 0, in.data(), out.data(), kKeyTypeSingle, kModeEcb, nullptr},
        {key.data(), -8, in.data(), out.data(), kKeyTypeSingle, kModeEcb, nullptr},
        {key.data(), 16, nullptr, out.data(), kKeyTypeSingle, kModeEcb, nullptr},
        {key.data(), 16, in.data(), nullptr, kKeyTypeSingle, kModeEcb, nullptr},
        {key.data(), 16, in.data(), out.data(), kKeyTypeSingle, kModeCbc, nullptr},
        {key.data(), 16, in.data(), out.data(), 3, kModeEcb, nullptr},
        {key.data(), 16, in.data(), out.data(), -1, kModeCbc, iv.data()},
        {key.data(), 16, in.data(), out.data(), kKeyTypeSingle, 2, iv.data()},
        // A missing argument is reported before a bad length.
        {key.data(), 12, in.data(), out.data(), kKeyTypeSingle, kModeCbc, nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CipherEncrypt(c.key, c.length, c.input, c.output, c.keyType, c.mode, c.iv),
                  kCipherBadArgument);
        EXPECT_EQ(CipherDecrypt(c.key, c.length, c.output, c.input, c.keyType, c.mode, c.iv),
                  kCipherBadArgument);
        // The MAC always chains, so it takes no mode.
        if (c.mode == kModeEcb || c.mode == kModeCbc) {
            EXPECT_EQ(CbcMac(c.key, c.length, c.input, c.keyType, c.iv, c.output),
                      kCipherBadArgument);
        }
        EXPECT_EQ(out, untouched);
    }
    EXPECT_EQ(kCipherBadArgument, 12288);
}

TEST_F(CipherEngine, EncryptRefusesPartialBlocksWith12289AndWritesNothing) {
    const Bytes key(8, 0x11);
    const Bytes in(16, 0x22);
    const Bytes iv(8, 0x33);
    Bytes out(16, kUntouched);
    EXPECT_EQ(
        CipherEncrypt(key.data(), 12, in.data(), out.data(), kKeyTypeSingle, kModeEcb, nullptr),
        12289);
    EXPECT_EQ(
        CipherEncrypt(key.data(), 12, in.data(), out.data(), kKeyTypeSingle, kModeCbc, iv.data()),
        kCipherBadLength);
    EXPECT_EQ(CbcMac(key.data(), 12, in.data(), kKeyTypeSingle, iv.data(), out.data()),
              kCipherBadLength);
    EXPECT_EQ(out, Bytes(16, kUntouched));
}

TEST_F(CipherEngine, DecryptLeavesATrailingPartialBlockAlone) {
    const Bytes key = RandomBytes(random_, 8);
    const Bytes block = RandomBytes(random_, 8);
    Bytes in = block;
    in.resize(12, 0x77);
    Bytes out(12, kUntouched);
    ASSERT_EQ(
        CipherDecrypt(key.data(), 12, out.data(), in.data(), kKeyTypeSingle, kModeEcb, nullptr), 0);
    const Bytes whole = Decrypt(key, kKeyTypeSingle, kModeEcb, block);
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), out.begin()));
    EXPECT_EQ(Bytes(out.begin() + 8, out.end()), Bytes(4, kUntouched));
}

}  // namespace
}  // namespace kestrova
