#pragma once
// Times in a movie as users give them and as they are shown.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr int64_t kMicrosecondsPerSecond = 1'000'000;

// How long `frames` frames last at numerator / denominator frames a second, truncated.
int64_t FramesDurationUs(uint64_t frames, uint32_t numerator, uint32_t denominator);

// Seconds ("90", "90.5") or hours, minutes and seconds ("1:02:03.250", also "2:03"), with blanks
// around it: the time in microseconds (finer digits are cut off); none when the text is no
// such time. Minutes and seconds after a colon stay below 60.
std::optional<int64_t> ParseMovieTime(std::string_view text);

// h:mm:ss, with the milliseconds when the time has any: "1:32:10", "0:00:12.500".
std::string FormatMovieTime(int64_t microseconds);

// Minutes and seconds as the dialog says them, whole seconds cut off: "9分41秒", "1時間32分10秒".
std::string SpokenDuration(int64_t microseconds);
