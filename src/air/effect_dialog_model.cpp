#include "air/effect_dialog_model.h"

#include <algorithm>
#include <initializer_list>

namespace air {

namespace {

constexpr int kInGroup[] = {SP_IN_TYPE, SP_IN_SPEED, SP_IN_BORDER, SP_IN_NEW_MOVES, SP_IN_OLD_MOVES, SP_IN_FADE};
constexpr int kOutGroup[] = {SP_OUT_TYPE, SP_OUT_SPEED, SP_OUT_BORDER, SP_OUT_MOVES, SP_OUT_FADE};
constexpr int kTimeFields[] = {SP_TIME_MODE, SP_SHOW_TIME, SP_PLUS_TIME};
constexpr int kScrollFields[] = {SP_SCROLL_SPEED, SP_STOP_SCROLLING};

template <size_t N>
bool contains(const int (&list)[N], int f) {
    return std::find(std::begin(list), std::end(list), f) != std::end(list);
}

int32_t flag(int32_t v) { return v != 0 ? 1 : 0; }

bool groupEqual(const ShowParams& a, const ShowParams& b, std::span<const int> group) {
    for (int f : group)
        if (Field(a, f) != Field(b, f)) return false;
    return true;
}

bool variableTime(const ShowParams& p, const PageMotion& page) { return page.hasMovingFrame() && p.timeMode == 0; }

}  // namespace

CEffectDialogModel::CEffectDialogModel(const ShowParams& params, const PageMotion* page, bool outApplies,
                                       bool scrollApplies)
    : v_(params), hasPage_(page != nullptr), outApplies_(outApplies), scrollApplies_(scrollApplies) {
    if (page) page_ = *page;
    const ShowParams defaults = DefaultShowParams();
    for (int f = 0; f < kShowParamsFields; ++f) undetermined_[f] = Field(v_, f) == kUndetermined;
    // The effect groups are edited as wholes.
    for (auto group : {std::span<const int>(kInGroup), std::span<const int>(kOutGroup)}) {
        bool any = false;
        for (int f : group) any = any || undetermined_[f];
        for (int f : group) undetermined_[f] = any;
    }
    for (int f = 0; f < kShowParamsFields; ++f)
        if (Field(v_, f) == kUndetermined) Field(v_, f) = Field(defaults, f);
    normalise();
}

CEffectDialogModel CEffectDialogModel::ForPages(std::span<const ShowParams> items, std::span<const PageMotion> pages,
                                                bool outApplies) {
    if (items.empty()) return CEffectDialogModel(DefaultShowParams(), nullptr, outApplies, false);
    auto pageOf = [&](size_t i) { return i < pages.size() ? pages[i] : PageMotion{}; };
    if (items.size() == 1) {
        PageMotion p = pageOf(0);
        return CEffectDialogModel(items[0], &p, outApplies, p.hasMovingFrame());
    }

    CEffectDialogModel m;
    m.several_ = true;
    m.outApplies_ = outApplies;
    m.v_ = items[0];
    for (size_t i = 0; i < items.size(); ++i) m.scrollApplies_ = m.scrollApplies_ || pageOf(i).hasMovingFrame();

    // Compares one field among the items that pass the filter, starting from the first of them.
    auto compare = [&](int f, auto&& take) {
        bool seen = false;
        for (size_t i = 0; i < items.size(); ++i) {
            if (!take(i)) continue;
            if (!seen) {
                Field(m.v_, f) = Field(items[i], f);
                seen = true;
            } else if (Field(items[i], f) != Field(m.v_, f)) {
                m.undetermined_[f] = true;
            }
        }
    };
    auto moving = [&](size_t i) { return pageOf(i).hasMovingFrame(); };
    auto fixed = [&](size_t i) { return !variableTime(items[i], pageOf(i)); };
    auto variable = [&](size_t i) { return variableTime(items[i], pageOf(i)); };

    // The time choice as each page would show it.
    bool anyFixed = false, anyVariable = false;
    for (size_t i = 0; i < items.size(); ++i) (variable(i) ? anyVariable : anyFixed) = true;
    m.v_.timeMode = anyVariable && !anyFixed ? 0 : 1;
    m.undetermined_[SP_TIME_MODE] = anyVariable && anyFixed;
    compare(SP_SHOW_TIME, fixed);
    compare(SP_PLUS_TIME, variable);
    for (int f : kScrollFields) compare(f, moving);
    for (auto group : {std::span<const int>(kInGroup), std::span<const int>(kOutGroup)}) {
        bool same = true;
        for (size_t i = 1; i < items.size(); ++i) same = same && groupEqual(items[0], items[i], group);
        for (int f : group) m.undetermined_[f] = !same;
    }
    m.normalise();
    return m;
}

bool CEffectDialogModel::movingFrame() const { return hasPage_ ? page_.hasMovingFrame() : scrollApplies_; }

PageMotion CEffectDialogModel::pageOrDefault() const { return hasPage_ ? page_ : PageMotion{}; }

void CEffectDialogModel::normalise() {
    // Stored records may hold anything; the controls show values inside their ranges.
    v_.timeMode = flag(v_.timeMode);
    v_.plusTime = std::clamp(v_.plusTime, 0, kMaxPlusTime);
    v_.scrollSpeed = std::clamp(v_.scrollSpeed, 0, kMaxScrollSpeed);
    v_.stopScrolling = flag(v_.stopScrolling);
    for (int32_t* t : {&v_.inType, &v_.outType})
        if (*t < 0 || *t >= kEffectTypes) *t = 0;
    for (int32_t* s : {&v_.inSpeed, &v_.outSpeed}) *s = std::clamp(*s, 0, kMaxEffectSpeed);
    for (int32_t* b : {&v_.inBorder, &v_.outBorder}) *b = std::clamp(*b, 0, kMaxEffectBorder);
    for (int32_t* b : {&v_.inNewMoves, &v_.inOldMoves, &v_.outMoves, &v_.inFade, &v_.outFade}) *b = flag(*b);

    if (undetermined_[SP_TIME_MODE]) choice_ = TimeChoice::Undetermined;
    else choice_ = movingFrame() && v_.timeMode == 0 ? TimeChoice::Variable : TimeChoice::Fixed;

    // A page never stays shorter than it needs: a show time below that is raised to it.
    if (hasPage_ && !undetermined_[SP_SHOW_TIME]) v_.showTime = std::max(v_.showTime, ComputedShowTime(v_, page_));
    v_.showTime = std::clamp(v_.showTime, kMinShowTime, showTimeMaximum());
}

bool CEffectDialogModel::enabled(Control c) const {
    const EffectInfo& in = EffectOf(v_.inType);
    const EffectInfo& out = EffectOf(v_.outType);
    switch (c) {
        case FIXED_TIME: return true;
        case VARIABLE_TIME: return movingFrame();
        case SHOW_TIME: return choice_ == TimeChoice::Fixed;
        case PLUS_TIME: return choice_ == TimeChoice::Variable;
        case SCROLL_SPEED:
        case STOP_SCROLLING: return scrollApplies_;
        case IN_TYPE:
        case IN_BORDER:
        case IN_FADE: return true;
        case IN_SPEED: return v_.inType != 0;
        case IN_NEW_MOVES: return in.newMoves != 0;
        case IN_OLD_MOVES: return in.oldMoves != 0;
        case OUT_TYPE:
        case OUT_BORDER:
        case OUT_FADE: return outApplies_;
        case OUT_SPEED: return outApplies_ && v_.outType != 0;
        case OUT_MOVES: return outApplies_ && out.oldMoves != 0;
        case CONTROL_COUNT: break;
    }
    return false;
}

int CEffectDialogModel::shownShowTime() const {
    if (choice_ != TimeChoice::Variable) return value(SP_SHOW_TIME);
    // The computed time belongs to one page, and only when everything it depends on is known.
    if (!hasPage_) return kUndetermined;
    for (int f : {SP_PLUS_TIME, SP_SCROLL_SPEED, SP_STOP_SCROLLING, SP_IN_TYPE})
        if (undetermined_[f]) return kUndetermined;
    return ComputedShowTime(v_, page_);
}

int CEffectDialogModel::showTimeMaximum() const {
    int m = kMaxShowTime;
    if (hasPage_) m = std::max(m, ComputedShowTime(v_, page_));
    return m;
}

std::string CEffectDialogModel::inDurationText() const {
    if (undetermined_[SP_IN_TYPE]) return {};
    return SecondsAndTenths(EffectDuration(v_.inType, v_.inSpeed, v_.inFade != 0));
}

std::string CEffectDialogModel::outDurationText() const {
    if (undetermined_[SP_OUT_TYPE]) return {};
    return SecondsAndTenths(EffectDuration(v_.outType, v_.outSpeed, v_.outFade != 0));
}

void CEffectDialogModel::setTimeChoice(TimeChoice c) {
    if (c == TimeChoice::Undetermined || (c == TimeChoice::Variable && !movingFrame())) return;
    choice_ = c;
    undetermined_[SP_TIME_MODE] = false;
    v_.timeMode = c == TimeChoice::Variable ? 0 : 1;
}

void CEffectDialogModel::setShowTime(int seconds) {
    v_.showTime = std::clamp(seconds, kMinShowTime, showTimeMaximum());
    undetermined_[SP_SHOW_TIME] = false;
}

void CEffectDialogModel::setPlusTime(int seconds) {
    v_.plusTime = std::clamp(seconds, 0, kMaxPlusTime);
    undetermined_[SP_PLUS_TIME] = false;
}

void CEffectDialogModel::setScrollSpeed(int speed) {
    v_.scrollSpeed = std::clamp(speed, 0, kMaxScrollSpeed);
    undetermined_[SP_SCROLL_SPEED] = false;
}

void CEffectDialogModel::setStopScrolling(bool on) {
    v_.stopScrolling = on ? 1 : 0;
    undetermined_[SP_STOP_SCROLLING] = false;
}

void CEffectDialogModel::determineGroup(bool in) {
    if (in)
        for (int f : kInGroup) undetermined_[f] = false;
    else
        for (int f : kOutGroup) undetermined_[f] = false;
}

void CEffectDialogModel::setInType(int type) {
    if (type < 0 || type >= kEffectTypes) return;
    determineGroup(true);
    v_.inType = type;
}
void CEffectDialogModel::setInSpeed(int speed) {
    determineGroup(true);
    v_.inSpeed = std::clamp(speed, 0, kMaxEffectSpeed);
}
void CEffectDialogModel::setInBorder(int border) {
    determineGroup(true);
    v_.inBorder = std::clamp(border, 0, kMaxEffectBorder);
}
void CEffectDialogModel::setInFade(bool on) {
    determineGroup(true);
    v_.inFade = on;
}
void CEffectDialogModel::setInNewMoves(bool on) {
    determineGroup(true);
    v_.inNewMoves = on;
}
void CEffectDialogModel::setInOldMoves(bool on) {
    determineGroup(true);
    v_.inOldMoves = on;
}
void CEffectDialogModel::setOutType(int type) {
    if (type < 0 || type >= kEffectTypes) return;
    determineGroup(false);
    v_.outType = type;
}
void CEffectDialogModel::setOutSpeed(int speed) {
    determineGroup(false);
    v_.outSpeed = std::clamp(speed, 0, kMaxEffectSpeed);
}
void CEffectDialogModel::setOutBorder(int border) {
    determineGroup(false);
    v_.outBorder = std::clamp(border, 0, kMaxEffectBorder);
}
void CEffectDialogModel::setOutFade(bool on) {
    determineGroup(false);
    v_.outFade = on;
}
void CEffectDialogModel::setOutMoves(bool on) {
    determineGroup(false);
    v_.outMoves = on;
}

ShowParams CEffectDialogModel::result() const {
    ShowParams r = v_;
    for (int f = 0; f < kShowParamsFields; ++f)
        if (undetermined_[f]) Field(r, f) = kUndetermined;
    r.timeMode = choice_ == TimeChoice::Undetermined ? kUndetermined : choice_ == TimeChoice::Variable ? 0 : 1;
    return r;
}

ShowParams CEffectDialogModel::apply(const ShowParams& item, const PageMotion* page) const {
    PageMotion pm = page ? *page : pageOrDefault();
    bool moving = page ? page->hasMovingFrame() : movingFrame();

    ShowParams out = item;
    for (int f = 0; f < kShowParamsFields; ++f) {
        if (undetermined_[f] || contains(kTimeFields, f)) continue;
        // The scrolling settings were compared among scrolling pages only, so only they take them.
        if (contains(kScrollFields, f) && !(scrollApplies_ && moving)) continue;
        if (contains(kOutGroup, f) && !outApplies_) continue;
        Field(out, f) = Field(v_, f);
    }
    switch (choice_) {
        case TimeChoice::Fixed:
            out.plusTime = 0;
            out.timeMode = moving ? 1 : 0;
            if (!undetermined_[SP_SHOW_TIME]) out.showTime = v_.showTime;
            out.showTime = ShowTimeOf(out, pm);
            break;
        case TimeChoice::Variable:
            if (moving) {
                out.timeMode = 0;
                if (!undetermined_[SP_PLUS_TIME]) out.plusTime = v_.plusTime;
            }
            break;
        case TimeChoice::Undetermined: break;
    }
    return out;
}

}  // namespace air
