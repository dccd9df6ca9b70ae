// Refuses a built player image that the handheld's start-up would refuse, or behind which the
// movie stream would not start aligned. Run by the build on every new image.
// Usage: kavro_check_player_image IMAGE
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "format/Cartridge.h"
#include "format/CartridgeImage.h"

namespace {

const char* FirstFailure(const std::vector<uint8_t>& image) {
    static_assert(cartridge::kFixedByte == 0x96, "the text below names it");
    if (image.size() < cartridge::kHeaderBytes) return "it is shorter than a cartridge header";
    if (image.size() % cartridge_image::kPlayerAlignment != 0) return "its size is not a multiple of 4";
    const uint8_t* header = image.data();
    if (!cartridge::EntryIsBranch(header)) return "its entry at offset 0 is not an ARM branch";
    if (!cartridge::LogoIsTheHandhelds(header)) return "its boot logo differs from the handheld's";
    if (!cartridge::FixedByteIsSet(header)) return "the header's fixed byte is not 0x96";
    if (!cartridge::ComplementMatches(header)) return "the header's complement byte does not match the header";
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s IMAGE\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot be opened\n", argv[1]);
        return 1;
    }
    const std::vector<uint8_t> image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (const char* failure = FirstFailure(image)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], failure);
        return 1;
    }
    return 0;
}
