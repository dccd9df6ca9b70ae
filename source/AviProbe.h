#pragma once
// Reads the frame rate of an AVI file's first video stream from its stream header, for
// decoders that state none.
#include <cstdint>
#include <string>

// True when the file is an AVI file with a video stream header; `rate` / `scale` frames per
// second are written only then. Any other file, or a damaged one, gives false.
[[nodiscard]] bool ProbeAviFrameRate(const std::string& path, uint32_t& rate, uint32_t& scale);
