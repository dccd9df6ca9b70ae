#include "job/ImageFile.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <ios>
#include <iterator>

#include "job/PlayerImage.h"

ImageFile ReadImageFile(const std::string& path) {
    ImageFile file;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        file.error = fmt::format("cannot open {}", path);
        return file;
    }
    try {
        file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        // The stream buffer throws where read() fails (a folder opens but cannot be read).
        file.bytes.clear();
        file.error = fmt::format("cannot read {}", path);
        return file;
    }
    if (in.bad()) file.error = fmt::format("cannot read {}", path);
    return file;
}

StreamLocation LocateStream(std::span<const uint8_t> image, std::optional<size_t> given) {
    if (given) {
        if (*given > image.size())
            return {0, {}, fmt::format("stream offset {} lies beyond the {} bytes of the image", *given, image.size())};
        return {*given, "given", {}};
    }
    const std::span<const uint8_t> player = PlayerImageBytes();
    if (!ImageBeginsWithPlayer(image, player))
        return {0, {},
                "the image does not begin with this build's player program; give its size with --stream-offset"};
    return {player.size(), "this build's player", {}};
}
