// Random keys, blocks and messages (fixed seed) run through the engine and
// through OpenSSL's DES; both must agree bit for bit.

#include <gtest/gtest.h>
#include <openssl/des.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <random>
#include <string>

#include "crypto/cbc_mac.h"
#include "crypto/des_engine.h"
#include "crypto/des_mac_operations.h"
#include "tests/crypto/test_bytes.h"

namespace kestrova {
namespace {

using test::Bytes;
using test::RandomBytes;
using test::ToHex;

constexpr int kTrials = 300;

// The one to three OpenSSL key schedules a key type stands for.
class OpenSslKeys {
  public:
    OpenSslKeys(const Bytes& key, std::int32_t keyType) {
        Set(key, 0, first_);
        Set(key, keyType == kKeyTypeSingle ? 0 : 8, second_);
        Set(key, keyType == kKeyTypeThreeKey ? 16 : 0, third_);
        triple_ = keyType != kKeyTypeSingle;
    }

    Bytes Ecb(const Bytes& input, int direction) {
        Bytes output(input.size());
        for (std::size_t offset = 0; offset < input.size(); offset += 8) {
            auto* in = Block(input.data() + offset);
            auto* out = Block(output.data() + offset);
            if (triple_) {
                DES_ecb3_encrypt(in, out, &first_, &second_, &third_, direction);
            } else {
                DES_ecb_encrypt(in, out, &first_, direction);
            }
        }
        return output;
    }

    Bytes Cbc(const Bytes& input, const Bytes& iv, int direction) {
        Bytes output(input.size());
        DES_cblock chain;
        std::copy(iv.begin(), iv.end(), chain);
        const long length = static_cast<long>(input.size());
        if (triple_) {
            DES_ede3_cbc_encrypt(input.data(), output.data(), length, &first_, &second_, &third_,
                                 &chain, direction);
        } else {
            DES_ncbc_encrypt(input.data(), output.data(), length, &first_, &chain, direction);
        }
        return output;
    }

  private:
    static DES_cblock* Block(std::uint8_t* bytes) { return reinterpret_cast<DES_cblock*>(bytes); }
    // OpenSSL's const_DES_cblock is not const; it only reads through it.
    static const_DES_cblock* Block(const std::uint8_t* bytes) {
        return reinterpret_cast<const_DES_cblock*>(const_cast<std::uint8_t*>(bytes));
    }
    static void Set(const Bytes& key, std::size_t offset, DES_key_schedule& schedule) {
        DES_set_key_unchecked(Block(key.data() + offset), &schedule);
    }

