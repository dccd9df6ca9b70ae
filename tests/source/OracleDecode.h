#pragma once
// An independent decode of a movie's best video stream with FFmpeg's usual loop, to compare
// the source's pictures against: top-down B,G,R rows without padding.
#include <cstdint>
#include <string>
#include <vector>

std::vector<std::vector<uint8_t>> DecodePicturesWithFFmpeg(const std::string& path);
