#include <algorithm>
#include <cstdint>
#include <limits>

#include "dialog_math/dialog_math.h"

namespace {

// The bar's values come from the platform as ints; sums of extreme ones must not overflow.
int Saturate(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

}  // namespace

ScrollBarDecision DecideDialogScrollBar(int contentHeight, int windowHeight, bool hasScrollBar,
                                        int position) {
    ScrollBarDecision decision;
    if (hasScrollBar && position != 0) decision.scrollBackBy = position;
    if (contentHeight > windowHeight) {
        decision.needsScrollBar = true;
        decision.maximum =
            Saturate(std::int64_t{contentHeight} - windowHeight + std::int64_t{kScrollPage});
    }
    return decision;
}

ScrollMove ScrollDialogPosition(const ScrollBarInfo& bar, int scrollCode, int thumb,
                                bool redrawingVariant) {
    const std::int64_t largest = std::int64_t{bar.maximum} - bar.page;
    // A line is a fifth of the scrollable range, rounded down; a negative range ends at 0 below.
    const std::int64_t line = largest >= 0 ? largest / 5 : 0;
    const std::int64_t position = bar.position;
    std::int64_t next = 0;
    switch (static_cast<ScrollCode>(scrollCode)) {
        case ScrollCode::LineUp:
            next = position - line;
            break;
        case ScrollCode::LineDown:
            next = position + line;
            break;
        case ScrollCode::PageUp:
            next = position - bar.page;
            break;
        case ScrollCode::PageDown:
            next = position + bar.page;
            break;
        case ScrollCode::ThumbPosition:
        case ScrollCode::ThumbTrack:
            next = thumb;
            break;
        default:
            return {};
    }
    next = (next < 0 || largest < 0) ? 0 : std::min(next, largest);
    if (next == position) return {};

    ScrollMove move;
    move.changed = true;
    move.newPosition = Saturate(next);
    move.scrollBy = Saturate(position - move.newPosition);
    move.redrawBar = redrawingVariant;
    move.erase = !redrawingVariant;
    return move;
}
