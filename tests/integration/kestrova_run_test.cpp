// `kestrova run` with the options that choose the PC/SC service library and
// the page the control serves.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "control/hosting_page_check.h"

namespace kestrova {
namespace {

struct RunOutput {
    std::string out;
    std::string err;
};

class KestrovaRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        directory_ = std::filesystem::temp_directory_path() /
                     ("kestrova_run_test_" + std::to_string(::getpid()) + "_" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory_);
    }
    void TearDown() override { std::filesystem::remove_all(directory_); }

    RunOutput Run(const std::string& options, const std::string& calls) {
        const std::filesystem::path callsPath = directory_ / "calls.txt";
        const std::filesystem::path errPath = directory_ / "stderr.txt";
        std::ofstream(callsPath, std::ios::binary) << calls;
        const std::string command = std::string("'") + KESTROVA_COMMAND_PATH + "' run '" +
                                    callsPath.string() + "' " + options + " 2>'" +
                                    errPath.string() + "'";
        RunOutput output;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) {
            ADD_FAILURE() << "cannot run " << command;
            return output;
        }
        char buffer[4096];
        std::size_t read = 0;
        while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            output.out.append(buffer, read);
        }
        pclose(pipe);
        std::ifstream err(errPath, std::ios::binary);
        std::stringstream text;
        text << err.rdbuf();
        output.err = text.str();
        return output;
    }

    std::filesystem::path directory_;
};

const std::string kSimulatedService =
    std::string("--pcsc-library '") + KESTROVA_SIM_PCSC_LIBRARY + "'";
const std::string kAllowedPage =
    std::string(" --page-url 'https://") + kConfiguredAllowedHosts[1] + "/card/'";

// The simulated service in a process of its own has no readers.
TEST_F(KestrovaRunTest, BindsTheNamedServiceLibrary) {
    const RunOutput run = Run(kSimulatedService + kAllowedPage,
                              "ListReaders()\nGetReaderNumber()\nConnectReader(\"Reader\")\n"
                              "ListWinscardInfo()\nGetWinscardProperty(2)\n");
    EXPECT_EQ(run.out,
              "ListReaders() -> 0\nGetReaderNumber() -> -1\n"
              "ConnectReader(\"Reader\") -> -2146435063\n"  // SCARD_E_UNKNOWN_READER
              "ListWinscardInfo() -> 0\n"
              "GetWinscardProperty(2) -> \"Kestrova simulated PC/SC service\"\n");
    EXPECT_EQ(run.err.find("kestrova: "), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("automation error"), std::string::npos) << run.err;
}

TEST_F(KestrovaRunTest, ALibraryThatCannotBeBoundFailsTheReaderMethods) {
    const RunOutput run = Run("--pcsc-library=/nonexistent/libpcsc.so" + kAllowedPage,
                              "ConnectReader(\"Reader\")\nCheckCardInsert(\"Reader\")\n");
    EXPECT_EQ(run.out,
              "ConnectReader(\"Reader\") -> 50336773\nCheckCardInsert(\"Reader\") -> 50336773\n");
}

TEST_F(KestrovaRunTest, WithoutAPageTheConnectIsRefusedWithTheWarning) {
    const RunOutput run = Run(kSimulatedService, "ConnectCard(\"Reader\")\n");
    EXPECT_EQ(run.out, "ConnectCard(\"Reader\") -> -1\n");
    EXPECT_NE(run.err.find("警告訊息"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("非法存取！ 交易取消！"), std::string::npos) << run.err;
}

TEST_F(KestrovaRunTest, AnAllowedPageReachesTheService) {
    const RunOutput run = Run(kSimulatedService + kAllowedPage, "ConnectCard(\"Reader\")\n");
    EXPECT_EQ(run.out, "ConnectCard(\"Reader\") -> -2146435063\n");
    EXPECT_EQ(run.err.find("警告訊息"), std::string::npos) << run.err;
}

TEST_F(KestrovaRunTest, APageAddressThatIsNotUtf8IsACommandLineError) {
    const RunOutput run = Run("--page-url \"$(printf 'https://\\377/')\"", "GetAPIVersion()\n");
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("--page-url is not UTF-8"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace kestrova
