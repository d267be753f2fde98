#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/TestFiles.h"

// A scratch working directory that holds "pqekip.dll" (one of the test
// libraries, or none), where the library also writes its calls.
class PqeScratch {
public:
    void Enter() {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(Dir());
    }
    void Leave() { std::filesystem::current_path(previous_); }

    void Install(const char* library) const {
        std::filesystem::copy_file(library, Dir() / "pqekip.dll");
    }
    std::string Calls() const {
        std::ifstream file(Dir() / "pqe-calls.txt");
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    std::filesystem::path Dir() const { return testing_files::SystemPath(directory_.Path()); }

private:
    testing_files::TempDirectory directory_;
    std::filesystem::path previous_;
};
