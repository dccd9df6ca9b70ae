#include "job/PlayerImage.h"

#include "format/CartridgeImage.h"
#include "resources/Resources.h"

std::span<const uint8_t> PlayerImageBytes() {
    const auto player = FindModuleResource("BINARY", 130);
    if (!player) return {};
    return *player;
}

bool ImageBeginsWithPlayer(std::span<const uint8_t> image, std::span<const uint8_t> player) {
    if (player.empty() || image.size() < player.size()) return false;
    for (size_t at = 0; at < player.size(); ++at)
        if (image[at] != player[at] && !cartridge_image::IsAssembled(uint32_t(at))) return false;
    return true;
}
