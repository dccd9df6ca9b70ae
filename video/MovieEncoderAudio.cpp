// The sound side of MovieEncoder: capture while the movie runs, normalise and code at its end.
#include "audio/PeakNormalizer.h"
#include "platform/ConvertNotify.h"
#include "video/MovieEncoder.h"

bool MovieEncoder::SetAudioFormat(const WaveFormatEx& format) {
    return audio.SetAudioFormat(format);
}

bool MovieEncoder::AppendAudio(const uint8_t* buffer, uint32_t length) {
    audio.AppendAudio(buffer, length);
    return true;
}

void MovieEncoder::NormalizeAudio(int level) {
    SendConvertStatus("音声のノーマライズ中...");
    NormalizeSamples(audio.CollectedSamples(), level);
}

AudioBlock MovieEncoder::EncodeAudioBlock() {
    SendConvertStatus("音声の変換中...");
    return ::EncodeAudioBlock(audio.CollectedSamples(), framesWritten, plan.frameStep, soundCoder, SeekInterval());
}
