#pragma once
// A folder of its own for one test, removed with everything in it.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of a file in the folder.
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // Writes `bytes` to a file in the folder and answers its path.
    std::string Write(const std::string& name, std::span<const uint8_t> bytes) const;

private:
    std::filesystem::path path_;
};
