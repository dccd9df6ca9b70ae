#include "player/FrameHandOver.h"

#include "player/Display.h"
#include "player/Interrupt.h"
#include "player/SharedBlock.h"
#include "player/hw/Registers.h"

namespace {

// Records due by the pace, and the pass's first record at once in a pass that the keys
// restarted or a seek started: it should show where it starts without waiting a frame step.
uint32_t DueRecords(const PassState& pass, uint32_t framesDue) {
    const uint32_t due = framesDue < pass.frameCount ? framesDue : pass.frameCount;
    const uint32_t first = pass.firstRecord;
    return due <= first && pass.showFirstAtOnce && pass.frameCount > first ? first + 1 : due;
}

}  // namespace

void PresentDueFrame(bool mayCopy) {
    auto& status = kavroShared.status;
    PassState& pass = gPass;
    // A paused pass keeps its picture, and the hint over it; only its first record may come.
    if (pass.pause != kPlaying && status.shownRecord != player_layout::kNoRecord) {
        return;
    }
    const uint32_t due = DueRecords(pass, status.framesDue);
    if (pass.framesTaken >= due) {
        return;
    }
    const uint32_t newest = due - 1;
    const uint32_t overtaken = pass.framesDrawn < newest ? pass.framesDrawn : newest;
    if (pass.framesTaken < overtaken) {
        status.lateFrames += overtaken - pass.framesTaken;
        pass.framesTaken = overtaken;
    }
    if (!mayCopy || pass.framesDrawn <= newest) {
        return;
    }
    const uint32_t start = hw::CycleCount();
    ShowWorkBuffer(newest % kWorkBuffers);
    pass.copyCycles += hw::CycleCount() - start;
    status.shownRecord = newest;
    status.lateFrames += newest < pass.framesDueBefore;  // due at an earlier refresh than this one
    pass.framesTaken = due;
}
