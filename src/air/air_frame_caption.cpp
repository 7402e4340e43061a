// The air frame's caption: one picture into its box, its own in-effect inside the box, a cut
// after its show time; the captions view decides what comes next.
#include <algorithm>

#include "air/air_frame.h"
#include "air/air_frame_private.h"

namespace air {

bool CAirFrame::PrepareCaption() { return captionRun_.caption != nullptr; }

bool CAirFrame::CopyCaption() {
    state_ = AIR_COPYING;
    AirCaption* caption = captionRun_.caption;
    return Sent(engine_.LoadRect(caption->Rect(), caption->Picture(), 0), "CopyPage");
}

int64_t CAirFrame::ReadyCaption() {
    // One caption per start: the view cues the next one.
    captionRun_.stop = true;
    return captionRun_.caption->ShowTimeMs();
}

void CAirFrame::InEffectCaption() {
    AirCaption* caption = captionRun_.caption;
    phaseLength_ = caption->ShowTimeMs();
    const uint32_t b = uint32_t(std::clamp(caption->Border() + 1, 1, 15));
    state_ = AIR_IN_EFFECT;
    Sent(engine_.InEffect(caption->Fade() ? WORD_CAPTION_FADE : WORD_CAPTION, (b << 28) | 0x0A0A,
                          EffectWindow(caption->Rect(), int(b))),
         "InEffect");
}

void CAirFrame::OutEffectCaption() { Sent(engine_.Cut(), "OutEffect"); }

}  // namespace air
