#pragma once
// Places decoded sound on the movie's time line, counted in samples from the first picture:
// sound that comes later than the samples delivered so far is preceded by silence, sound that
// overlaps them or comes before the first picture loses the overlapping samples. Differences
// within the slack are timestamp rounding and leave the sound as it comes, so sound without
// gaps is delivered sample for sample.
#include <cstdint>
#include <optional>

class SoundPlacement {
public:
    // `slack` in samples.
    explicit SoundPlacement(int64_t slack) : slack(slack) {}

    struct Join {
        int64_t silence = 0;  // samples of silence to deliver before the frame
        int64_t skip = 0;     // samples at the frame's start to drop
    };
    // How a frame that begins `position` samples after the first picture (none: right after
    // the sound delivered so far) joins the time line.
    Join Place(std::optional<int64_t> position) const;
    // `samples` more samples (silence included) have been delivered.
    void Advance(int64_t samples) { delivered += samples; }

private:
    const int64_t slack;
    int64_t delivered = 0;
};
