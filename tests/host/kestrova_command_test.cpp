// The built kestrova command, run as a user runs it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct CommandOutput {
    int status;
    std::string out;
    std::string err;
};

class KestrovaCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        directory_ = std::filesystem::temp_directory_path() /
                     ("kestrova_command_test_" +
                      std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory_);
    }
    void TearDown() override { std::filesystem::remove_all(directory_); }

    std::string WriteFile(const std::string& name, const std::string& text) {
        const std::filesystem::path path = directory_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // arguments are passed to the shell as written.
    CommandOutput Kestrova(const std::string& arguments, const std::string& input = "") {
        const std::string inputPath = WriteFile("stdin.txt", input);
        const std::filesystem::path errPath = directory_ / "stderr.txt";
        const std::string command = std::string("'") + KESTROVA_COMMAND_PATH + "' " + arguments +
                                    " <'" + inputPath + "' 2>'" + errPath.string() + "'";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) {
            ADD_FAILURE() << "cannot run " << command;
            return {-1, "", ""};
        }
        std::string out;
        char buffer[4096];
        std::size_t read = 0;
        while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, read);
        }
        const int status = pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, ReadFile(errPath)};
    }

    std::filesystem::path directory_;
};

TEST_F(KestrovaCommandTest, RunsAFileOfCalls) {
    const std::string file = WriteFile("calls.txt",
                                       "# DES and back\n"
                                       "DES(0, 8, \"0123456789ABCDEF\", \"4E6F772069732074\")\n"
                                       "GetRespData()\n"
                                       "ConvertIntToHex(10, \"交易取消！\")\n"
                                       "ConvertHexToInt(6, \"414243\")\n");
    const CommandOutput run = Kestrova("run '" + file + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "DES(0, 8, \"0123456789ABCDEF\", \"4E6F772069732074\") -> 0\n"
              "GetRespData() -> \"3FA40E8A984D4815\"\n"
              "ConvertIntToHex(10, \"交易取消！\") -> \"A5E6A9F6A8FAAEF8A149\"\n"
              "ConvertHexToInt(6, \"414243\") -> \"ABC\"\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(KestrovaCommandTest, ReadsStandardInputAndPrintsJson) {
    const CommandOutput run = Kestrova("run - --json", "GetAPIVersion()\nGetRespData()\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "{\"call\": \"GetAPIVersion\", \"args\": [], \"result\": \"1.0.0.1\"}\n"
              "{\"call\": \"GetRespData\", \"args\": [], \"result\": null}\n");
}

TEST_F(KestrovaCommandTest, ErrorsExitWithTwo) {
    const std::string file = WriteFile("bad.txt", "GetAPIVersion()\nDES(0, 8)\nGetAPIVersion()\n");
    const CommandOutput automation = Kestrova("run '" + file + "'");
    EXPECT_EQ(automation.status, 2);
    EXPECT_EQ(automation.out, "GetAPIVersion() -> \"1.0.0.1\"\n");
    EXPECT_EQ(automation.err.rfind(file + ":2: automation error 0x8002000E: DES takes 4", 0), 0U)
        << automation.err;

    const CommandOutput syntax = Kestrova("run -", "GetAPIVersion(\"open)\n");
    EXPECT_EQ(syntax.status, 2);
    EXPECT_EQ(syntax.err, "<stdin>:1:15: syntax error: string without its closing quote\n");

    // A missing file and a bad command line: tests/bridge/command_lines_test.cpp.
}

TEST_F(KestrovaCommandTest, ShellAndHelp) {
    const CommandOutput shell = Kestrova("shell", "Nope()\nGetAPIVersion()\n");
    EXPECT_EQ(shell.status, 0);
    EXPECT_NE(shell.out.find("GetAPIVersion() -> \"1.0.0.1\""), std::string::npos);
    EXPECT_NE(shell.err.find("unknown method"), std::string::npos);

    const CommandOutput help = Kestrova("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: kestrova", 0), 0U);

    const CommandOutput methods = Kestrova("methods");
    EXPECT_EQ(methods.status, 0);
    EXPECT_EQ(std::count(methods.out.begin(), methods.out.end(), '\n'), 79);
    EXPECT_NE(methods.out.find("long VerifyPIN(BSTR pReaderName, BSTR pReaderSndList, BSTR "
                               "pPwdStr)  [allowed pages]\n"),
              std::string::npos)
        << methods.out;
    EXPECT_NE(methods.out.find("BSTR GetAPIVersion()\n"), std::string::npos);
}

}  // namespace
