#include "player/FrameHandOver.h"

#include "player/Display.h"
#include "player/Interrupt.h"
#include "player/SharedBlock.h"
#include "player/hw/Registers.h"

namespace {

// Records due by the pace, and record 0 at once in a pass that the keys restarted: a restart
// should show the movie's start without waiting a frame step.
uint32_t DueRecords(const PassState& pass, uint32_t framesDue) {
    const uint32_t due = framesDue < pass.frameCount ? framesDue : pass.frameCount;
    return due == 0 && pass.showFirstAtOnce && pass.frameCount > 0 ? 1 : due;
}

}  // namespace

void PresentDueFrame(bool mayCopy) {
    auto& status = kavroShared.status;
    PassState& pass = gPass;
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
