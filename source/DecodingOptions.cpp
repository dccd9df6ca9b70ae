#include "source/DecodingOptions.h"

#include <algorithm>
#include <thread>

DecodingOptions& ProcessDecodingOptions() {
    static DecodingOptions options;
    return options;
}

DecodingCounts& ProcessDecodingCounts() {
    static DecodingCounts counts;
    return counts;
}

int DecoderThreadCount() {
    constexpr int kMostThreads = 16;
    const int processors = int(std::max(std::thread::hardware_concurrency(), 1u));
    return std::min(2 * processors + 2, kMostThreads);
}
