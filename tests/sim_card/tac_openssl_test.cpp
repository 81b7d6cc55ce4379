// The card's TAC against one computed by OpenSSL's DES, not by the
// project's own engine: the two-key triple-DES CBC-MAC of the record padded
// with zero bytes to whole blocks, from a zero chaining block.

#include <gtest/gtest.h>
#include <openssl/des.h>

#include <string>

#include "sim/card/transaction_authorisation.h"
#include "sim/service/hex_bytes.h"
#include "tests/sim_card/card_test_support.h"

namespace kestrova::sim_card_test {
namespace {

std::string OpenSslTac(const sim::Bytes& key, sim::Bytes record) {
    record.resize((record.size() + 7) / 8 * 8, 0x00);
    DES_cblock first;
    DES_cblock second;
    std::copy(key.begin(), key.begin() + 8, first);
    std::copy(key.begin() + 8, key.begin() + 16, second);
    DES_key_schedule firstSchedule;
    DES_key_schedule secondSchedule;
    DES_set_key_unchecked(&first, &firstSchedule);
    DES_set_key_unchecked(&second, &secondSchedule);
    DES_cblock chain{};
    sim::Bytes chained(record.size());
    DES_ede3_cbc_encrypt(record.data(), chained.data(), static_cast<long>(record.size()),
                         &firstSchedule, &secondSchedule, &firstSchedule, &chain, DES_ENCRYPT);
    return sim::HexText(chained.data() + chained.size() - 8, 8);
}

TEST(WriteTac, AgreesWithOpenSsl) {
    const sim::CardContent content = SampleContent(sim::Protocol::kT1);
    // 23 bytes: the last block is padded.
    const std::string record = "2520000000001234560040123456789";
    const sim::Bytes recordBytes(record.begin(), record.begin() + 23);
    const auto tac = sim::ComputeTac(content.key, recordBytes);
    ASSERT_TRUE(tac.has_value());
    EXPECT_EQ(sim::HexText(tac->data(), tac->size()), OpenSslTac(content.key, recordBytes));

    // The TAC the write tests expect for "Now is the time " under this key.
    const std::string now = "Now is the time ";
    EXPECT_EQ(OpenSslTac(content.key, sim::Bytes(now.begin(), now.end())), "319E5E68C3E8891B");
}

}  // namespace
}  // namespace kestrova::sim_card_test
