#include "job/DialogInteger.h"

#include <algorithm>
#include <limits>

namespace {

constexpr size_t kReadBytes = 31;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The part of the text that is read. Every valid character is ASCII and takes one byte in code
// page 932 as in UTF-8, and any other character makes the text fail wherever it starts within
// the 31 bytes; so cutting the UTF-8 bytes at 31 gives the same verdict as cutting the CP932 bytes.
std::string_view ReadPart(std::string_view text) { return text.substr(0, std::min(text.size(), kReadBytes)); }

}  // namespace

std::optional<int32_t> ParseDialogInteger(std::string_view utf8) {
    std::string_view text = ReadPart(utf8);
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    const size_t start = at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    if (at == text.size() || !IsDigit(text[at])) return std::nullopt;

    int64_t magnitude = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        // Saturate rather than wrap: an overlong number then fails the range check.
        magnitude = std::min<int64_t>(magnitude * 10 + (text[at] - '0'), int64_t{1} << 32);
    }
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at != text.size()) return std::nullopt;

    const int64_t value = negative ? -magnitude : magnitude;
    if (value == 0 && text[start] != '0') return std::nullopt;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}
