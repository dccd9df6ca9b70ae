#include "source/internal/SoundPlacement.h"

#include <cstdlib>

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
