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

// What the player takes from the stream once: the stream never changes.
struct Movie {
    MovieStreamView stream;
    BlockGrid grid;
    uint32_t soundStart;  // refresh of a pass at which its first sound sample plays
};

// How a pass begins.
enum class PassStart { kPowerOn, kLoop, kKeys };

// Record 0 of the next pass, drawn into work buffer 0 before that pass starts.
struct FirstRecord {
    bool drawn;
    NextRecord next;        // the record after it
    uint32_t decodeCycles;
    uint32_t takenRefresh;  // refresh of the running pass by which its last record was taken
};

// Where the pace of a new pass begins, and the refresh at which its sound starts.
struct PassClock {
    uint32_t framesDue;
    uint32_t paceFraction;
    uint32_t soundStart;
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

// Record 0 plays at the movie's time 0, the time of the sound's first sample. A record is due
// when the pace reaches the end of its slot, one slot (65536 / frameStep refreshes) into the
// pass, at the v-blank of the first refresh at or after it, and is seen 68 lines (0.30
// refreshes) later, when the display draws line 0; a sound started at a v-blank is heard 0.07
// refreshes later, behind the samples FIFO A holds. Records are thus seen up to one refresh
// after their time, never before: the sound starts at the first refresh at or after
// 65536 / frameStep + 0.23, so that every beep comes within one refresh of its flash, and
// never before refresh 2, since refresh 1 decodes the first block.
uint32_t SoundStartRefresh(uint32_t frameStep) {
    if (frameStep == 0 || frameStep >= 0x10000) {
        return 2;
    }
    // 0.23 is 59 / 256; the ceiling is taken by adding frameStep - 1.
    const uint32_t refresh = (0x10000 + frameStep * 59 / 256 + frameStep - 1) / frameStep;
    return refresh > 2 ? refresh : 2;
}

Movie ReadMovie(const uint8_t* streamAddress) {
    Movie movie;
    movie.stream = ReadMovieStream(streamAddress);
    movie.grid = ClearScreen(movie.stream.width, movie.stream.height);
    movie.soundStart = SoundStartRefresh(movie.stream.frameStep);
    return movie;
}

// Makes the decoder start the movie afresh: black codebooks, and black in work buffer 1 for
// whatever record 0 leaves alone. Buffer 0 and the screen keep their pictures meanwhile.
void ResetPictures(const Movie& movie) {
    ClearWorkBuffer(movie.grid, 1);
    const hw::InterruptsMasked masked;  // the handler shows pictures with DMA channel 3 too
    ResetDecoder();
}

FirstRecord DrawFirstRecord(const Movie& movie) {
    FirstRecord first{false, {movie.stream.firstRecord, 0}, 0, kavroShared.status.refreshCount};
    if (movie.stream.frameCount == 0) {
        return first;
    }
    ResetPictures(movie);
    first.decodeCycles = DrawNext(first.next, movie.grid);
    first.drawn = true;
    return first;
}

void ClearSoundBuffers() {
    hw::Dma3Clear32(kavroShared.sound, sizeof(kavroShared.sound) / 4);
}

// A pass started by the power-on or by the keys runs its pace from 0.
PassClock FreshClock(const Movie& movie) {
    return {0, 0, movie.soundStart};
}

// A loop carries the pace on, less the records of the pass, so that record 0 becomes due
// exactly when a record after the last one would. The sound starts earlier by the pace carried
// over, keeping its distance from record 0 to the nearest refresh. Asked with interrupts masked.
PassClock CarriedClock(const Movie& movie) {
    const uint32_t step = movie.stream.frameStep;
    const uint32_t framesDue = kavroShared.status.framesDue - movie.stream.frameCount;
    const uint64_t carried = (static_cast<uint64_t>(framesDue) << 16) + gPass.paceFraction;
    const uint64_t soundPace = static_cast<uint64_t>(movie.soundStart) * step;
    const uint64_t soundStart = soundPace > carried ? (soundPace - carried + step / 2) / step : 0;
    return {framesDue, gPass.paceFraction, soundStart > 2 ? static_cast<uint32_t>(soundStart) : 2};
}

// Lets a v-blank that has begun, or begins within the next lines, be handled first, so that
// a pass is published in a display period and its refresh 1 is the v-blank after it. Called
// with interrupts masked; returns with them masked.
void WaitForDisplayPeriod() {
    constexpr uint16_t kLastPublishLine = 156;  // publishing takes well under a line
    const uint16_t line = hw::VCOUNT;
    if ((hw::IF & hw::IRQ_VBLANK) == 0 && (line < kLastPublishLine || line >= hw::kFirstVBlankLine)) {
        return;
    }
    hw::BIOS_IRQ_FLAGS = 0;
    hw::WaitForInterrupt(hw::IRQ_VBLANK);
    hw::MaskInterrupts();
}

// Stops whatever the last pass played and publishes the new pass in one go; the next v-blank
// is its refresh 1. Called with interrupts masked; `drawn` is 0 or 1 (record 0 drawn).
void StartPass(const Movie& movie, uint32_t drawn, uint32_t decodeCycles, PassStart start) {
    WaitForDisplayPeriod();
    const PassClock clock = start == PassStart::kLoop ? CarriedClock(movie) : FreshClock(movie);
    sound::Stop();
    ClearSoundBuffers();
    auto& status = kavroShared.status;
    status = {
        .passCount = status.passCount + 1,
        .refreshCount = 0,
        .framesDue = clock.framesDue,
        .shownRecord = kNoRecord,
        .audioBlocksLeft = movie.stream.audioBlockCount,
        .fillingBuffer = 1,
        .lateFrames = 0,
        .decodedRecord = drawn > 0 ? 0 : kNoRecord,
        .decodeCycles = decodeCycles,
    };
    gPass = {
        .running = true,
        .soundOn = movie.stream.audioBlockCount > 0,
        .keysChanged = false,
        .keys = static_cast<uint16_t>(hw::KEYINPUT & hw::kKeyMask),
        .showFirstAtOnce = start == PassStart::kKeys,
        .frameStep = movie.stream.frameStep,
        .soundStart = clock.soundStart,
        .paceFraction = clock.paceFraction,
        .framesDueBefore = clock.framesDue,
        .adpcmNext = movie.stream.adpcm,
        .playingBuffer = 0,
        .adpcm = {},
        .frameCount = movie.stream.frameCount,
        .framesDrawn = drawn,
        .framesTaken = 0,
        .copyCycles = 0,
    };
}

// Starts the next pass with the record 0 drawn already, or with record 0 to draw next.
// Called with interrupts masked; returns with them enabled.
NextRecord BeginPass(const Movie& movie, FirstRecord& first, PassStart start) {
    StartPass(movie, first.drawn ? 1 : 0, first.decodeCycles, start);
    hw::UnmaskInterrupts();
    NextRecord next = first.next;
    if (!first.drawn) {
        ResetPictures(movie);
        next = {movie.stream.firstRecord, 0};
    }
    first = {};
    return next;
}

// The last record of the pass was on the screen for a whole refresh, for the status to show
// it, and record 0 of the next pass is drawn: the next pass takes over. Asked with interrupts
// masked.
bool HandOverDue(const FirstRecord& first) {
    return first.drawn && kavroShared.status.refreshCount > first.takenRefresh;
}

// Every record of the pass is on the screen or passed over, so work buffer 0 is free for
// record 0 of the next pass. Asked with interrupts masked.
bool LastRecordTaken(const Movie& movie) {
    return movie.stream.frameCount > 0 && gPass.framesTaken >= movie.stream.frameCount;
}

}  // namespace

