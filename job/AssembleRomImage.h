#pragma once
// Writes the cartridge image: the player image, then the finished movie stream, with the
// ROM name in the header's title field and the request's options block behind the header
// (format/PlayerOptions.h: whether the player has its controls). The image is made in a temporary file beside the
// output, which replaces the output only when the image is complete (kCompleted and
// kImageTooLarge) and the run was not aborted; otherwise it is removed and an existing output
// stays as it was. A failure leaves its cause in ErrorDetail.
#include <cstddef>
#include <span>
#include <string>

#include "format/Cartridge.h"
#include "format/PlayerOptions.h"
#include "job/Completion.h"
#include "job/ConversionRequest.h"

inline constexpr size_t kCartridgeLimitBytes = cartridge::kMaxImageBytes;  // the handheld's cartridge address space

// Returns kCompleted, kImageTooLarge, one of the assembly's failures (kOutputNotCreated,
// kPlayerNotWritten, kStreamNotOpened, kStreamNotRead, kStreamNotWritten), or kRunFailed when
// the run's abort came before the image replaced the output. Reads request.outputPath, romName,
// controls and abortEvent.
CompletionCode AssembleRomImage(const ConversionRequest& request, const std::string& streamPath);

// The same for any layout: the player with `options` in its block, then `body`, then each
// stream file in turn, byte for byte.
CompletionCode AssembleImage(const ConversionRequest& request, const player_options::PlayerOptions& options,
                             std::span<const uint8_t> body, std::span<const std::string> streamPaths);
