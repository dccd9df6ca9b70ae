#include "platform/TempFile.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

std::optional<std::string> CreateTempFile(std::string_view prefix) {
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = folder && *folder ? folder : "/tmp";
    if (pattern.back() != '/') pattern += '/';
    pattern.append(prefix).append("XXXXXX");
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return std::nullopt;
    close(fd);
    return std::string(name.data());
}
