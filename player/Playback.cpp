#include "player/Playback.h"

#include "format/SeekPoints.h"
#include "player/ByteOrder.h"
#include "player/CinepakDecoder.h"
#include "player/ControlKeys.h"
#include "player/Controls.h"
#include "player/Display.h"
#include "player/FrameHandOver.h"
#include "player/Interrupt.h"
#include "player/MovieStream.h"
#include "player/Options.h"
#include "player/PassPlan.h"
#include "player/SeekTable.h"
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

// The image's options decide how the stream is read; with controls, its seek points are found
// before anything is shown. A block this player does not know yields an empty movie: the
// layout is never guessed from the stream.
Movie ReadMovie(const uint8_t* streamAddress) {
    const player_options::PlayerOptions options = ReadOptions();
    Movie movie{};
    if (player_options::Known(options) || player_options::IsMenu(options)) {
        movie.stream = ReadMovieStream(streamAddress);
    }
    movie.grid = ClearScreen(movie.stream.width, movie.stream.height);
    movie.soundStart = SoundStartRefresh(movie.stream.frameStep);
    movie.controls = player_options::HasControls(options);
    if (movie.controls) {
        FindSeekPoints(movie.stream, streamAddress,
                       seek_points::SeekInterval(movie.stream.frameStep, options.seekSpacingRefreshes));
    }
    return movie;
}

// Makes the decoder start the movie afresh at `record`: black codebooks, and black in the work
// buffer of the record before it for whatever `record` leaves alone. The other buffer and the
// screen keep their pictures meanwhile.
void ResetPictures(const Movie& movie, uint32_t record) {
    ClearWorkBuffer(movie.grid, (record + 1) % kWorkBuffers);
    const hw::InterruptsMasked masked;  // the handler shows pictures with DMA channel 3 too
    ResetDecoder();
}

FirstRecord DrawFirstRecord(const Movie& movie) {
    FirstRecord first{false, {movie.stream.firstRecord, 0}, 0, kavroShared.status.refreshCount};
    if (movie.stream.frameCount == 0) {
        return first;
    }
    ResetPictures(movie, 0);
    first.decodeCycles = DrawNext(first.next, movie.grid);
    first.drawn = true;
    return first;
}

void ClearSoundBuffers() {
    hw::Dma3Clear32(kavroShared.sound, sizeof(kavroShared.sound) / 4);
}

