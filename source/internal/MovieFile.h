#pragma once
// The movie file as FFmpeg reads it: our own descriptor behind a custom I/O context. Every
// wait for data polls whether reading is to stop, so that a FIFO or device with no writer,
// or a stalled pipe, cannot hold the run where no abort reaches it: FFmpeg's own file reader
// would block in the kernel, in open() already for a FIFO without a writer.
#include <functional>
#include <string>

#include "source/internal/Ffmpeg.h"
#include "source/internal/MediaStatus.h"

class MovieFile {
public:
    // `stopRequested` is asked while waiting for data; true ends the wait with kStatusAborted.
    explicit MovieFile(std::function<bool()> stopRequested);
    ~MovieFile();
    MovieFile(const MovieFile&) = delete;
    MovieFile& operator=(const MovieFile&) = delete;

    // Opens the file for reading and makes its I/O context; FFmpeg's status on failure.
    [[nodiscard]] MediaStatus Open(const std::string& path);
    // The I/O context for AVFormatContext::pb, valid after a successful Open; owned here.
    AVIOContext* Context() const { return context; }
    // For AVFormatContext::interrupt_callback: FFmpeg's own loops ask it too.
    AVIOInterruptCB InterruptCallback();

private:
    static int Read(void* opaque, uint8_t* buffer, int size);
    static int64_t Seek(void* opaque, int64_t offset, int whence);
    static int Interrupted(void* opaque);
    // Waits until the file has data or its end; kStatusAborted when asked to stop first.
    MediaStatus WaitForData();

    std::function<bool()> stopRequested;
    int fd = -1;
    bool regular = false;  // a regular file: seekable, its size known, never waited for
    AVIOContext* context = nullptr;
};
