#pragma once
// How the decoders of every conversion in this process work. Every conversion runs with the
// defaults; tests and benchmarks change them to compare the output or
// the time of other ways of decoding the same movie.
#include <atomic>

struct DecodingOptions {
    // Threads of a decoder that works on several pictures at once; 0: the count chosen for
    // this machine (DecoderThreadCount).
    std::atomic<int> decoderThreads{0};
};

DecodingOptions& ProcessDecodingOptions();

// The threads a frame-threaded decoder gets by default: twice the processors and two more, at
// most 16. FFmpeg's own choice (processors + 1) leaves the processors idle while the stream's
// thread converts and hands over a picture.
int DecoderThreadCount();
