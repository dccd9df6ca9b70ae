#pragma once
// The movie stream of one conversion pass in a temporary file of its own ("KAVRO" in the
// temporary folder), removed with this object wherever the run ends.
#include <cstdint>
#include <optional>
#include <string>

class TemporaryStream {
public:
    TemporaryStream();
    ~TemporaryStream();
    TemporaryStream(TemporaryStream&& other) noexcept;
    TemporaryStream& operator=(TemporaryStream&& other) noexcept;
    TemporaryStream(const TemporaryStream&) = delete;
    TemporaryStream& operator=(const TemporaryStream&) = delete;

    // False when no temporary file could be made.
    bool Created() const { return path.has_value(); }
    const std::string& Path() const { return *path; }
    // The file's size now; 0 when it cannot be read.
    uint64_t Bytes() const;

private:
    void Remove();

    std::optional<std::string> path;
};
