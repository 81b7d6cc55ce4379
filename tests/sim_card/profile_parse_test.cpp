// Card profiles: the built-in one and the examples parse to what they say,
// every field is read, and bad input gives an error naming the field.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "sim/profiles/card_profile.h"
#include "sim/service/hex_bytes.h"

namespace kestrova::sim_card_test {
namespace {

using sim::CardProfile;
using sim::ProfileError;

CardProfile ParseOrFail(const std::string& text) {
    auto result = sim::ParseCardProfile(text);
    if (const auto* error = std::get_if<ProfileError>(&result)) {
        ADD_FAILURE() << error->message;
        return {};
    }
    return std::get<CardProfile>(std::move(result));
}

std::string ErrorOf(const std::string& text) {
    const auto result = sim::ParseCardProfile(text);
    const auto* error = std::get_if<ProfileError>(&result);
    return error == nullptr ? "(parsed)" : error->message;
}

// One reader named A whose card has the given members.
std::string WithCard(const std::string& members) {
    return R"({"readers": [{"name": "A", "card": {)" + members + "}}]}";
}

TEST(DefaultProfile, HoldsTheVirtualReaderWithItsCardAndAKeypadReader) {
    const CardProfile profile = ParseOrFail(std::string(sim::DefaultCardProfileText()));
    ASSERT_EQ(profile.readers.size(), 2U);
    const sim::ReaderProfile& first = profile.readers[0];
    EXPECT_EQ(first.name, "Kestrova Virtual Reader 0");
    ASSERT_TRUE(first.card);
    EXPECT_TRUE(first.cardPresent);
    EXPECT_EQ(first.card->ef1001.accounts.size(), 2U);
    EXPECT_EQ(first.card->ef1002.accounts.size(), 1U);
    EXPECT_EQ(first.card->ef1001.slots, 8U);
    EXPECT_EQ(first.card->pin, "123456");
    EXPECT_EQ(first.attributes.at(0x00010102), sim::HexBytes("04030201"));
    const sim::ReaderProfile& keypad = profile.readers[1];
    EXPECT_EQ(keypad.name.rfind("ACS ACR83U", 0), 0U) << "a keypad model name";
    ASSERT_TRUE(keypad.card);
    EXPECT_EQ(keypad.card->protocol, sim::Protocol::kT1);
    EXPECT_EQ(sim::DefaultCardProfile().readers.size(), 2U);
}

TEST(ExampleProfiles, AllParse) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KESTROVA_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".json") {
            continue;
        }
        ++count;
        const auto result = sim::LoadCardProfile(entry.path().string());
        const auto* error = std::get_if<ProfileError>(&result);
        EXPECT_EQ(error, nullptr) << (error != nullptr ? error->message : "");
    }
    EXPECT_GE(count, 3);
}

