#include "source/internal/MovieFile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// FFmpeg's own file reader reads this much at a time.
constexpr int kBufferBytes = 32768;
// How long one wait for data lasts before the stop request is asked again.
constexpr int kPollMs = 100;

}  // namespace

MovieFile::MovieFile(std::function<bool()> stopRequested) : stopRequested(std::move(stopRequested)) {}

MovieFile::~MovieFile() {
    if (context) av_freep(&context->buffer);
    avio_context_free(&context);
    if (fd >= 0) close(fd);
}

MediaStatus MovieFile::Open(const std::string& path) {
    // Non-blocking: opening a FIFO then returns at once, whether a writer is there or not.
    fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return AVERROR(errno);
    struct stat status {};
    if (fstat(fd, &status) != 0) return AVERROR(errno);
    if (S_ISDIR(status.st_mode)) return AVERROR(EISDIR);
    regular = S_ISREG(status.st_mode);
    auto* buffer = static_cast<uint8_t*>(av_malloc(kBufferBytes));
    if (!buffer) return AVERROR(ENOMEM);
    context = avio_alloc_context(buffer, kBufferBytes, 0, this, Read, nullptr, regular ? Seek : nullptr);
    if (!context) {
        av_free(buffer);
        return AVERROR(ENOMEM);
    }
    context->seekable = regular ? AVIO_SEEKABLE_NORMAL : 0;
    return 0;
}

AVIOInterruptCB MovieFile::InterruptCallback() { return {Interrupted, this}; }

int MovieFile::Interrupted(void* opaque) { return static_cast<MovieFile*>(opaque)->stopRequested() ? 1 : 0; }

MediaStatus MovieFile::WaitForData() {
    // A regular file always has its data at hand; a FIFO or device may keep us waiting (with
    // no writer yet, poll reports nothing at all until one comes and writes or leaves).
    if (regular) return 0;
    for (;;) {
        if (stopRequested()) return kStatusAborted;
        pollfd wanted{fd, POLLIN, 0};
        const int ready = poll(&wanted, 1, kPollMs);
        if (ready > 0) return 0;
        if (ready < 0 && errno != EINTR) return AVERROR(errno);
    }
}

int MovieFile::Read(void* opaque, uint8_t* buffer, int size) {
    auto& file = *static_cast<MovieFile*>(opaque);
    for (;;) {
        if (const MediaStatus status = file.WaitForData(); status < 0) return status;
        const ssize_t got = read(file.fd, buffer, size_t(size));
        if (got > 0) return int(got);
        if (got == 0) return AVERROR_EOF;
        if (errno != EAGAIN && errno != EINTR) return AVERROR(errno);
    }
}

int64_t MovieFile::Seek(void* opaque, int64_t offset, int whence) {
    const auto& file = *static_cast<MovieFile*>(opaque);
    if (whence == AVSEEK_SIZE) {
        struct stat status {};
        return fstat(file.fd, &status) == 0 ? int64_t(status.st_size) : AVERROR(errno);
    }
    const off_t position = lseek(file.fd, off_t(offset), whence & ~AVSEEK_FORCE);
    return position < 0 ? AVERROR(errno) : int64_t(position);
}
