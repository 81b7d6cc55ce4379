// Published answers: NIST SP 800-17 (variable plaintext, variable key,
// permutation and substitution tables), the FIPS 81 ECB and CBC example, the
// SP 800-67 three-key example and NIST's TDES multi-block message tests.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "crypto/des_engine.h"
#include "tests/crypto/test_bytes.h"

namespace kestrova {
namespace {

using test::Bytes;
using test::FromHex;
using test::ToHex;

struct BlockVector {
    const char* key;
    const char* plain;
    const char* cipher;
};

constexpr BlockVector kSingleDesVectors[] = {
    // The textbook example from the standard's worked walk-through.
    {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
    // Variable plaintext, key 01..01.
    {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
    {"0101010101010101", "4000000000000000", "DD7F121CA5015619"},
    {"0101010101010101", "2000000000000000", "2E8653104F3834EA"},
    {"0101010101010101", "1000000000000000", "4BD388FF6CD81D4F"},
    {"0101010101010101", "0080000000000000", "D9031B0271BD5A0A"},
    {"0101010101010101", "0000800000000000", "2B9F982F20037FA9"},
    {"0101010101010101", "0000000100000000", "AEB5F5EDE22D1A36"},
    {"0101010101010101", "0000000080000000", "E943D7568AEC0C5C"},
    {"0101010101010101", "0000000000010000", "8DD45A2DDF90796C"},
    {"0101010101010101", "0000000000000100", "DD7C0BBD61FAFD54"},
    {"0101010101010101", "0000000000000002", "06E7EA22CE92708F"},
    {"0101010101010101", "0000000000000001", "166B40B44ABA4BD6"},
    // Variable key, plaintext zero (the parity bits are skipped).
    {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
    {"4001010101010101", "0000000000000000", "0EEC1487DD8C26D5"},
    {"2001010101010101", "0000000000000000", "7AD16FFB79C45926"},
    {"0201010101010101", "0000000000000000", "4615AA1D33E72F10"},
    {"0180010101010101", "0000000000000000", "2055123350C00858"},
    {"0102010101010101", "0000000000000000", "A8468EE3BC18F06D"},
    {"0101800101010101", "0000000000000000", "A2DC9E92FD3CDE92"},
    {"0101400101010101", "0000000000000000", "CAC09F797D031287"},
    // Permutation operation.
    {"1046913489980131", "0000000000000000", "88D55E54F54C97B4"},
    {"1007103489988020", "0000000000000000", "0C0CC00C83EA48FD"},
    {"10071034C8980120", "0000000000000000", "83BC8EF3A6570183"},
    // Substitution table.
    {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "7A389D10354BD271"},
    {"07A1133E4A0B2686", "0248D43806F67172", "868EBB51CAB4599A"},
};

class SingleDesKnownAnswer : public testing::TestWithParam<BlockVector> {};

TEST_P(SingleDesKnownAnswer, BlockPrimitivesAndModeDriverAgree) {
    const Bytes key = FromHex(GetParam().key);
    const Bytes plain = FromHex(GetParam().plain);
    std::array<std::uint8_t, 8> out{};

    DesEncryptBlock(key.data(), plain.data(), out.data());
    EXPECT_EQ(ToHex(out.data(), 8), GetParam().cipher);

    const Bytes cipher = FromHex(GetParam().cipher);
    DesDecryptBlock(key.data(), cipher.data(), out.data());
    EXPECT_EQ(ToHex(out.data(), 8), GetParam().plain);

    ASSERT_EQ(
        CipherEncrypt(key.data(), 8, plain.data(), out.data(), kKeyTypeSingle, kModeEcb, nullptr),
        0);
    EXPECT_EQ(ToHex(out.data(), 8), GetParam().cipher);
    ASSERT_EQ(
        CipherDecrypt(key.data(), 8, out.data(), cipher.data(), kKeyTypeSingle, kModeEcb, nullptr),
        0);
    EXPECT_EQ(ToHex(out.data(), 8), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(Sp80017AndFips46, SingleDesKnownAnswer,
                         testing::ValuesIn(kSingleDesVectors));

// "Now is the time for all " under 0123456789ABCDEF.
const char* const kFips81Key = "0123456789ABCDEF";
const char* const kFips81Plain = "4E6F772069732074 68652074696D6520 666F7220616C6C20";

TEST(Fips81Example, Ecb) {
    const Bytes key = FromHex(kFips81Key);
    const Bytes plain = FromHex(kFips81Plain);
    Bytes out(plain.size());
    ASSERT_EQ(
        CipherEncrypt(key.data(), 24, plain.data(), out.data(), kKeyTypeSingle, kModeEcb, nullptr),
        0);
    EXPECT_EQ(out, FromHex("3FA40E8A984D4815 6A271787AB8883F9 893D51EC4B563B53"));
}

TEST(Fips81Example, CbcWithInitialValue) {
    const Bytes key = FromHex(kFips81Key);
    const Bytes plain = FromHex(kFips81Plain);
    const Bytes iv = FromHex("1234567890ABCDEF");
    Bytes out(plain.size());
    ASSERT_EQ(CipherEncrypt(key.data(), 24, plain.data(), out.data(), kKeyTypeSingle, kModeCbc,
                            iv.data()),
              0);
    const Bytes expected = FromHex("E5C7CDDE872BF27C 43E934008C389C0F 683788499A7C05F6");
    EXPECT_EQ(out, expected);

    Bytes back(plain.size());
    ASSERT_EQ(CipherDecrypt(key.data(), 24, back.data(), expected.data(), kKeyTypeSingle, kModeCbc,
                            iv.data()),
              0);
    EXPECT_EQ(back, plain);
}

TEST(Sp80067Example, ThreeKeyEcb) {
    const Bytes key = FromHex("0123456789ABCDEF 23456789ABCDEF01 456789ABCDEF0123");
    const Bytes plain = FromHex("5468652071756663 6B2062726F776E20 666F78206A756D70");
    const Bytes cipher = FromHex("A826FD8CE53B855F CCE21C8112256FE6 68D5C05DD9B6B900");
    Bytes out(plain.size());
    ASSERT_EQ(CipherEncrypt(key.data(), 24, plain.data(), out.data(), kKeyTypeThreeKey, kModeEcb,
                            nullptr),
              0);
    EXPECT_EQ(out, cipher);
    ASSERT_EQ(CipherDecrypt(key.data(), 24, out.data(), cipher.data(), kKeyTypeThreeKey, kModeEcb,
                            nullptr),
              0);
    EXPECT_EQ(out, plain);
}

TEST(TdesMultiBlockMessage, ThreeKeyCbc) {
    struct CbcVector {
        const char* key;
        const char* iv;
        const char* plain;
        const char* cipher;
    };
    const CbcVector vectors[] = {
        {"627F460E08104A10 43CD265D5840EAF1 313EDF97DF2A8A8C", "8E29F75EA77E5475",
         "326A494CD33FE756", "B22B8D66DE970692"},
        {"37AE5EBF46DFF2DC 0754B94F31CBB385 5E7FD36DC870BFAE", "3D1DE3CC132E3B65",
         "84401F78FE6C1087 6D8EA23094EA5309", "7B1F7C7E3B1C948E BD04A75FFBA7D2F5"},
    };
    for (const auto& v : vectors) {
        const Bytes key = FromHex(v.key);
        const Bytes iv = FromHex(v.iv);
        const Bytes plain = FromHex(v.plain);
        Bytes out(plain.size());
        ASSERT_EQ(CipherEncrypt(key.data(), static_cast<std::int32_t>(plain.size()), plain.data(),
                                out.data(), kKeyTypeThreeKey, kModeCbc, iv.data()),
                  0);
        EXPECT_EQ(out, FromHex(v.cipher)) << v.key;
    }
}

}  // namespace
}  // namespace kestrova
