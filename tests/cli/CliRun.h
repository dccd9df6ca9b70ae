#pragma once
// Runs the kavro-cli executable of this build and keeps what it printed and its exit code.
#include <filesystem>
#include <span>
#include <string>
#include <vector>

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliResult RunCli(const std::vector<std::string>& arguments);

// A fresh folder that is removed with everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Writes `bytes` to a file in the folder and answers its path.
    std::string Write(const std::string& name, std::span<const uint8_t> bytes) const;

private:
    std::filesystem::path path_;
};
