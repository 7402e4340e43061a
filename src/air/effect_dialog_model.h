// The rules of the "Page effect and show time" dialog, without the widgets: which controls are
// enabled, what the show-time box shows, how a time choice is written back. It edits one page's
// record, a default record (no page), or several pages at once, where a field or group whose
// values differ is undetermined (-1) until the operator sets it.
#pragma once

#include <span>
#include <string>

#include "air/effects.h"
#include "air/show_params.h"

namespace air {

constexpr int32_t kUndetermined = -1;

class CEffectDialogModel {
public:
    enum class TimeChoice { Undetermined, Fixed, Variable };
    enum Control : int {
        FIXED_TIME,
        VARIABLE_TIME,
        SHOW_TIME,
        PLUS_TIME,
        SCROLL_SPEED,
        STOP_SCROLLING,
        IN_TYPE,
        IN_SPEED,
        IN_BORDER,
        IN_FADE,
        IN_NEW_MOVES,
        IN_OLD_MOVES,
        OUT_TYPE,
        OUT_SPEED,
        OUT_BORDER,
        OUT_FADE,
        OUT_MOVES,
        CONTROL_COUNT,
    };

    static constexpr int kMinShowTime = 1, kMaxShowTime = 120, kMaxPlusTime = 60;

    // One record. page: the page it belongs to, or nullptr for a record without a page (a
    // default record, or several pages at once). Fields of -1 start undetermined; a -1 in the
    // in-effect or out-effect group makes the whole group undetermined. outApplies: the
    // out-effect group is used (the last page of a playout); scrollApplies: the scrolling group
    // is used (the page has a moving frame).
    CEffectDialogModel(const ShowParams& params, const PageMotion* page, bool outApplies, bool scrollApplies);

    // Several pages at once: starts from the first record; every field or group that differs
    // among them is undetermined. Scroll speed and "Stop scrolling" are compared only among
    // pages with a moving frame, the show time among pages with a fixed time, "plus" among
    // pages with a variable time. pages[i] belongs to items[i] (an empty summary for a page
    // that could not be read). The scrolling group applies when any page has a moving frame.
    static CEffectDialogModel ForPages(std::span<const ShowParams> items, std::span<const PageMotion> pages,
                                       bool outApplies);

    // State shown by the controls.
    TimeChoice timeChoice() const { return choice_; }
    bool enabled(Control c) const;
    bool determined(int field) const { return !undetermined_[field]; }
    // The field's value, or -1 while undetermined.
    int32_t value(int field) const { return undetermined_[field] ? kUndetermined : Field(v_, field); }
    // What a control that cannot be blank (a slider) shows: the value, or while undetermined
    // the value the field takes when the operator settles its group.
    int32_t shownValue(int field) const { return Field(v_, field); }
    // The value the show-time box shows: the computed show time with "Variable time", the
    // fixed show time otherwise; -1 when it cannot be told (several pages).
    int shownShowTime() const;
    // The upper end of the show-time box: 120 s, or more when the page needs longer.
    int showTimeMaximum() const;
    // Durations beside the effect lists as "%d.%d" seconds ("" while undetermined).
    std::string inDurationText() const;
    std::string outDurationText() const;
    bool outApplies() const { return outApplies_; }
    bool scrollApplies() const { return scrollApplies_; }
    bool severalPages() const { return several_; }

    // Changes by the operator. Values are kept inside their ranges. Changing one control of an
    // undetermined effect group determines the whole group with what the controls show.
    void setTimeChoice(TimeChoice c);
    void setShowTime(int seconds);
    void setPlusTime(int seconds);
    void setScrollSpeed(int speed);
    void setStopScrolling(bool on);
    void setInType(int type);
    void setInSpeed(int speed);
    void setInBorder(int border);
    void setInFade(bool on);
    void setInNewMoves(bool on);
    void setInOldMoves(bool on);
    void setOutType(int type);
    void setOutSpeed(int speed);
    void setOutBorder(int border);
    void setOutFade(bool on);
    void setOutMoves(bool on);

    // The edited record with -1 in every field still undetermined; timeMode holds the choice
    // (1 fixed, 0 variable, -1 none). Never store it as it is: use apply().
    ShowParams result() const;

    // What OK does to one record: every determined field or group is taken (the scrolling ones
    // only by a page with a moving frame), and the time choice is applied for that page. A fixed
    // time: plusTime = 0, timeMode = 1 for a page with a moving frame (0 otherwise), showTime =
    // the show time the new record gives that page. A variable time, for a page with a moving
    // frame: timeMode = 0 and plusTime from the dialog. page: that record's page; nullptr uses
    // the dialog's own page (or, without one, counts as a page with a moving frame when the
    // scrolling group applies).
    ShowParams apply(const ShowParams& item, const PageMotion* page = nullptr) const;

private:
    CEffectDialogModel() = default;
    void normalise();
    void determineGroup(bool in);
    PageMotion pageOrDefault() const;
    bool movingFrame() const;  // the dialog's page has a moving frame (or counts as one)

    ShowParams v_{};
    bool undetermined_[kShowParamsFields] = {};
    TimeChoice choice_ = TimeChoice::Fixed;
    bool hasPage_ = false;
    PageMotion page_{};
    bool outApplies_ = false;
    bool scrollApplies_ = false;
    bool several_ = false;
};

}  // namespace air
