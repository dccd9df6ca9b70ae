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
    Wait,     // nothing to do before the next interrupt
    Prepare,  // copy the next record and apply its codebooks; the work buffer is left alone
    Draw,     // draw the next record into the work buffer (preparing it first if need be)
    Show,     // copy the work buffer to the screen, now, in this v-blank
    Drop,     // a later record is due already: go on without showing this one
    End,      // the pass is over
};

// Records are drawn in order; the work buffer holds record `drawn - 1`, `pending` while it is
// neither shown nor dropped. `prepared` when record `drawn` has had its first decoding step.
struct Progress {
    const uint8_t* nextRecord;
    uint32_t drawn;
    bool pending;
    bool prepared;
    uint32_t prepareCycles;  // of record `drawn`
};

// Decided with interrupts masked, so that nothing the handler counts changes meanwhile.
Step NextStep(const MovieStreamView& stream, const Progress& progress) {
    const uint32_t due = kavroShared.status.framesDue;
    const bool moreToDraw = progress.drawn < stream.frameCount;
    if (gPass.keysChanged || (stream.frameCount > 0 && due > stream.frameCount)) {
        return Step::End;
    }
    if (!progress.pending) {
        return moreToDraw ? Step::Draw : Step::Wait;
    }
    if (due >= progress.drawn) {
        if (due > progress.drawn && moreToDraw) {
            return Step::Drop;
        }
        if (InHandledVBlank()) {
            return Step::Show;
        }
    }
    // Preparing takes well under 100,000 cycles, so a copy that waits for it still ends
    // before the next v-blank.
    return moreToDraw && !progress.prepared ? Step::Prepare : Step::Wait;
}

void Prepare(Progress& progress) {
    const uint32_t start = hw::CycleCount();
    PrepareFrameRecord(progress.nextRecord);
    progress.prepareCycles = hw::CycleCount() - start;
    progress.prepared = true;
}

// Returns the cycles that decoding the record took, both steps together.
uint32_t Draw(Progress& progress, const BlockGrid& grid) {
    if (!progress.prepared) {
        Prepare(progress);
    }
    const uint32_t start = hw::CycleCount();
    DrawFrameRecord(grid);
    const uint32_t cycles = progress.prepareCycles + (hw::CycleCount() - start);
    progress.nextRecord += ReadLe16(progress.nextRecord);
    ++progress.drawn;
    progress.pending = true;
    progress.prepared = false;
    return cycles;
}

void ClearSoundBuffers() {
    for (auto& buffer : kavroShared.sound) {
        buffer = {};
    }
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
    };
    hw::SyncWithInterrupt();
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
    // The rest of the status keeps the last pass's figures until the new pass starts.
    kavroShared.status.shownRecord = kNoRecord;
    const BlockGrid grid = ClearScreen(stream.width, stream.height);
    ResetCodebooks();
    ClearSoundBuffers();

    Progress progress{stream.firstRecord, 0, false, false, 0};
    // Record 0 is drawn before the clock starts, so that it is never late.
    const uint32_t firstCycles = stream.frameCount > 0 ? Draw(progress, grid) : 0;
    StartPass(stream, progress.drawn, firstCycles);

    for (;;) {
        hw::IME = 0;
        hw::SyncWithInterrupt();
        const Step step = NextStep(stream, progress);
        // The pending record was due at an earlier refresh than the one being handled now.
        const bool late = gPass.framesDueBefore >= progress.drawn;
        if (step == Step::Wait) {
            hw::Halt();
        }
        hw::IME = 1;

        auto& status = kavroShared.status;
        switch (step) {
        case Step::Wait: break;
        case Step::Prepare: Prepare(progress); break;
        case Step::Draw: {
            const uint32_t cycles = Draw(progress, grid);
            status.decodeCycles = cycles;
            status.decodedRecord = progress.drawn - 1;
            break;
        }
        case Step::Show:
            ShowWorkBuffer();
            status.shownRecord = progress.drawn - 1;
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
