// `kestrova run --simulate`: the simulated service with its virtual cards,
// and the directives that move cards and change the page, through the built
// command.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/integration/kestrova_process.h"

namespace kestrova::testing {
namespace {

constexpr const char* kAllowedPage = ":page https://card.kestrova.example.com/\n";
// SCARD_E_NO_SMARTCARD as the methods return it.
constexpr const char* kNoCard = "-2146435060";

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string Example(const std::string& name) {
    return "'" + std::string(KESTROVA_EXAMPLES_DIR) + "/" + name + "'";
}

TEST(SimulateOptionTest, TheReadersExampleListsBothBuiltInReadersAndConnects) {
    const KestrovaProcess kestrova;
    const KestrovaOutput run = kestrova.Run("run --simulate " + Example("readers.txt"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    for (const char* line :
         {":page https://card.kestrova.example.com/\n", "GetReaderNumber() -> 2\n",
          "GetReaderName(0) -> \"Kestrova Virtual Reader 0\"\n",
          "GetReaderName(1) -> \"ACS ACR83U 00 00\"\n",
          "ConnectCard(\"Kestrova Virtual Reader 0\") -> 0\n",
          "GetCardStatus() -> \"3B021450\"\n"}) {
        EXPECT_TRUE(Has(run.out, line)) << line << "\nin:\n" << run.out;
    }
}

TEST(SimulateOptionTest, AProfileFileGivesItsReadersAndTheFirstWithACardIsTheDefault) {
    const KestrovaProcess kestrova;
    const std::string profile = kestrova.WriteFile("profile.json", R"({"readers": [
        {"name": "Empty Reader"},
        {"name": "Card Reader", "card": {"protocol": "T=1", "issuerBank": "0120"}}]})");
    const std::string calls =
        kestrova.WriteFile("calls.txt", std::string(kAllowedPage) +
                                            "ListReaders()\nGetReaderName(0)\nGetReaderName(1)\n"
                                            "ConnectCard(\"Card Reader\")\nGetIssuerBank()\n"
                                            "DisconnectCard(\"Card Reader\")\n"
                                            ":card remove   # the only reader with a card\n"
                                            "CheckCardInsert(\"Card Reader\")\n");
    const KestrovaOutput run = kestrova.Run("run --simulate='" + profile + "' '" + calls + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(kAllowedPage) +
                           "ListReaders() -> 0\n"
                           "GetReaderName(0) -> \"Empty Reader\"\n"
                           "GetReaderName(1) -> \"Card Reader\"\n"
                           "ConnectCard(\"Card Reader\") -> 0\n"
                           "GetIssuerBank() -> \"0120\"\n"
                           "DisconnectCard(\"Card Reader\") -> 0\n"
                           ":card remove Card Reader\n"
                           "CheckCardInsert(\"Card Reader\") -> " +
                           kNoCard + "\n");

    // A reader without a card has nothing to move.
    const KestrovaOutput empty =
        kestrova.Run("run --simulate='" + profile + "' -", ":card insert Empty Reader\n");
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err,
              "<stdin>:1: :card insert Empty Reader: reader \"Empty Reader\" has no card\n");
}

TEST(SimulateOptionTest, AProfileWithAnErrorStopsBeforeAnyCallNamingTheField) {
    const KestrovaProcess kestrova;
    const std::string profile =
        kestrova.WriteFile("bad.json", R"({"readers": [{"name": "R", "card": {"pin": "12"}}]})");
    const KestrovaOutput bad =
        kestrova.Run("run --simulate='" + profile + "' -", "GetAPIVersion()\n");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_TRUE(Has(bad.err, "kestrova: --simulate: " + profile + ": readers[0].card.pin: "))
        << bad.err;

    const KestrovaOutput missing =
        kestrova.Run("run --simulate=nowhere.json -", "GetAPIVersion()\n");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_TRUE(Has(missing.err, "nowhere.json")) << missing.err;
}

TEST(SimulateOptionTest, CardsMoveAtOnceAndOnATimerSeenByLaterCalls) {
    const KestrovaProcess kestrova;
    const KestrovaOutput run =
        kestrova.Run("run --simulate --page-url https://card.kestrova.example.com/ -",
                     ":card remove-after 20\n"
                     ":sleep 1500   # far longer than the 20 ms\n"
                     "CheckCardInsert(\"Kestrova Virtual Reader 0\")\n"
                     ":card insert Kestrova Virtual Reader 0\n"
                     "CheckCardInsert(\"Kestrova Virtual Reader 0\")\n"
                     ":card remove ACS ACR83U 00 00\n"
                     "CheckCardInsert(\"ACS ACR83U 00 00\")\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(":card remove-after 20 Kestrova Virtual Reader 0\n"
                                   ":sleep 1500\n"
                                   "CheckCardInsert(\"Kestrova Virtual Reader 0\") -> ") +
                           kNoCard +
                           "\n"
                           ":card insert Kestrova Virtual Reader 0\n"
                           "CheckCardInsert(\"Kestrova Virtual Reader 0\") -> 0\n"
                           ":card remove ACS ACR83U 00 00\n"
                           "CheckCardInsert(\"ACS ACR83U 00 00\") -> " +
                           kNoCard + "\n");
}

