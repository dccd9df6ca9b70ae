#include "source/internal/SoundPlacement.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

SoundPlacement::Join SoundPlacement::Place(std::optional<int64_t> position) {
    if (!position) return {};
    int64_t ahead = *position + shift - delivered;
    if (maxStep && delivered > 0 && std::abs(ahead) > *maxStep) {
        shift -= ahead;
        ahead = 0;
    }
    if (ahead > slack) return {.silence = ahead};
    if (ahead < -slack) return {.skip = -ahead};
    return {};
}

int64_t SoundPlacement::Room() const {
    return end ? std::max<int64_t>(*end - delivered, 0) : std::numeric_limits<int64_t>::max();
}
