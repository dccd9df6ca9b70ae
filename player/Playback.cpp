#include "player/Playback.h"

#include "player/ByteOrder.h"
#include "player/CinepakDecoder.h"
#include "player/Display.h"
#include "player/FrameHandOver.h"
#include "player/Interrupt.h"
#include "player/MovieStream.h"
#include "player/SharedBlock.h"
#include "player/SoundOutput.h"
#include "player/hw/Bios.h"
#include "player/hw/Registers.h"

namespace {

using player_layout::kNoRecord;

// The next record to draw.
struct NextRecord {
    const uint8_t* record;
    uint32_t index;
};

// CPU cycles since power-on, less those that the v-blank handler has spent copying pictures
// to the screen in this pass.
uint32_t DrawingClock() {
    const hw::InterruptsMasked masked;
    return hw::CycleCount() - gPass.copyCycles;
}

// Draws the next record into its work buffer and moves on; returns the cycles it took.
uint32_t DrawNext(NextRecord& next, const BlockGrid& grid) {
    const uint32_t start = DrawingClock();
    DecodeFrameRecord(next.record, grid, next.index % kWorkBuffers);
    next.record += ReadLe16(next.record);
    ++next.index;
    return DrawingClock() - start;
}

// Whether the next record can be drawn now: its buffer holds a record that has been shown or
// passed over. Asked with interrupts masked.
bool MayDraw(const NextRecord& next) {
    return next.index < gPass.frameCount && gPass.framesTaken + kWorkBuffers > next.index;
}

void ClearSoundBuffers() {
    hw::Dma3Clear32(kavroShared.sound, sizeof(kavroShared.sound) / 4);
}

// Publishes the new pass in one go and lets the handler run it: the next v-blank is the
// pass's refresh 1. Record 0 is drawn already (`drawn` is 0 or 1).
void StartPass(const MovieStreamView& stream, uint32_t drawn, uint32_t decodeCycles) {
    hw::IME = 0;
    hw::SyncWithInterrupt();
    auto& status = kavroShared.status;
    status = {
        .passCount = status.passCount + 1,
        .refreshCount = 0,
        .framesDue = 0,
        .shownRecord = kNoRecord,
        .audioBlocksLeft = stream.audioBlockCount,
        .fillingBuffer = 1,
        .lateFrames = 0,
        .decodedRecord = drawn > 0 ? 0 : kNoRecord,
        .decodeCycles = decodeCycles,
    };
    gPass = {
        .running = true,
        .soundOn = stream.audioBlockCount > 0,
        .keysChanged = false,
        .keys = static_cast<uint16_t>(hw::KEYINPUT & hw::kKeyMask),
        .frameStep = stream.frameStep,
        .paceFraction = 0,
        .framesDueBefore = 0,
        .adpcmNext = stream.adpcm,
        .playingBuffer = 0,
        .adpcm = {},
        .frameCount = stream.frameCount,
        .framesDrawn = drawn,
        .framesTaken = 0,
        .copyCycles = 0,
    };
    hw::SyncWithInterrupt();
    hw::IME = 1;
}

// Asked with interrupts masked.
bool PassOver(const MovieStreamView& stream) {
    return gPass.keysChanged || (stream.frameCount > 0 && kavroShared.status.framesDue > stream.frameCount);
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
    // The rest of the status keeps the last pass's figures until the new pass starts.
    kavroShared.status.shownRecord = kNoRecord;
    const BlockGrid grid = ClearScreen(stream.width, stream.height);
    ResetDecoder();
    ClearSoundBuffers();

    NextRecord next{stream.firstRecord, 0};
    // Record 0 is drawn before the clock starts, so that it is never late.
    const uint32_t firstCycles = stream.frameCount > 0 ? DrawNext(next, grid) : 0;
    StartPass(stream, next.index, firstCycles);

    for (;;) {
        hw::IME = 0;
        hw::SyncWithInterrupt();
        hw::BIOS_IRQ_FLAGS = 0;  // a v-blank handled from here on ends the wait below
        if (PassOver(stream)) {
            EndPass();
            return;
        }
        // A record drawn after its v-blank began is shown if that v-blank still lasts.
        PresentDueFrame(InHandledVBlank());
        const bool draw = MayDraw(next);
        hw::IME = 1;
        if (!draw) {
            hw::WaitForInterrupt(hw::IRQ_VBLANK);
            continue;
        }
        const uint32_t cycles = DrawNext(next, grid);
        auto& status = kavroShared.status;
        status.decodeCycles = cycles;
        status.decodedRecord = next.index - 1;
        hw::SyncWithInterrupt();
        gPass.framesDrawn = next.index;
    }
}
