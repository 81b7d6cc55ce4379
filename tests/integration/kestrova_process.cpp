#include "tests/integration/kestrova_process.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace kestrova::testing {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

KestrovaProcess::KestrovaProcess() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    directory_ = std::filesystem::temp_directory_path() /
                 ("kestrova_process_" + std::to_string(::getpid()) + "_" + test->test_suite_name() +
                  "_" + test->name());
    std::filesystem::create_directories(directory_);
}

KestrovaProcess::~KestrovaProcess() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

std::string KestrovaProcess::WriteFile(const std::string& name, const std::string& text) const {
    const std::filesystem::path path = directory_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

KestrovaOutput KestrovaProcess::Run(const std::string& arguments, const std::string& input) const {
    return RunProgram(KESTROVA_COMMAND_PATH, arguments, input);
}

KestrovaOutput KestrovaProcess::RunProgram(const std::string& program, const std::string& arguments,
                                           const std::string& input) const {
    const std::string inputPath = WriteFile("stdin.txt", input);
    const std::filesystem::path errPath = directory_ / "stderr.txt";
    const std::string command =
        "'" + program + "' " + arguments + " <'" + inputPath + "' 2>'" + errPath.string() + "'";
    KestrovaOutput output;
    // The command line is the test's own, run as a user's shell runs it.
    FILE* pipe = popen(command.c_str(), "r");  // NOLINT(cert-env33-c)
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return output;
    }
    char buffer[4096];
    std::size_t read = 0;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.out.append(buffer, read);
    }
    const int status = pclose(pipe);
    output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    output.err = ReadFile(errPath);
    return output;
}

}  // namespace kestrova::testing
