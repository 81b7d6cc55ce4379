#pragma once

// Runs the built kestrova command as a user runs it, in a folder of the
// test's own.

#include <filesystem>
#include <string>

namespace kestrova::testing {

struct KestrovaOutput {
    int status = -1;  // the exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

class KestrovaProcess {
  public:
    // A fresh folder named after the running test.
    KestrovaProcess();
    ~KestrovaProcess();
    KestrovaProcess(const KestrovaProcess&) = delete;
    KestrovaProcess& operator=(const KestrovaProcess&) = delete;

    // Writes a file into the folder and returns its path.
    std::string WriteFile(const std::string& name, const std::string& text) const;

    // `arguments` reach the shell as written; `input` is standard input.
    KestrovaOutput Run(const std::string& arguments, const std::string& input = "") const;

    // The same with another copy of the program.
    KestrovaOutput RunProgram(const std::string& program, const std::string& arguments,
                              const std::string& input = "") const;

    const std::filesystem::path& Directory() const { return directory_; }

  private:
    std::filesystem::path directory_;
};

}  // namespace kestrova::testing
