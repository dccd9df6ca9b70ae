#include "player/Playback.h"

#include "player/ByteOrder.h"
#include "player/CinepakDecoder.h"
#include "player/Display.h"
#include "player/Interrupt.h"
#include "player/MovieStream.h"
#include "player/SharedBlock.h"
#include "player/SoundOutput.h"
#include "player/hw/Bios.h"
#include "player/hw/Registers.h"

namespace {

using player_layout::kNoRecord;

enum class Step {
    Wait,    // nothing to do before the next interrupt
    Decode,  // decode the next record into the work buffer
    Show,    // copy the work buffer to the screen, now, in this v-blank
    Drop,    // a later record is due already: go on decoding without showing this one
    End,     // the pass is over
};

// The work buffer holds record `decoded - 1`; `pending` while it is neither shown nor dropped.
struct Progress {
    const uint8_t* nextRecord;
    uint32_t decoded;
    bool pending;
};

// Decides with interrupts masked, so that nothing the handler counts changes meanwhile.
Step NextStep(const MovieStreamView& stream, const Progress& progress) {
    const uint32_t due = kavroShared.status.framesDue;
    if (gPass.keysChanged || (stream.frameCount > 0 && due > stream.frameCount)) {
        return Step::End;
    }
    if (progress.pending && due >= progress.decoded) {
        if (due > progress.decoded && progress.decoded < stream.frameCount) {
            return Step::Drop;
        }
        return InHandledVBlank() ? Step::Show : Step::Wait;
    }
    if (!progress.pending && progress.decoded < stream.frameCount) {
        return Step::Decode;
    }
    return Step::Wait;
}

void DecodeNext(Progress& progress, const BlockGrid& grid) {
    auto& status = kavroShared.status;
    const uint32_t start = hw::CycleCount();
    DecodeFrameRecord(progress.nextRecord, grid);
    status.decodeCycles = hw::CycleCount() - start;
    status.decodedRecord = progress.decoded;
    progress.nextRecord += ReadLe16(progress.nextRecord);
    ++progress.decoded;
    progress.pending = true;
}

void ClearSoundBuffers() {
    for (auto& buffer : kavroShared.sound) {
        buffer = {};
    }
}

// Everything but the pass count, which StartPass raises when the clock starts.
void PreparePass(const MovieStreamView& stream) {
    auto& status = kavroShared.status;
    status = {
        .passCount = status.passCount,
        .refreshCount = 0,
        .framesDue = 0,
        .shownRecord = kNoRecord,
        .audioBlocksLeft = stream.audioBlockCount,
        .fillingBuffer = 1,
        .lateFrames = 0,
        .decodedRecord = kNoRecord,
        .decodeCycles = 0,
    };
    gPass = {
        .running = false,
        .soundOn = stream.audioBlockCount > 0,
        .keysChanged = false,
        .keys = static_cast<uint16_t>(hw::KEYINPUT & hw::kKeyMask),
        .frameStep = stream.frameStep,
        .paceFraction = 0,
        .framesDueBefore = 0,
        .adpcmNext = stream.adpcm,
        .playingBuffer = 0,
        .adpcm = {},
    };
}

// From here on the next v-blank is refresh 1 of the pass.
void StartPass() {
    hw::IME = 0;
    hw::SyncWithInterrupt();
    ++kavroShared.status.passCount;
    gPass.running = true;
    hw::IME = 1;
}

void EndPass() {
    hw::IME = 0;
    hw::SyncWithInterrupt();
    gPass.running = false;
    sound::Stop();
    hw::IME = 1;
}

}  // namespace

void RunPass(const uint8_t* streamAddress) {
    const MovieStreamView stream = ReadMovieStream(streamAddress);
    PreparePass(stream);  // before the screen goes black: no record is shown from here on
    const BlockGrid grid = ClearScreen(stream.width, stream.height);
    ResetCodebooks();
    ClearSoundBuffers();

    Progress progress{stream.firstRecord, 0, false};
    if (stream.frameCount > 0) {
        DecodeNext(progress, grid);  // before the clock starts, so that record 0 is never late
    }
    StartPass();

    for (;;) {
        hw::IME = 0;
        hw::SyncWithInterrupt();
        const Step step = NextStep(stream, progress);
        // The record was due at an earlier refresh than the one being handled now.
        const bool late = gPass.framesDueBefore >= progress.decoded;
        if (step == Step::Wait) {
            hw::Halt();
        }
        hw::IME = 1;

        auto& status = kavroShared.status;
        switch (step) {
        case Step::Wait: break;
        case Step::Decode: DecodeNext(progress, grid); break;
        case Step::Show:
            ShowWorkBuffer();
            status.shownRecord = progress.decoded - 1;
            status.lateFrames += late;
            progress.pending = false;
            break;
        case Step::Drop:
            ++status.lateFrames;
            progress.pending = false;
            break;
        case Step::End: EndPass(); return;
        }
    }
}
