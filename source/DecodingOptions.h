#pragma once
// How the decoders of every conversion in this process work, and what the last conversion's
// video decoder did. Every conversion runs with the defaults; tests and benchmarks change them
// to compare the output or the time of other ways of decoding the same movie.
#include <atomic>
#include <cstdint>

struct DecodingOptions {
    // Threads of a decoder that works on several pictures at once; 0: the count chosen for
    // this machine (DecoderThreadCount).
    std::atomic<int> decoderThreads{0};
    // Whether work on pictures no record shows is left out; off: every picture is decoded
    // and converted.
    std::atomic<bool> leaveOutUnshown{true};
    // Whether H.264's loop filter is left out of the pictures nothing refers to, where the
    // picture shrinks at least 6 times each way: scaling hides what the filter smooths, and no
    // other picture is built on them.
    std::atomic<bool> leaveOutLoopFilter{true};
};

// Counted from the start of the process's last decoding run.
struct DecodingCounts {
    std::atomic<int64_t> decoded{0};    // pictures the video decoder returned
    std::atomic<int64_t> converted{0};  // of them, converted for delivery
};

DecodingOptions& ProcessDecodingOptions();
DecodingCounts& ProcessDecodingCounts();

// The threads a frame-threaded decoder gets by default: twice the processors and two more, at
// most 16. FFmpeg's own choice (processors + 1) leaves the processors idle while the stream's
// thread converts and hands over a picture.
int DecoderThreadCount();
