#pragma once
// How much a decoding shortcut changes what the handheld shows: the pictures the compressor is
// given and the image's pictures, each against the pictures of the full decode after scaling.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ShortcutEffect {
    bool ok = false;
    double input = 0;         // dB: the compressor's input with the shortcut, against without
    double withoutImage = 0;  // dB: the image's pictures without the shortcut, against that input
    double withImage = 0;     // dB: the image's pictures with the shortcut, against the same
    std::vector<uint8_t> image, shortcutImage;  // without and with
    double Loss() const { return withoutImage - withImage; }
};

// Converts `movie` with the default settings, with the shortcut off and on (`useShortcut` sets
// it for the conversions that follow; it is left off), writing into `folder`.
ShortcutEffect MeasureShortcut(const std::string& movie, const std::string& folder,
                               const std::function<void(bool)>& useShortcut);
