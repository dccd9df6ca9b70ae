#include "player/MovieStream.h"

#include "format/Adpcm.h"
#include "format/Cartridge.h"
#include "format/MovieStream.h"
#include "player/ByteOrder.h"

namespace {

// Bytes from p to the end of the cartridge address space.
uint32_t BytesLeft(const uint8_t* p) {
    return cartridge::kEndAddress - reinterpret_cast<uintptr_t>(p);
}

// The audio block behind `frameCount` records from `first`, or nullptr if a record is damaged.
const uint8_t* WalkRecords(const uint8_t* first, uint32_t frameCount) {
    const uint8_t* p = first;
    for (uint32_t i = 0; i < frameCount; ++i) {
        if (BytesLeft(p) < movie_stream::kRecordHeaderBytes) {
            return nullptr;
        }
        const uint32_t length = ReadLe16(p);
        if (length < movie_stream::kRecordHeaderBytes || length > BytesLeft(p)) {
            return nullptr;
        }
        p += length;
    }
    return p;
}

}  // namespace

MovieStreamView ReadMovieStream(const uint8_t* stream) {
    MovieStreamView view{};
    view.frameCount = ReadLe32(stream + movie_stream::kFrameCountOffset);
    view.firstRecord = stream + movie_stream::kHeaderBytes;

    const uint8_t* audio = view.frameCount == 0 ? nullptr : WalkRecords(view.firstRecord, view.frameCount);
    if (audio == nullptr || BytesLeft(audio) < movie_stream::kAudioCountBytes) {
        view.frameCount = 0;
    } else {
        const uint32_t blocks = ReadLe32(audio);
        const uint32_t blocksThatFit = (BytesLeft(audio) - movie_stream::kAudioCountBytes) / kAdpcmBlockBytes;
        view.audioBlockCount = blocks < blocksThatFit ? blocks : blocksThatFit;
        view.adpcm = audio + movie_stream::kAudioCountBytes;
    }

    const uint32_t size = ReadLe32(stream + movie_stream::kSizeOffset);
    view.width = size & 0xFFFF;
    view.height = size >> 16;
    view.frameStep = ReadLe32(stream + movie_stream::kFrameStepOffset);
    return view;
}
