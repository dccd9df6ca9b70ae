#include "job/ImageOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include <fmt/format.h>

namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 100;

// A link at the output path is written through, as opening it for writing would: the image
// replaces the file it leads to.
fs::path Target(const std::string& outputPath) {
    std::error_code error;
    if (fs::is_symlink(outputPath, error) && fs::exists(outputPath, error)) {
        const fs::path resolved = fs::canonical(outputPath, error);
        if (!error) return resolved;
    }
    return outputPath;
}

}  // namespace

ImageOutput::ImageOutput(const std::string& outputPath) : target(Target(outputPath).string()) {
    const fs::path targetPath(target);
    const fs::path folder = targetPath.has_parent_path() ? targetPath.parent_path() : fs::path(".");
    std::random_device seed;
    std::mt19937 names(seed());
    for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
        const fs::path candidate = folder / fmt::format(".{}.KAVRO{:06x}", targetPath.filename().string(), names() & 0xFFFFFF);
        // 0666 less the umask, as a newly created output would get.
        fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) temporaryPath = candidate.string();
        else if (errno != EEXIST) return;
    }
    // A replaced output keeps its permissions.
    struct stat existing {};
    if (fd >= 0 && stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) fchmod(fd, existing.st_mode & 07777);
}

ImageOutput::~ImageOutput() {
    if (fd >= 0) close(fd);
    if (!temporaryPath.empty()) unlink(temporaryPath.c_str());
}

bool ImageOutput::Commit() {
    if (fd < 0) return false;
    const bool flushed = fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    fd = -1;
    if (!flushed || !closed || rename(temporaryPath.c_str(), target.c_str()) != 0) return false;
    temporaryPath.clear();
    return true;
}
