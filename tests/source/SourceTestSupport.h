#pragma once
// Shared pieces of the media source tests: a scratch folder, fixture movies, callbacks that
// record what a grabber delivers, and reading the recorded pictures back.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "source/MediaSource.h"
#include "source/SampleGrabberCB.h"
#include "tests/source/FixtureMovies.h"
#include "tests/support/ScratchFolder.h"
#include "video/MovieEncoder.h"


// Writes a fixture movie; skips the test when FFmpeg lacks one of its encoders.
#define WRITE_FIXTURE(path, movie)                                                       \
    do {                                                                                 \
        std::string fixtureMessage;                                                      \
        const FixtureStatus fixtureStatus = WriteFixtureMovie(path, movie, fixtureMessage); \
        if (fixtureStatus == FixtureStatus::EncoderMissing) GTEST_SKIP() << fixtureMessage; \
        ASSERT_EQ(fixtureStatus, FixtureStatus::Written) << fixtureMessage;               \
    } while (false)

// Records every buffer a grabber hands over. Lives on the test's stack, longer than any
// graph it is registered with, so its reference count is not used to free it.
class RecordingCallback final : public ISampleGrabberCB {
public:
    HRESULT QueryInterface(const GUID& iid, void** object) override;
    uint32_t AddRef() override { return 2; }
    uint32_t Release() override { return 1; }
    HRESULT SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
    HRESULT BufferCB(double sampleTime, uint8_t* buffer, int32_t length) override;

    // Called after each buffer has been recorded, on the delivering thread.
    std::function<void(size_t buffersSoFar)> afterEach;
    std::vector<std::vector<uint8_t>> buffers;
    std::atomic<size_t> count{0};
};

// An encoder that keeps every frame at its own size and leaves the picture untouched.
std::unique_ptr<MovieEncoder> PlainEncoder();

// Builds the graph for a movie with a plain encoder and puts the recorders in place of the sinks.
struct RecordedSource {
    RecordingCallback pictures;
    RecordingCallback sound;
    std::unique_ptr<MovieEncoder> encoder = PlainEncoder();
    std::unique_ptr<SourceGraph> graph;

    [[nodiscard]] bool Build(const std::string& path);
};

// The frame number a delivered picture (bottom-up B,G,R) shows.
int ReadFrameNumber(const std::vector<uint8_t>& buffer, int width, int height);

// Expects every picture in order, each showing its own frame number and, at the centre of
// each coloured block, the fixture's colour (each channel within `tolerance`).
void ExpectPicturesInOrder(const std::vector<std::vector<uint8_t>>& pictures, int width, int height, int frameCount,
                           int tolerance);

// Resets the process-wide run state, as a new run does.
void ClearRunState();