void PlayMovie(const uint8_t* streamAddress) {
    const Movie movie = ReadMovie(streamAddress);
    // Record 0 is drawn before the clock starts, so that it is never late.
    FirstRecord first = DrawFirstRecord(movie);
    hw::MaskInterrupts();
    NextRecord next = BeginPass(movie, first, PassStart::kPowerOn);

    for (;;) {
        hw::MaskInterrupts();
        hw::BIOS_IRQ_FLAGS = 0;  // a v-blank handled from here on ends the wait below
        if (gPass.keysChanged) {
            next = BeginPass(movie, first, PassStart::kKeys);
            continue;
        }
        if (HandOverDue(first)) {
            next = BeginPass(movie, first, PassStart::kLoop);
            continue;
        }
        // A record drawn after its v-blank began is shown if that v-blank still lasts.
        PresentDueFrame(InHandledVBlank());
        const bool draw = MayDraw(next);
        const bool drawFirst = !draw && !first.drawn && LastRecordTaken(movie);
        hw::UnmaskInterrupts();
        if (drawFirst) {
            first = DrawFirstRecord(movie);
            continue;
        }
        if (!draw) {
            hw::WaitForInterrupt(hw::IRQ_VBLANK);
            continue;
        }
        const uint32_t cycles = DrawNext(next, movie.grid);
        auto& status = kavroShared.status;
        status.decodeCycles = cycles;
        status.decodedRecord = next.index - 1;
        hw::SyncWithInterrupt();
        gPass.framesDrawn = next.index;
    }
}
