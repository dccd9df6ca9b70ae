#pragma once
// The options block (format/PlayerOptions.h) that image assembly writes for a request, and the
// seek points the encoder makes to match it.
#include "format/PlayerOptions.h"
#include "job/ConversionRequest.h"

player_options::PlayerOptions PlayerOptionsFor(const ConversionRequest& request);
