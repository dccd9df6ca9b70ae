#include "job/TemporaryStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/TempFile.h"

TemporaryStream::TemporaryStream() : path(CreateTempFile("KAVRO")) {}

TemporaryStream::~TemporaryStream() { Remove(); }

TemporaryStream::TemporaryStream(TemporaryStream&& other) noexcept : path(std::exchange(other.path, std::nullopt)) {}

TemporaryStream& TemporaryStream::operator=(TemporaryStream&& other) noexcept {
    if (this != &other) {
        Remove();
        path = std::exchange(other.path, std::nullopt);
    }
    return *this;
}

uint64_t TemporaryStream::Bytes() const {
    struct stat status {};
    return path && stat(path->c_str(), &status) == 0 ? uint64_t(status.st_size) : 0;
}

void TemporaryStream::Remove() {
    if (path) unlink(path->c_str());
    path.reset();
}
