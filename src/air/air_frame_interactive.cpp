// The air frame's interactive picture: the full picture first, then its queued rectangles into the
// hidden half (768 pixels to the right when the buffer flag is set), then a flip of the halves.
#include "air/air_frame.h"
#include "air/air_frame_private.h"

namespace air {

bool CAirFrame::PrepareInteractive() {
    AirInteractive* picture = interactiveRun_.picture;
    if (!picture) return false;
    picture->Rebuild();
    return true;
}

bool CAirFrame::CopyInteractive() {
    state_ = AIR_ITV_COPYING;
    return Sent(engine_.LoadRectData(kWholeFrame, interactiveRun_.picture->FullPicture()), "CopyPage");
}

void CAirFrame::InEffectInteractive() {
    state_ = AIR_IN_EFFECT;
    Sent(engine_.InEffect(WORD_INTERACTIVE, 0x0A0A, kWholeFrame), "InEffect");
}

void CAirFrame::LoadInteractiveEntry() {
    AirInteractive* picture = interactiveRun_.picture;
    if (picture->QueueEmpty()) {
        state_ = AIR_ITV_RUN;
        return;
    }
    AirInteractive::Entry e = picture->Front();
    if (picture->BufferFlag()) {
        e.rect.left += 768;
        e.rect.right += 768;
    }
    Sent(engine_.LoadRect(e.rect, e.pixels, state_ == AIR_ITV_LOADING ? 1 : 0), "LoadEntry");
}

void CAirFrame::InteractiveDone() {
    AirInteractive* picture = interactiveRun_.picture;
    if (!picture) return;
    switch (state_) {
        case AIR_ITV_COPYING:
            if (picture->QueueEmpty()) {
                picture->SetBufferFlag(true);
                CopyPageDone();
            } else {
                state_ = AIR_ITV_LOADING;
                LoadInteractiveEntry();
            }
            break;
        case AIR_ITV_LOADING:
        case AIR_ITV_UPDATING:
            if (!picture->QueueEmpty()) picture->PopFront();
            if (!picture->QueueEmpty()) {
                LoadInteractiveEntry();
            } else if (state_ == AIR_ITV_LOADING) {
                picture->SetBufferFlag(true);
                CopyPageDone();
            } else {
                state_ = AIR_ITV_FLIPPING;
                Sent(engine_.SetMode(picture->BufferFlag() ? 768 : 0), "InteractiveDone");
            }
            break;
        case AIR_ITV_FLIPPING:
            picture->SetBufferFlag(!picture->BufferFlag());
            state_ = AIR_ITV_RUN;
            break;
        default: break;
    }
}

void CAirFrame::InteractiveTick() {
    ShowTimeOfDay();
    AirInteractive* picture = interactiveRun_.picture;
    if (picture && picture->HasNewPicture()) {
        state_ = AIR_ITV_UPDATING;
        LoadInteractiveEntry();
    }
}

}  // namespace air