    bool triple_ = false;
    DES_key_schedule first_{};
    DES_key_schedule second_{};
    DES_key_schedule third_{};
};

std::int32_t KeyLengthOf(std::int32_t keyType) {
    return 8 * (keyType + 1);
}

// Hex text with each letter randomly in upper or lower case.
std::string MixedCaseHex(const Bytes& bytes, std::mt19937_64& random) {
    std::string text = ToHex(bytes);
    std::bernoulli_distribution lower(0.5);
    for (char& c : text) {
        if (lower(random)) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return text;
}

class OpenSslCrossCheck : public testing::Test {
  protected:
    // A fixed seed keeps every run reproducible.
    std::mt19937_64 random_{20240607};  // NOLINT(cert-msc32-c,cert-msc51-cpp)
    std::uniform_int_distribution<std::int32_t> keyType_{kKeyTypeSingle, kKeyTypeThreeKey};
};

TEST_F(OpenSslCrossCheck, EcbBlocksForEveryKeyType) {
    for (int trial = 0; trial < kTrials; ++trial) {
        const std::int32_t keyType = keyType_(random_);
        const Bytes key = RandomBytes(random_, 24);
        const Bytes data = RandomBytes(random_, static_cast<std::size_t>(8 * (1 + trial % 4)));
        const auto length = static_cast<std::int32_t>(data.size());
        OpenSslKeys reference(key, keyType);

        Bytes encrypted(data.size());
        ASSERT_EQ(CipherEncrypt(key.data(), length, data.data(), encrypted.data(), keyType,
                                kModeEcb, nullptr),
                  0);
        EXPECT_EQ(encrypted, reference.Ecb(data, DES_ENCRYPT)) << "trial " << trial;

        Bytes decrypted(data.size());
        ASSERT_EQ(CipherDecrypt(key.data(), length, decrypted.data(), data.data(), keyType,
                                kModeEcb, nullptr),
                  0);
        EXPECT_EQ(decrypted, reference.Ecb(data, DES_DECRYPT)) << "trial " << trial;
    }
}

TEST_F(OpenSslCrossCheck, SingleBlockPrimitives) {
    for (int trial = 0; trial < kTrials; ++trial) {
        const Bytes key = RandomBytes(random_, 8);
        const Bytes block = RandomBytes(random_, 8);
        OpenSslKeys reference(key, kKeyTypeSingle);
        std::array<std::uint8_t, 8> out{};
        DesEncryptBlock(key.data(), block.data(), out.data());
        EXPECT_EQ(Bytes(out.begin(), out.end()), reference.Ecb(block, DES_ENCRYPT));
        DesDecryptBlock(key.data(), block.data(), out.data());
        EXPECT_EQ(Bytes(out.begin(), out.end()), reference.Ecb(block, DES_DECRYPT));
    }
}

TEST_F(OpenSslCrossCheck, CbcMessagesBothWays) {
    std::uniform_int_distribution<std::int32_t> blocks(1, 64);
    for (int trial = 0; trial < kTrials / 3; ++trial) {
        const std::int32_t keyType = keyType_(random_);
        const Bytes key = RandomBytes(random_, 24);
        const Bytes iv = RandomBytes(random_, 8);
        const Bytes data = RandomBytes(random_, 8 * static_cast<std::size_t>(blocks(random_)));
        const auto length = static_cast<std::int32_t>(data.size());
        OpenSslKeys reference(key, keyType);

        Bytes encrypted(data.size());
        ASSERT_EQ(CipherEncrypt(key.data(), length, data.data(), encrypted.data(), keyType,
                                kModeCbc, iv.data()),
                  0);
        EXPECT_EQ(encrypted, reference.Cbc(data, iv, DES_ENCRYPT)) << "trial " << trial;

        Bytes decrypted(data.size());
        ASSERT_EQ(CipherDecrypt(key.data(), length, decrypted.data(), data.data(), keyType,
                                kModeCbc, iv.data()),
                  0);
        EXPECT_EQ(decrypted, reference.Cbc(data, iv, DES_DECRYPT)) << "trial " << trial;
    }
}

// Every entry of the engine over random keys, key types and lengths up to 64
// KiB; decryption also meets a trailing partial block, which it must leave
// as it was.
TEST_F(OpenSslCrossCheck, RandomLengthsThroughEveryEntry) {
    std::uniform_int_distribution<std::int32_t> blocks(1, 1024);
    std::uniform_int_distribution<std::size_t> tail(0, 7);
    for (int trial = 0; trial < kTrials / 3; ++trial) {
        const std::int32_t keyType = keyType_(random_);
        const Bytes key = RandomBytes(random_, 24);
        const Bytes iv = RandomBytes(random_, 8);
        const std::int32_t length = trial == 0 ? 65536 : 8 * blocks(random_);
        const Bytes data = RandomBytes(random_, static_cast<std::size_t>(length));
        OpenSslKeys reference(key, keyType);
        const Bytes chained = reference.Cbc(data, iv, DES_ENCRYPT);
        SCOPED_TRACE(testing::Message()
                     << "trial " << trial << " key type " << keyType << " length " << length);

        for (const std::int32_t mode : {kModeEcb, kModeCbc}) {
            const Bytes encrypted = mode == kModeEcb ? reference.Ecb(data, DES_ENCRYPT) : chained;
            const Bytes decrypted = mode == kModeEcb ? reference.Ecb(data, DES_DECRYPT)
                                                     : reference.Cbc(data, iv, DES_DECRYPT);
            Bytes output(data.size());
            ASSERT_EQ(CipherEncrypt(key.data(), length, data.data(), output.data(), keyType, mode,
                                    iv.data()),
                      0);
            EXPECT_EQ(output, encrypted) << "mode " << mode;

            const Bytes untouched = RandomBytes(random_, tail(random_));
            output.insert(output.end(), untouched.begin(), untouched.end());
            Bytes input = data;
            input.insert(input.end(), untouched.size(), 0);
            ASSERT_EQ(CipherDecrypt(key.data(), static_cast<std::int32_t>(input.size()),
                                    output.data(), input.data(), keyType, mode, iv.data()),
                      0);
            EXPECT_EQ(Bytes(output.begin(), output.begin() + length), decrypted) << "mode " << mode;
            EXPECT_EQ(Bytes(output.begin() + length, output.end()), untouched) << "mode " << mode;
        }

        std::array<std::uint8_t, 8> mac{};
        ASSERT_EQ(CbcMac(key.data(), length, data.data(), keyType, iv.data(), mac.data()), 0);
        EXPECT_EQ(Bytes(mac.begin(), mac.end()), Bytes(chained.end() - 8, chained.end()));
    }
}

TEST_F(OpenSslCrossCheck, DesOperationOnHexText) {
    for (int trial = 0; trial < kTrials; ++trial) {
        const std::int32_t keyType = keyType_(random_);
        const std::int32_t keyLen = KeyLengthOf(keyType);
        const Bytes key = RandomBytes(random_, static_cast<std::size_t>(keyLen));
        const Bytes block = RandomBytes(random_, 8);
        const int opflag = trial % 2;
        OpenSslKeys reference(key, keyType);

        std::string result;
        ASSERT_EQ(DesOperation(opflag, keyLen, MixedCaseHex(key, random_).c_str(),
                               MixedCaseHex(block, random_).c_str(), result),
                  0);
        EXPECT_EQ(result, ToHex(reference.Ecb(block, opflag == 0 ? DES_ENCRYPT : DES_DECRYPT)))
            << "trial " << trial;
    }
}

TEST_F(OpenSslCrossCheck, MacIsTheLastCbcBlock) {
    std::uniform_int_distribution<std::int32_t> blocks(1, 256);
    for (int trial = 0; trial < kTrials; ++trial) {
        const std::int32_t keyType = keyType_(random_);
        const std::int32_t keyLen = KeyLengthOf(keyType);
        const Bytes key = RandomBytes(random_, static_cast<std::size_t>(keyLen));
        const Bytes icv = RandomBytes(random_, 8);
        const std::int32_t inLen = trial == 0 ? 2048 : 8 * blocks(random_);
        const Bytes data = RandomBytes(random_, static_cast<std::size_t>(inLen));
        OpenSslKeys reference(key, keyType);

        std::string mac;
        ASSERT_EQ(MacOperation(keyLen, MixedCaseHex(key, random_).c_str(),
                               MixedCaseHex(icv, random_).c_str(), inLen,
                               MixedCaseHex(data, random_).c_str(), mac),
                  0);
        const Bytes chained = reference.Cbc(data, icv, DES_ENCRYPT);
        EXPECT_EQ(mac, ToHex(chained.data() + chained.size() - 8, 8))
            << "trial " << trial << " inLen " << inLen;
    }
}

}  // namespace
}  // namespace kestrova
