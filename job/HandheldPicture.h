#pragma once
// One picture of a movie as the handheld will show it with a conversion's settings: the
// encoder's own plan, crop, scale, screen correction and pre-filter, reduced to the screen's
// 15-bit colour and centred on its black; and the same picture once coded as one intra frame
// of Cinepak at the plan's per-frame budget.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "job/ConversionJob.h"
#include "source/MovieFacts.h"
#include "video/VideoPlan.h"

struct HandheldPicture {
    VideoPlan plan;               // as the encoder plans it
    std::vector<uint8_t> scaled;  // the encoder's frame: bottom-up B,G,R, rows of outputWidth x 3 bytes
    std::vector<uint8_t> screen;  // 240 x 160, top-down R,G,B
};

struct CodedPicture {
    std::vector<uint8_t> frame;   // the Cinepak frame
    std::vector<uint8_t> screen;  // what a decoder shows of it, as HandheldPicture::screen
};

// `shown` is a picture of the movie of `facts` as its decoder delivers them (ShownPictureAt).
// None with the user's words in `error` when the encoder refuses the settings or the picture.
std::optional<HandheldPicture> PictureOnHandheld(const JobArguments& arguments, const MovieFacts& facts,
                                                 std::span<const uint8_t> shown, std::string& error);

// Codes the picture as the first frame of a stream at its plan's average frame budget.
std::optional<CodedPicture> CodeOnHandheld(const HandheldPicture& picture, std::string& error);