// The run would otherwise wait ten minutes for the move.
TEST(SimulateOptionTest, AMoveNotYetDueWhenTheCallsEndIsDropped) {
    const KestrovaProcess kestrova;
    const KestrovaOutput run =
        kestrova.Run("run --simulate --page-url https://card.kestrova.example.com/ -",
                     ":card remove-after 600000\nCheckCardInsert(\"Kestrova Virtual Reader 0\")\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              ":card remove-after 600000 Kestrova Virtual Reader 0\n"
              "CheckCardInsert(\"Kestrova Virtual Reader 0\") -> 0\n");
}

TEST(SimulateOptionTest, AScheduledMoveThatFailsStopsTheRunNamingItsLine) {
    const KestrovaProcess kestrova;
    const KestrovaOutput run = kestrova.Run("run --simulate -",
                                            ":card remove\n"
                                            ":card remove-after 0\n"
                                            ":sleep 1500\n"
                                            "GetAPIVersion()\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(Has(run.out, "GetAPIVersion")) << run.out;
    EXPECT_EQ(run.err,
              "<stdin>:2: :card remove-after 0 Kestrova Virtual Reader 0: the card is already out "
              "of \"Kestrova Virtual Reader 0\"\n");
}

TEST(SimulateOptionTest, PageDirectivesSwitchTheGuardedConnect) {
    const KestrovaProcess kestrova;
    const KestrovaOutput run = kestrova.Run("run --simulate -",
                                            "ConnectCard(\"Kestrova Virtual Reader 0\")\n"
                                            ":page https://card.kestrova.example.com/shop#pay\n"
                                            "ConnectCard(\"Kestrova Virtual Reader 0\")\n"
                                            "DisconnectCard(\"Kestrova Virtual Reader 0\")\n"
                                            ":page\n"
                                            "ConnectCard(\"Kestrova Virtual Reader 0\")\n"
                                            ":page http://card.kestrova.example.com/\n"
                                            "ConnectCard(\"Kestrova Virtual Reader 0\")\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "ConnectCard(\"Kestrova Virtual Reader 0\") -> -1\n"
              ":page https://card.kestrova.example.com/shop#pay\n"
              "ConnectCard(\"Kestrova Virtual Reader 0\") -> 0\n"
              "DisconnectCard(\"Kestrova Virtual Reader 0\") -> 0\n"
              ":page\n"
              "ConnectCard(\"Kestrova Virtual Reader 0\") -> -1\n"
              ":page http://card.kestrova.example.com/\n"
              "ConnectCard(\"Kestrova Virtual Reader 0\") -> -1\n");

    // --page-url is where the run starts; :page changes it.
    const KestrovaOutput started =
        kestrova.Run("run --simulate --page-url https://card.kestrova.example.com/ -",
                     "ConnectCard(\"Kestrova Virtual Reader 0\")\n:page\n"
                     "ConnectCard(\"ACS ACR83U 00 00\")\n");
    EXPECT_EQ(started.out,
              "ConnectCard(\"Kestrova Virtual Reader 0\") -> 0\n:page\n"
              "ConnectCard(\"ACS ACR83U 00 00\") -> -1\n");

    const KestrovaOutput notUtf8 =
        kestrova.Run("run -", "GetAPIVersion()\n:page https://\xff/\nGetAPIVersion()\n");
    EXPECT_EQ(notUtf8.status, 2);
    EXPECT_EQ(notUtf8.out, "GetAPIVersion() -> \"1.0.0.1\"\n");
    EXPECT_EQ(notUtf8.err, "<stdin>:2: :page https://\xff/: the page address is not UTF-8\n");
}

TEST(SimulateOptionTest, WithJsonDirectivesPrintNothingUnlessTheyFail) {
    const KestrovaProcess kestrova;
    const KestrovaOutput run =
        kestrova.Run("run --simulate --json -",
                     ":page https://card.kestrova.example.com/\n:card remove\n:sleep 0\n"
                     "CheckCardInsert(\"Kestrova Virtual Reader 0\")\n:card remove\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, std::string("{\"call\": \"CheckCardInsert\", \"args\": [\"Kestrova Virtual "
                                   "Reader 0\"], \"result\": ") +
                           kNoCard + "}\n");
    EXPECT_EQ(
        run.err,
        "<stdin>:5: :card remove: the card is already out of \"Kestrova Virtual Reader 0\"\n");
}

TEST(SimulateOptionTest, MistakesAreNamedAndEndTheRun) {
    const KestrovaProcess kestrova;
    const KestrovaOutput noSimulation =
        kestrova.Run("run -", ":sleep 0\n:card remove\nGetAPIVersion()\n");
    EXPECT_EQ(noSimulation.status, 2);
    EXPECT_EQ(noSimulation.out, ":sleep 0\n");
    EXPECT_EQ(noSimulation.err,
              "<stdin>:2: :card remove: card directives need the simulated service (kestrova run "
              "--simulate)\n");

    const KestrovaOutput unknown = kestrova.Run("run --simulate -", ":eject\nGetAPIVersion()\n");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_TRUE(Has(unknown.err, "<stdin>:1: :eject: unknown directive :eject")) << unknown.err;

    const KestrovaOutput noReader =
        kestrova.Run("run --simulate -", ":card remove-after 10 Nobody's Reader\n");
    EXPECT_EQ(noReader.status, 2);
    EXPECT_EQ(noReader.err,
              "<stdin>:1: :card remove-after 10 Nobody's Reader: no reader \"Nobody's Reader\" in "
              "the simulated service\n");

    const KestrovaOutput both =
        kestrova.Run("run --simulate --pcsc-library /x/libpcsclite.so.1 -", "GetAPIVersion()\n");
    EXPECT_EQ(both.status, 2);
    EXPECT_EQ(both.out, "");
    EXPECT_TRUE(Has(both.err, "--simulate and --pcsc-library cannot be used together")) << both.err;
}

TEST(SimulateOptionTest, TheShellCarriesOnAfterAFailedDirective) {
    const KestrovaProcess kestrova;
    const KestrovaOutput shell = kestrova.Run(
        "shell --simulate --page-url https://card.kestrova.example.com/",
        ":card insert\n:card remove\nCheckCardInsert(\"Kestrova Virtual Reader 0\")\n");
    EXPECT_EQ(shell.status, 0);
    EXPECT_TRUE(Has(shell.err, "shell:1: :card insert: the card is already in")) << shell.err;
    EXPECT_TRUE(Has(shell.out, ":card remove Kestrova Virtual Reader 0\n")) << shell.out;
    EXPECT_TRUE(
        Has(shell.out, std::string("CheckCardInsert(\"Kestrova Virtual Reader 0\") -> ") + kNoCard))
        << shell.out;
}

// kestrova does not link the simulated service: a copy without it still runs,
// and --simulate says what is missing.
TEST(SimulateOptionTest, WithoutTheSimulatedServiceBesideItOnlySimulateFails) {
    const KestrovaProcess kestrova;
    const std::filesystem::path program = kestrova.Directory() / "bin" / "kestrova";
    std::filesystem::create_directories(program.parent_path());
    std::filesystem::copy_file(KESTROVA_COMMAND_PATH, program);

    const KestrovaOutput plain =
        kestrova.RunProgram(program.string(), "run -", "GetAPIVersion()\n");
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, "GetAPIVersion() -> \"1.0.0.1\"\n");

    const KestrovaOutput simulated =
        kestrova.RunProgram(program.string(), "run --simulate -", "GetAPIVersion()\n");
    EXPECT_EQ(simulated.status, 2);
    EXPECT_EQ(simulated.out, "");
    EXPECT_TRUE(Has(simulated.err,
                    "kestrova: --simulate: the simulated service is not installed "
                    "beside kestrova: " +
                        (kestrova.Directory() / "lib").string()))
        << simulated.err;
}

}  // namespace
}  // namespace kestrova::testing
