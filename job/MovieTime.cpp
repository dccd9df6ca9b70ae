#include "job/MovieTime.h"

#include "job/TextFields.h"

#include <fmt/format.h>

#include <vector>

namespace {

constexpr int64_t kLargestWhole = int64_t(1) << 40;  // seconds or units of a field: far beyond any movie

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// Decimal digits only, at least one.
std::optional<int64_t> Whole(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > kLargestWhole) return std::nullopt;
    }
    return value;
}

// The microseconds of a fraction's digits, beyond the sixth cut off.
std::optional<int64_t> Fraction(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    int64_t value = 0;
    int64_t scale = kMicrosecondsPerSecond;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        scale /= 10;
        value += (c - '0') * scale;
    }
    return value;
}

}  // namespace

std::optional<int64_t> ParseMovieTime(std::string_view text) {
    const std::vector<std::string_view> fields = SplitFields(Trimmed(text), ':');
    if (fields.size() > 3) return std::nullopt;
    std::string_view last = fields.back();
    int64_t fraction = 0;
    if (const size_t point = last.find('.'); point != std::string_view::npos) {
        const std::optional<int64_t> part = Fraction(last.substr(point + 1));
        if (!part) return std::nullopt;
        fraction = *part;
        last = last.substr(0, point);
    }
    int64_t seconds = 0;
    for (size_t at = 0; at < fields.size(); ++at) {
        const std::optional<int64_t> value = Whole(at + 1 == fields.size() ? last : fields[at]);
        if (!value || (at > 0 && *value >= 60)) return std::nullopt;
        seconds = seconds * 60 + *value;
    }
    return seconds * kMicrosecondsPerSecond + fraction;
}

int64_t FramesDurationUs(uint64_t frames, uint32_t numerator, uint32_t denominator) {
    return int64_t((unsigned __int128)frames * denominator * kMicrosecondsPerSecond / numerator);
}

std::string FormatMovieTime(int64_t microseconds) {
    const int64_t milliseconds = microseconds / 1000;
    const int64_t seconds = milliseconds / 1000;
    std::string text = fmt::format("{}:{:02}:{:02}", seconds / 3600, seconds / 60 % 60, seconds % 60);
    if (milliseconds % 1000 != 0) text += fmt::format(".{:03}", milliseconds % 1000);
    return text;
}

std::string SpokenDuration(int64_t microseconds) {
    const int64_t seconds = microseconds / kMicrosecondsPerSecond;
    if (seconds >= 3600) return fmt::format("{}時間{}分{}秒", seconds / 3600, seconds / 60 % 60, seconds % 60);
    if (seconds >= 60) return fmt::format("{}分{}秒", seconds / 60, seconds % 60);
    return fmt::format("{}秒", seconds);
}
