// examples/accounts.txt run as its comment says, on the built-in virtual card.

#include <gtest/gtest.h>

#include <string>

#include "tests/integration/kestrova_process.h"

namespace kestrova::testing {
namespace {

TEST(AccountsExampleTest, ReadsTheBuiltInCard) {
    const KestrovaProcess kestrova;
    const KestrovaOutput run =
        kestrova.Run("run --simulate '" + std::string(KESTROVA_EXAMPLES_DIR) + "/accounts.txt'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              ":page https://card.kestrova.example.com/\n"
              "ListReaders() -> 0\n"
              "GetReaderNumber() -> 2\n"
              "GetReaderName(0) -> \"Kestrova Virtual Reader 0\"\n"
              "ConnectCard(\"Kestrova Virtual Reader 0\") -> 0\n"
              "GetCardStatus() -> \"3B021450\"\n"
              "ListEF1001Accounts() -> 0\n"
              "GetEF1001TotalAccounts() -> 2\n"
              "GetEF1001Account(0) -> \"0040123456789012\"\n"
              "GetEF1001Account(1) -> \"0040987654321098\"\n"
              "ListEF1001AccountString() -> \"0040123456789012;0040987654321098;\"\n"
              "ListEF1002Accounts() -> 0\n"
              "GetEF1002TotalAccounts() -> 1\n"
              "GetEF1002Account(0) -> \"004000123456789012345678\"\n"
              "ListEF1002AccountString() -> \"004000123456789012345678;\"\n"
              "GetIssuerBank() -> \"00400012\"\n"
              "GetICCRemark() -> "
              "\"0102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E\"\n"
              "ReadCardSN() -> \"8886000012345678\"\n"
              "VerifyPIN(\"Kestrova Virtual Reader 0\", \"\", \"123456\") -> 0\n"
              "DisconnectCard(\"Kestrova Virtual Reader 0\") -> 0\n");
}

}  // namespace
}  // namespace kestrova::testing
