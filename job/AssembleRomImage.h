#pragma once
// Writes the cartridge image: the player image, then the finished movie stream, with the
// ROM name in the header's title field. The image is made in a temporary file beside the
// output, which replaces the output only when the image is complete (codes 0 and 1005) and
// the run was not aborted; otherwise it is removed and an existing output stays as it was.
// A failure leaves its cause in ErrorDetail.
#include <string>

#include "format/Cartridge.h"
#include "job/ConversionJob.h"
#include "job/ConversionRequest.h"

inline constexpr int kImageWritten = 0;
inline constexpr int kOutputNotCreated = 1001;
inline constexpr int kPlayerNotWritten = 1002;
inline constexpr int kStreamNotOpened = 1004;
inline constexpr int kImageTooLarge = 1005;  // written complete all the same
inline constexpr int kStreamNotRead = 1006;
inline constexpr int kStreamNotWritten = 1007;
inline constexpr int kAbortedCompletion = -kJobRunFailed;  // the run's abort came before the image replaced the output

inline constexpr size_t kCartridgeLimitBytes = cartridge::kMaxImageBytes;  // code 1005 above it

// Returns 0 or one of the codes above; reads request.outputPath, romName and abortEvent.
int AssembleRomImage(const ConversionRequest& request, const std::string& streamPath);