TEST(ProfileFields, AreAllRead) {
    const CardProfile profile = ParseOrFail(R"(
      // comments are allowed
      {"readers": [
        {"name": "Full", "cardPresent": false,
         "attributes": {"vendorName": "V", "vendorIfdVersion": {"hex": "01 02 03 04"},
                        "0x7fff0004": "sys"},
         "card": {"atr": "3B80800101", "issuerBank": "0040", "remark": "",
                  "serial": "0102030405060708 1112131415161718",
                  "ef1001": {"slots": 2, "accounts": ["A234567890123456"]},
                  "ef1002": {"slots": 1},
                  "pin": "000000000000", "pinTries": 5, "pinTriesLeft": 1,
                  "key": "000102030405060708090A0B0C0D0E0F1011121314151617",
                  "snumStart": 0, "transactionFiles": ["2001", "20 02"],
                  "faults": [{"command": "00E2", "status": "6610", "times": 2},
                             {"nth": 4, "skip": 1, "times": "always", "delayMs": 30}]}},
        {"name": "Empty"}
      ]})");
    ASSERT_EQ(profile.readers.size(), 2U);
    const sim::ReaderProfile& full = profile.readers[0];
    EXPECT_FALSE(full.cardPresent);
    EXPECT_EQ(full.attributes.at(0x00010100), sim::HexBytes("56"));
    EXPECT_EQ(full.attributes.at(0x7FFF0004), sim::HexBytes("737973"));
    ASSERT_TRUE(full.card);
    const sim::CardContent& card = *full.card;
    EXPECT_EQ(card.protocol, sim::Protocol::kT1) << "from the answer to reset";
    EXPECT_EQ(card.issuerBank, "0040");
    EXPECT_EQ(sim::HexText(card.serialData), "01020304050607081112131415161718");
    EXPECT_EQ(card.ef1001.slots, 2U);
    EXPECT_EQ(card.ef1002.slots, 1U);
    EXPECT_TRUE(card.ef1002.accounts.empty());
    EXPECT_EQ(card.pinTries, 5);
    EXPECT_EQ(card.pinTriesLeft, 1);
    EXPECT_EQ(card.key.size(), 24U);
    EXPECT_EQ(card.snumStart, 0U);
    EXPECT_EQ(card.transactionFiles, (std::vector<std::uint16_t>{0x2001, 0x2002}));
    ASSERT_EQ(card.faults.size(), 2U);
    EXPECT_EQ(card.faults[0].status, 0x6610);
    EXPECT_EQ(card.faults[0].times, 2);
    EXPECT_EQ(card.faults[1].times, 0);
    EXPECT_EQ(card.faults[1].nth, 4);
    EXPECT_EQ(card.faults[1].skip, 1);
    EXPECT_FALSE(card.faults[1].status);
    const sim::ReaderProfile& empty = profile.readers[1];
    EXPECT_FALSE(empty.card);
    EXPECT_FALSE(empty.cardPresent);
}

TEST(ProfileFields, DefaultWhatIsLeftOut) {
    const CardProfile profile = ParseOrFail(WithCard(""));
    ASSERT_EQ(profile.readers.size(), 1U);
    ASSERT_TRUE(profile.readers[0].card);
    const sim::CardContent& card = *profile.readers[0].card;
    EXPECT_TRUE(profile.readers[0].cardPresent);
    EXPECT_EQ(card.protocol, sim::Protocol::kT0);
    EXPECT_TRUE(card.atr.empty());
    EXPECT_EQ(card.pin, "123456");
    EXPECT_EQ(card.pinTries, 3);
    EXPECT_EQ(card.pinTriesLeft, 3);
    EXPECT_EQ(card.key.size(), 16U);
    EXPECT_EQ(card.serialData, sim::Bytes(16, 0));
    EXPECT_EQ(card.snumStart, 1U);
    EXPECT_EQ(card.transactionFiles, std::vector<std::uint16_t>{0x1003});
    EXPECT_EQ(card.ef1001.slots, 8U);
}