// The clock of a pass whose sound starts at `block`: the pace that block has in a pass from
// record 0, so that pictures and sound keep the distance they have there. A pass started by the
// power-on or by the keys starts at block 0 and runs its pace from 0.
PassClock ClockAt(const Movie& movie, uint32_t block) {
    const uint64_t pace = static_cast<uint64_t>(block) * movie.stream.frameStep;
    return {static_cast<uint32_t>(pace >> 16), static_cast<uint32_t>(pace & 0xFFFF), movie.soundStart};
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

// Where a pass begins: its first record, and the audio block and the clock it starts with.
struct PassOrigin {
    NextRecord record;
    uint32_t block;
    PassClock clock;
    uint32_t seekPoint;
};

// Asked with interrupts masked (the loop's carried pace).
PassOrigin OriginOf(const Movie& movie, const PassBegin& begin) {
    if (begin.start == PassStart::kSeek) {
        const SeekPoint& point = SeekPointAt(begin.seekPoint);
        const NextRecord record{point.record, begin.seekPoint * SeekInterval()};
        return {record, point.block, ClockAt(movie, point.block), begin.seekPoint};
    }
    const PassClock clock = begin.start == PassStart::kLoop ? CarriedClock(movie) : ClockAt(movie, 0);
    return {{movie.stream.firstRecord, 0}, 0, clock, 0};
}

// Stops whatever the last pass played and publishes the new pass in one go; the next v-blank
// is its refresh 1. Called with interrupts masked; `drawn` is 0 or 1 (the first record drawn).
void StartPass(const Movie& movie, uint32_t drawn, uint32_t decodeCycles, const PassBegin& begin,
               const PassOrigin& origin) {
    WaitForDisplayPeriod();
    sound::Stop();
    ClearSoundBuffers();
    const uint32_t blocks = movie.stream.audioBlockCount;
    const uint32_t blocksLeft = blocks > origin.block ? blocks - origin.block : 0;
    const uint32_t firstRecord = origin.record.index;
    const Restart restart = RestartAfter(origin.seekPoint);
    auto& status = kavroShared.status;
    status = {
        .passCount = status.passCount + 1,
        .refreshCount = 0,
        .framesDue = origin.clock.framesDue,
        .shownRecord = kNoRecord,
        .audioBlocksLeft = blocksLeft,
        .fillingBuffer = 1,
        .lateFrames = 0,
        .decodedRecord = drawn > 0 ? firstRecord : kNoRecord,
        .decodeCycles = decodeCycles,
        .firstRecord = firstRecord,
        .paused = begin.paused,
    };
    gPass = {
        .running = true,
        .soundOn = blocksLeft > 0,
        .keysChanged = false,
        .keys = static_cast<uint16_t>(hw::KEYINPUT & hw::kKeyMask),
        .showFirstAtOnce = begin.start == PassStart::kKeys || begin.start == PassStart::kSeek,
        .controls = movie.controls,
        .pause = begin.paused ? kPaused : kPlaying,
        .firstRecord = firstRecord,
        .frameStep = movie.stream.frameStep,
        .soundStart = origin.clock.soundStart,
        .paceFraction = origin.clock.paceFraction,
        .framesDueBefore = origin.clock.framesDue,
        .adpcmNext = movie.stream.adpcm + origin.block * kAdpcmBlockBytes,
        .restartAt = restart.at,
        .restartPoint = restart.point,
        .playingBuffer = 0,
        .adpcm = {},
        .frameCount = movie.stream.frameCount,
        .framesDrawn = firstRecord + drawn,
        .framesTaken = firstRecord,
        .copyCycles = 0,
    };
}

// Starts the next pass with record 0 drawn already, or with its first record to draw next.
// Called with interrupts masked; returns with them enabled.
NextRecord BeginPass(const Movie& movie, FirstRecord& first, const PassBegin& begin) {
    if (begin.start == PassStart::kSeek) {
        first = {};
    }
    const PassOrigin origin = OriginOf(movie, begin);
    StartPass(movie, first.drawn ? 1 : 0, first.decodeCycles, begin, origin);
    hw::UnmaskInterrupts();
    if (movie.controls) {
        NotePassBegun(begin);
    }
    NextRecord next = first.next;
    if (!first.drawn) {
        ResetPictures(movie, origin.record.index);
        next = origin.record;
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

// The first pass: at the place saved at the last power-off, paused, if the image has controls
// and the SRAM holds one for this movie; else from record 0, drawn before the clock starts, so
// that it is never late. Returns with interrupts enabled.
NextRecord BeginFirstPass(const Movie& movie, FirstRecord& first) {
    PassBegin begin{PassStart::kPowerOn};
    if (!movie.controls || !SavedPlace(begin)) {
        first = DrawFirstRecord(movie);
    }
    hw::MaskInterrupts();
    return BeginPass(movie, first, begin);
}

// Whether a movie of a menu is to return to it now: B down without controls (any other change of
// the keys restarts it), SELECT pressed with them. Asked with interrupts masked.
bool BackToMenu(const Movie& movie) {
    if (movie.controls) {
        return (TakeKeyPresses(static_cast<uint16_t>(~hw::KEY_SELECT)) & hw::KEY_SELECT) != 0;
    }
    return gPass.keysChanged && (hw::KEYINPUT & hw::KEY_B) == 0;
}

// Ends a movie of a menu: the handler leaves everything alone from here on.
void StopPlayback() {
    const hw::InterruptsMasked masked;
    gPass.running = false;
    sound::Stop();
    ClearSoundBuffers();
}

// The passes over one movie; from a menu (`fromMenu`), it returns where PlayMenuMovie says.
void Play(const uint8_t* streamAddress, bool fromMenu) {
    const Movie movie = ReadMovie(streamAddress);
    if (fromMenu) {
        StartWatchingKeys();  // the menu's keys are not the movie's presses
        if (movie.stream.frameCount == 0) {
            return;
        }
    }
    FirstRecord first{};
    NextRecord next = BeginFirstPass(movie, first);
    uint32_t endRefresh = kNoRecord;  // refresh by which a movie of a menu took its last record

    for (;;) {
        hw::MaskInterrupts();
        hw::BIOS_IRQ_FLAGS = 0;  // a v-blank handled from here on ends the wait below
        if (fromMenu && (BackToMenu(movie) || kavroShared.status.refreshCount > endRefresh)) {
            StopPlayback();
            return;
        }
        if (gPass.keysChanged) {
            next = BeginPass(movie, first, {PassStart::kKeys});
            endRefresh = kNoRecord;
            continue;
        }
        PassBegin asked{PassStart::kSeek};
        if (movie.controls && TakeControls(movie, asked)) {
            next = BeginPass(movie, first, asked);
            endRefresh = kNoRecord;
            continue;
        }
        if (HandOverDue(first)) {
            next = BeginPass(movie, first, {PassStart::kLoop});
            continue;
        }
        // A record drawn after its v-blank began is shown if that v-blank still lasts.
        PresentDueFrame(InHandledVBlank());
        const bool draw = MayDraw(next);
        const bool lastTaken = !draw && LastRecordTaken(movie);
        if (fromMenu && lastTaken && endRefresh == kNoRecord) {
            endRefresh = kavroShared.status.refreshCount;
        }
        const bool drawFirst = lastTaken && !fromMenu && !first.drawn;
        hw::UnmaskInterrupts();
        if (movie.controls) {
            KeepUpControls(movie);
        }
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

}  // namespace

void PlayMovie(const uint8_t* streamAddress) {
    Play(streamAddress, false);
    for (;;) {
        hw::WaitForInterrupt(hw::IRQ_VBLANK);
    }
}

void PlayMenuMovie(const uint8_t* streamAddress) {
    Play(streamAddress, true);
}
