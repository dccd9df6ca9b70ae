#include "cli/PlayerImage.h"

#include "resources/Resources.h"

namespace {

constexpr size_t kTitleOffset = 160;
constexpr size_t kTitleBytes = 12;
constexpr size_t kComplementOffset = 0xBD;

bool IsRewrittenByAssembly(size_t at) {
    return (at >= kTitleOffset && at < kTitleOffset + kTitleBytes) || at == kComplementOffset;
}

}  // namespace

std::span<const uint8_t> PlayerImageBytes() {
    const auto player = FindModuleResource("BINARY", 130);
    if (!player) return {};
    return *player;
}

bool ImageBeginsWithPlayer(std::span<const uint8_t> image, std::span<const uint8_t> player) {
    if (player.empty() || image.size() < player.size()) return false;
    for (size_t at = 0; at < player.size(); ++at)
        if (image[at] != player[at] && !IsRewrittenByAssembly(at)) return false;
    return true;
}
