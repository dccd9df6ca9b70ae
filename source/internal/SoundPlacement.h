#pragma once
// Places decoded sound on the movie's time line, counted in samples from the first picture:
// sound that comes later than the samples delivered so far is preceded by silence, sound that
// overlaps them or comes before the first picture loses the overlapping samples. Differences
// within the slack are timestamp rounding and leave the sound as it comes, so sound without
// gaps is delivered sample for sample. In containers whose timestamps may jump, a difference
// beyond a limit is such a jump once sound has been delivered: the sound goes on as it comes.
// A time line may end: no sample from its end on is delivered.
#include <cstdint>
#include <optional>

class SoundPlacement {
public:
    // `slack`, `maxStep` and `end` in samples; no `maxStep`: timestamps do not jump; no `end`: none.
    SoundPlacement(int64_t slack, std::optional<int64_t> maxStep, std::optional<int64_t> end = std::nullopt)
        : slack(slack), maxStep(maxStep), end(end) {}

    struct Join {
        int64_t silence = 0;  // samples of silence to deliver before the frame
        int64_t skip = 0;     // samples at the frame's start to drop
    };
    // How a frame that begins `position` samples after the first picture (none: right after
    // the sound delivered so far) joins the time line.
    Join Place(std::optional<int64_t> position);
    // `samples` more samples (silence included) have been delivered.
    void Advance(int64_t samples) { delivered += samples; }
    // How many samples may still be delivered before the end.
    int64_t Room() const;

private:
    const int64_t slack;
    const std::optional<int64_t> maxStep;
    const std::optional<int64_t> end;
    int64_t delivered = 0;
    int64_t shift = 0;  // added to positions after jumps
};
