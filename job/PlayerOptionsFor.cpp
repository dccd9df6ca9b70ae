#include "job/PlayerOptionsFor.h"

#include "format/SeekPoints.h"

player_options::PlayerOptions PlayerOptionsFor(const ConversionRequest& request) {
    return request.controls != 0 ? player_options::WithControls(seek_points::kSpacingRefreshes)
                                 : player_options::Off();
}
