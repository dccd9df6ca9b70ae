#pragma once
// The stream's rate-distortion slope: the frames of a stretch of the movie take trade-offs
// within a band around one slope, so that a frame stops where its gain per byte falls well
// below what the frames around it get for theirs, and goes on where it lies well above. Easy
// frames then leave bytes in the cumulative budget, and cuts and detail spend them.
//
// The desired size of frame k is what the cumulative target leaves, T(k) - produced(k - 1), so
// what it holds beyond one average frame is the savings of the frames before it. A frame aims at
// one average frame plus a share of the savings beyond a reserve kept for the next cut, at a
// trade-off held within the band: a frame much harder than the slope (a cut, a fade) spends
// the reserve, a frame much easier leaves more. Towards the end of a stream of known length the
// reserve goes too. The slope follows the trade-offs that would have filled the aimed sizes.
// Harder frames (more error at their aim: a cut, a fade, grain) take a lower trade-off than the
// slope, so that the pictures the frames after them build on get the bytes.
// The desired size stays a hard ceiling: a frame that cannot fit at the band's top takes the
// larger trade-off that fits.
#include <cstddef>
#include <cstdint>
#include <limits>

namespace cinepak {

// What the stream is told of its rate before it begins.
struct StreamRate {
    uint32_t averageFrameBytes = 0;  // the data rate's share of one frame; 0: unknown
    uint32_t frames = 0;             // frames the stream will have; 0: unknown
};

class RateSlope {
public:
    // Without an average frame size every frame fills its desired size. `samples`: colour
    // samples per picture.
    RateSlope(const StreamRate& rate, size_t samples);

    // The size to aim at, at most the desired size; without a slope (yet), the desired size.
    uint32_t Aim(uint32_t desiredBytes) const;
    struct Band {
        double low = 0;  // trade-offs (squared error per bit) to keep to while aiming
        double high = std::numeric_limits<double>::infinity();
    };
    // For a frame whose squared error at the size it aims at is `error`; without a slope, any.
    Band For(double error) const;
    // The trade-off to plan a frame with, one as hard as the last; 0 when there is no slope yet.
    double Slope() const;
    // After each frame: the trade-off that would have filled the size it aimed at (infinite:
    // none would; 0: not known), and the frame's squared error at that size.
    void Record(double aimLambda, double error);

private:
    // What a frame of this error counts for against the slope.
    double Hardness(double error) const;

    double average_;
    uint32_t frames_;
    double leastError_;  // one squared level per sample, so that a flawless frame has an error to go by
    uint32_t done_ = 0;  // frames recorded
    double lastError_ = 0;
    // For a frame of unit error; 0 until the first frame that could fill its aim has set it.
    double slope_ = 0;
};

}  // namespace cinepak