TEST(ProfileErrors, NameTheFieldForBadReaders) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "profile: not valid JSON"},
        {R"({"readers": [})", "profile: not valid JSON"},
        {"[]", "profile: must be an object"},
        {"{}", "readers: missing"},
        {R"({"readers": {}})", "readers: must be an array"},
        {R"({"readers": []})", "readers: must name at least one reader"},
        {R"({"readers": [], "extra": 1})", "extra: unknown field"},
        {R"({"readers": [7]})", "readers[0]: must be an object"},
        {R"({"readers": [{}]})", "readers[0].name: missing"},
        {R"({"readers": [{"name": ""}]})",
         "readers[0].name: must be a text of 1 to 127 printable ASCII characters"},
        {R"({"readers": [{"name": "A\u0001"}]})", "readers[0].name: must be a text"},
        {R"({"readers": [{"name": "A", "colour": 1}]})", "readers[0].colour: unknown field"},
        {R"({"readers": [{"name": "A"}, {"name": "A"}]})", "readers[1].name: \"A\" is used twice"},
        {R"({"readers": [{"name": "A", "cardPresent": true}]})",
         "readers[0].cardPresent: is true but the reader has no card"},
        {R"({"readers": [{"name": "A", "cardPresent": 1}]})",
         "readers[0].cardPresent: must be true or false"},
        {R"({"readers": [{"name": "A", "attributes": {"vendor": "x"}}]})",
         "readers[0].attributes.vendor: unknown attribute"},
        {R"({"readers": [{"name": "A", "attributes": {"0x": "x"}}]})",
         "readers[0].attributes.0x: unknown attribute"},
        {R"({"readers": [{"name": "A", "attributes": {"vendorName": {"hex": "0G"}}}]})",
         "readers[0].attributes.vendorName.hex: must be hex text of 0 to 264 bytes (found a "
         "character that is no hex digit)"},
        {R"({"readers": [{"name": "A", "attributes": {"vendorName": {}}}]})",
         "readers[0].attributes.vendorName: must be a text or {\"hex\": \"...\"}"},
        {R"({"readers": [{"name": "A", "attributes": {"vendorName": 5}}]})",
         "readers[0].attributes.vendorName: must be a text or {\"hex\": \"...\"}"},
        {R"({"readers": [{"name": "A", "attributes": {"vendorName": "x", "0x00010100": "y"}}]})",
         "readers[0].attributes.vendorName: names an attribute already given"},
        {R"({"readers": [{"name": "A", "card": []}]})", "readers[0].card: must be an object"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ErrorOf(text).rfind(expected, 0), 0U)
            << "input: " << text << "\nerror: " << ErrorOf(text);
    }
}

