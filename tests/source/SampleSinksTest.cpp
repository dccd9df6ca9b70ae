// The two sample sinks: their object shape, and what each hands to the encoder.
#include <gtest/gtest.h>

#include <vector>

#include "source/SampleSinks.h"
#include "tests/source/SourceTestSupport.h"

namespace {

constexpr GUID kOtherInterface{0x56A86895, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

template <class Sink>
void ExpectComShape() {
    ComPtr<Sink> sink = Sink::Create();  // one reference, held here
    for (const GUID& iid : {IID_IUnknown, IID_ISampleGrabberCB}) {
        void* object = nullptr;
        EXPECT_EQ(sink->QueryInterface(iid, &object), S_OK);
        EXPECT_EQ(object, static_cast<ISampleGrabberCB*>(sink.get()));
        // The query added one reference: this AddRef makes three, the Release two.
        EXPECT_EQ(sink->AddRef(), 3u);
        EXPECT_EQ(sink->Release(), 2u);
        EXPECT_EQ(static_cast<ISampleGrabberCB*>(object)->Release(), 1u);
    }
    void* object = &object;
    EXPECT_EQ(sink->QueryInterface(kOtherInterface, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(sink->AddRef(), 2u);  // unchanged by the refused query
    EXPECT_EQ(sink->Release(), 1u);
    EXPECT_EQ(sink->SampleCB(0.0, nullptr), E_NOTIMPL);
}

TEST(SampleSinks, HaveTheCallbackObjectShape) {
    ExpectComShape<VideoSampleSink>();
    ExpectComShape<AudioSampleSink>();
}

TEST(SampleSinks, LastReleaseFreesTheSink) {
    // Leak checking in the sanitizer build notices a sink that is not freed.
    ComPtr<VideoSampleSink> sink = VideoSampleSink::Create();
    VideoSampleSink* raw = sink.get();
    raw->AddRef();
    sink = {};
    EXPECT_EQ(raw->Release(), 0u);
}

TEST(SampleSinks, VideoBuffersGoToTheEncoderWhateverTheirLength) {
    std::unique_ptr<MovieEncoder> encoder = PlainEncoder();
    ComPtr<VideoSampleSink> sink = VideoSampleSink::Create();
    sink->SetEncoder(encoder.get());
    std::vector<uint8_t> frame(16);
    EXPECT_EQ(sink->BufferCB(0.0, frame.data(), int32_t(frame.size())), S_OK);
    EXPECT_EQ(sink->BufferCB(0.0, frame.data(), 0), S_OK);
    EXPECT_EQ(encoder->SourceFrameCount(), 2u);  // both counted as source frames
}

TEST(SampleSinks, SoundBuffersOfAtLeastOneByteGoToTheEncoder) {
    std::unique_ptr<MovieEncoder> encoder = PlainEncoder();
    WaveFormatEx format;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 21024;  // collected one for one
    format.nAvgBytesPerSec = 42048;
    format.nBlockAlign = 2;
    format.wBitsPerSample = 16;
    ASSERT_TRUE(encoder->SetAudioFormat(format));
    ComPtr<AudioSampleSink> sink = AudioSampleSink::Create();
    sink->SetEncoder(encoder.get());

    std::vector<int16_t> samples{100, -200, 300, -400};
    auto* bytes = reinterpret_cast<uint8_t*>(samples.data());
    EXPECT_EQ(sink->BufferCB(0.0, bytes, 0), S_OK);
    EXPECT_EQ(sink->BufferCB(0.0, bytes, -8), S_OK);
    EXPECT_TRUE(encoder->CollectedSamples().empty());
    EXPECT_EQ(sink->BufferCB(0.0, bytes, 8), S_OK);
    // At the collecting rate each frame but the buffer's last is collected at once.
    EXPECT_EQ(encoder->CollectedSamples(), (std::vector<int16_t>{100, -200, 300}));
}

}  // namespace
