#pragma once
// Runs the kavro-cli executable of this build and keeps what it printed and its exit code.
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliResult RunCli(const std::vector<std::string>& arguments);