TEST(ProfileErrors, NameTheFieldForBadCards) {
    const std::string card = "readers[0].card.";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"("pin": "12345")", "pin: must be a text of 6 to 12 digits"},
        {R"("pin": "12345a")", "pin: must be a text of 6 to 12 digits"},
        {R"("pin": 123456)", "pin: must be a text of 6 to 12 digits"},
        {R"("key": "0123456789ABCDEF")", "key: must be hex text of 16 to 24 bytes"},
        {R"("key": "00112233445566778899AABBCCDDEEFF00112233")",
         "key: must be hex text of 16 or 24 bytes"},
        {R"("key": "0123456789ABCDEF0123456789ABCDE")",
         "key: must be hex text of 16 to 24 "
         "bytes (odd number of digits)"},
        {R"("protocol": "T=2")", "protocol: must be \"T=0\" or \"T=1\""},
        {R"("protocol": "T=0", "atr": "3B80800101")", "atr: offers T=1"},
        {R"("protocol": "T=1", "atr": "3B021450")", "atr: offers no T=1"},
        {R"("atr": "3B0214")", "atr: is not a well-formed answer to reset"},
        {R"("atr": "3B")", "atr: must be hex text of 2 to 33 bytes"},
        {R"("issuerBank": "004000123")", "issuerBank: must be a text of 0 to 8"},
        {R"("remark": ")" + std::string(62, 'A') + "\"", "remark: must be hex text of 0 to 30"},
        {R"("serial": "01020304050607080910")", "serial: must be hex text of 8 bytes"},
        {R"("serial": "01")", "serial: must be hex text of 8 to 16 bytes"},
        {R"("ef1001": {"accounts": ["004012345678901"]})",
         "ef1001.accounts[0]: must be a text of 16 printable ASCII characters"},
        {R"("ef1002": {"accounts": ["0040123456789012"]})",
         "ef1002.accounts[0]: must be a text of 24 printable ASCII characters"},
        {R"("ef1002": {"slots": 1, "accounts": ["000000000000000000000000", "000000000000000000000000"]})",
         "ef1002.accounts: must be an array of at most 1 accounts"},
        {R"("ef1001": {"slots": 0})", "ef1001.slots: must be an integer from 1 to 16"},
        {R"("ef1001": {"slots": 17})", "ef1001.slots: must be an integer from 1 to 16"},
        {R"("ef1001": {"slots": 2.5})", "ef1001.slots: must be an integer from 1 to 16"},
        {R"("ef1001": {"rows": 2})", "ef1001.rows: unknown field"},
        {R"("ef1001": [])", "ef1001: must be an object"},
        {R"("pinTries": 0)", "pinTries: must be an integer from 1 to 15"},
        {R"("pinTries": 2, "pinTriesLeft": 3)", "pinTriesLeft: must be an integer from 0 to 2"},
        {R"("snumStart": -1)", "snumStart: must be an integer from 0 to 99999999"},
        {R"("snumStart": 100000000)", "snumStart: must be an integer from 0 to 99999999"},
        {R"("snumStart": 18446744073709551615)", "snumStart: must be an integer"},
        {R"("snumStart": "1")", "snumStart: must be an integer"},
        {R"("transactionFiles": ["1001"])",
         "transactionFiles[0]: names EF1001, EF1002 or the PIN file"},
        {R"("transactionFiles": ["2001", "2001"])", "transactionFiles[1]: names a file already"},
        {R"("transactionFiles": ["200"])", "transactionFiles[0]: must be hex text of 2 bytes"},
        {R"("faults": {})", "faults: must be an array"},
        {R"("faults": [{}])", "faults[0]: does nothing"},
        {R"("faults": [{"command": "00E2"}])", "faults[0]: does nothing"},
        {R"("faults": [{"status": "66"}])", "faults[0].status: must be hex text of 2 bytes"},
        {R"("faults": [{"status": "6610", "times": 0}])",
         "faults[0].times: must be an integer from 1 to 1000000000 or \"always\""},
        {R"("faults": [{"status": "6610", "times": "never"}])", "faults[0].times: must be"},
        {R"("faults": [{"status": "6610", "nth": 0}])", "faults[0].nth: must be an integer from 1"},
        {R"("faults": [{"delayMs": 60001}])",
         "faults[0].delayMs: must be an integer from 0 to 60000"},
        {R"("faults": [{"status": "6610", "command": ""}])",
         "faults[0].command: must be hex text of 1 to 16 bytes"},
        {R"("faults": [{"status": "6610", "when": 1}])", "faults[0].when: unknown field"},
        {R"("colour": "red")", "colour: unknown field"},
    };
    for (const auto& [members, expected] : cases) {
        const std::string error = ErrorOf(WithCard(members));
        EXPECT_EQ(error.rfind(card + expected, 0), 0U)
            << "members: " << members << "\nerror: " << error;
    }
}

TEST(ProfileErrors, HostileDocumentsGiveErrorsNotCrashes) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(ErrorOf(deep), "profile: must be an object");
    EXPECT_EQ(ErrorOf(std::string("{\"readers\": [{\"name\": \"\xC3\x28\"}]}"))
                  .rfind("profile: not valid JSON", 0),
              0U)
        << "ill-formed UTF-8";
    EXPECT_EQ(ErrorOf(std::string((1 << 20) + 1, ' ')).rfind("profile: larger than", 0), 0U);
}

TEST(ProfileFiles, NameTheFileInErrors) {
    const auto missing = sim::LoadCardProfile("/nonexistent/profile.json");
    ASSERT_TRUE(std::holds_alternative<ProfileError>(missing));
    EXPECT_EQ(std::get<ProfileError>(missing).message,
              "/nonexistent/profile.json: cannot be opened: No such file or directory");

    const std::string path = ::testing::TempDir() + "kestrova_bad_profile.json";
    std::ofstream(path) << R"({"readers": [{"name": 1}]})";
    const auto bad = sim::LoadCardProfile(path);
    ASSERT_TRUE(std::holds_alternative<ProfileError>(bad));
    EXPECT_EQ(std::get<ProfileError>(bad).message,
              path + ": readers[0].name: must be a text of 1 to 127 printable ASCII characters");
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace kestrova::sim_card_test
