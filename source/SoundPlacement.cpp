#include "source/internal/SoundPlacement.h"

SoundPlacement::Join SoundPlacement::Place(std::optional<int64_t> position) const {
    if (!position) return {};
    const int64_t ahead = *position - delivered;
    if (ahead > slack) return {.silence = ahead};
    if (ahead < -slack) return {.skip = -ahead};
    return {};
}
