#include "player/Controls.h"

#include "format/MovieStream.h"
#include "format/PlayerLayout.h"
#include "format/SeekPoints.h"
#include "player/ControlKeys.h"
#include "player/Hint.h"
#include "player/Interrupt.h"
#include "player/SavedPlace.h"
#include "player/SeekTable.h"
#include "player/SharedBlock.h"
#include "player/hw/Registers.h"

namespace {

using player_layout::kNoRecord;

// How far the keys seek, in refreshes of movie time: 10 and 60 seconds at 59.727 refreshes a
// second, to the nearest refresh.
constexpr int32_t kShortSeekRefreshes = 597;
constexpr int32_t kLongSeekRefreshes = 3584;
constexpr uint16_t kPauseKeys = hw::KEY_START | hw::KEY_A;

struct ControlState {
    HintKind hint;
    uint32_t savedRecord;  // what the SRAM holds for this movie; kNoRecord: nothing yet
};

ControlState gControls{HintKind::kPaused, kNoRecord};

// A pause asked for, under way or in place; a resume asked for counts as playing.
bool Paused() {
    return gPass.pause != kPlaying && gPass.pause != kResumeAsked;
}

// The record the screen shows, or the one the pass starts at until it shows one.
uint32_t Position() {
    const uint32_t shown = kavroShared.status.shownRecord;
    return shown != kNoRecord ? shown : gPass.firstRecord;
}

// The seek point for a seek of `refreshes` (back when negative) from where the movie stands.
// Back beyond the start lands on it; on beyond the last record, too: the movie loops.
uint32_t SeekPointFor(const Movie& movie, int32_t refreshes) {
    const uint32_t position = Position();
    const uint32_t distance = static_cast<uint32_t>(seek_points::RecordsIn(
        static_cast<uint32_t>(refreshes < 0 ? -refreshes : refreshes), movie.stream.frameStep));
    uint32_t target = 0;
    if (refreshes < 0) {
        target = position > distance ? position - distance : 0;
    } else if (position + distance < movie.stream.frameCount) {
        target = position + distance;
    }
    return SeekPointAtOrBefore(target);
}

int32_t SeekRefreshes(uint16_t presses) {
    int32_t refreshes = 0;
    if (presses & hw::KEY_RIGHT) refreshes += kShortSeekRefreshes;
    if (presses & hw::KEY_LEFT) refreshes -= kShortSeekRefreshes;
    if (presses & hw::KEY_R) refreshes += kLongSeekRefreshes;
    if (presses & hw::KEY_L) refreshes -= kLongSeekRefreshes;
    return refreshes;
}

// Keeps `record`'s seek point in the SRAM, unless it holds it already.
void SavePlace(uint32_t record, bool always) {
    const uint32_t point = SeekPointAtOrBefore(record) * SeekInterval();
    if (!always && point == gControls.savedRecord) {
        return;
    }
    WriteSavedRecord(StreamCheck(), point);
    gControls.savedRecord = point;
}

void TogglePause() {
    if (gPass.pause == kPlaying) {
        gPass.pause = kPauseAsked;
        SavePlace(Position(), true);
    } else {
        RemoveHint();
        gPass.pause = kResumeAsked;
    }
}

// Seconds of movie time before `record`.
uint32_t SecondsAt(uint32_t record, uint32_t frameStep) {
    if (frameStep == 0) {
        return 0;
    }
    // record x 65536 / frameStep refreshes, at 59.727 a second.
    return static_cast<uint32_t>(static_cast<uint64_t>(record) * movie_stream::kOneFrame * 1000 /
                                 (static_cast<uint64_t>(frameStep) * 59727));
}

}  // namespace

bool SavedPlace(PassBegin& begin) {
    const uint32_t record = ReadSavedRecord(StreamCheck());
    gControls.savedRecord = record;
    if (record == kNoRecord || record == 0 || SeekPointCount() == 0 || record % SeekInterval() != 0) {
        return false;
    }
    const uint32_t point = record / SeekInterval();
    if (point >= SeekPointCount() || !SeekPointAt(point).intra) {
        return false;
    }
    begin = {PassStart::kSeek, point, true, true};
    return true;
}

bool TakeControls(const Movie& movie, PassBegin& begin) {
    // A pause or a resume under way takes the next one only once it is in place.
    const bool settled = gPass.pause == kPlaying || gPass.pause == kPaused;
    const uint16_t presses = TakeKeyPresses(settled ? 0 : kPauseKeys);
    if (presses & hw::KEY_SELECT) {
        begin = {PassStart::kSeek, 0, false, false};
        return true;
    }
    if (const int32_t refreshes = SeekRefreshes(presses); refreshes != 0) {
        begin = {PassStart::kSeek, SeekPointFor(movie, refreshes), Paused(), false};
        return true;
    }
    if (presses & kPauseKeys) {
        TogglePause();
    }
    return false;
}

void NotePassBegun(const PassBegin& begin) {
    ForgetHint();
    gControls.hint = begin.offerResume ? HintKind::kResume : HintKind::kPaused;
}

void KeepUpControls(const Movie& movie) {
    const uint32_t shown = kavroShared.status.shownRecord;
    if (shown == kNoRecord) {
        return;
    }
    if (Paused() && !HintShown()) {
        const uint32_t step = movie.stream.frameStep;
        ShowHint(gControls.hint, SecondsAt(shown, step), SecondsAt(movie.stream.frameCount, step));
    }
    SavePlace(shown, false);
}
