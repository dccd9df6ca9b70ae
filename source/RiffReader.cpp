#include "source/internal/RiffReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace {

constexpr uint32_t kRiff = RiffFourCC("RIFF");
constexpr uint32_t kList = RiffFourCC("LIST");
constexpr uint64_t kHeaderBytes = 8;
constexpr uint64_t kTypeBytes = 4;

bool HasType(uint32_t id) { return id == kRiff || id == kList; }

}  // namespace

bool RiffReader::Open(const std::string& path) {
    // Regular files only: reading a FIFO would take the data the decoder needs, and even
    // opening one lets a waiting writer start, whose writes then fail once this reader closes
    // before the decoder's has opened. So the type is known before the file is opened.
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (fd >= 0) close(fd);
        return false;
    }
    file.reset(fdopen(fd, "rb"));
    if (!file) close(fd);
    if (!file || fseeko(file.get(), 0, SEEK_END) != 0) return false;
    const off_t size = ftello(file.get());
    if (size < 0) return false;
    fileSize = uint64_t(size);
    position = 0;
    return true;
}

bool RiffReader::ReadAt(uint64_t offset, std::span<uint8_t> buffer) {
    if (offset > fileSize || buffer.size() > fileSize - offset) return false;
    return fseeko(file.get(), off_t(offset), SEEK_SET) == 0 &&
           std::fread(buffer.data(), 1, buffer.size(), file.get()) == buffer.size();
}

bool RiffReader::Descend(RiffChunk& chunk, const RiffChunk* parent, uint32_t id, uint32_t type) {
    const uint64_t limit = parent ? std::min(parent->End(), fileSize) : fileSize;
    while (position + kHeaderBytes <= limit) {
        std::array<uint8_t, kHeaderBytes + kTypeBytes> header{};
        if (!ReadAt(position, std::span(header).first(kHeaderBytes))) return false;
        RiffChunk found{.id = ReadLe32(&header[0]), .size = ReadLe32(&header[4]), .dataOffset = position + kHeaderBytes};
        const bool hasType = HasType(found.id);
        if (hasType && found.size >= kTypeBytes && ReadAt(found.dataOffset, std::span(header).last(kTypeBytes)))
            found.type = ReadLe32(&header[8]);
        if (found.id == id && (!hasType || found.type == type)) {
            chunk = found;
            position = found.dataOffset + (hasType ? kTypeBytes : 0);
            return true;
        }
        position = found.End();
    }
    return false;
}

void RiffReader::Ascend(const RiffChunk& chunk) { position = chunk.End(); }

size_t RiffReader::Read(std::span<uint8_t> buffer) {
    const size_t count = size_t(std::min<uint64_t>(buffer.size(), fileSize - std::min(position, fileSize)));
    if (!ReadAt(position, buffer.first(count))) return 0;
    position += count;
    return count;
}
