// A job holds the GUI thread, so a window it uncovers would stay blank until the job ends. The
// progress bar calls in here now and then; only painting gets through. Input stays with the
// window system until the job is over, and the events that would run a handler of the program
// (dialogs' posted messages, the test driver's steps, posted input, timers) wait as well: a
// handler must never run in the middle of a job.

#include <QCoreApplication>
#include <chrono>

#include "ui/held_events.h"
#include "ui/ui_internal.h"

namespace ui {
namespace {

constexpr auto kPaintInterval = std::chrono::milliseconds(50);

bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

HeldEvents::Fate PaintOnly(QEvent::Type type) {
    // A timer that does not fire now fires at its next interval.
    if (type == QEvent::Timer) return HeldEvents::Fate::Drop;
    if (type == DialogWidget::PostedType() || type == DriverStepType() || IsInput(type))
        return HeldEvents::Fate::Hold;
    return HeldEvents::Fate::Deliver;
}

}  // namespace

void PaintWaitingWindows() {
    static bool inside = false;
    if (inside || QCoreApplication::instance() == nullptr) return;
    inside = true;
    {
        const HeldEvents filter(PaintOnly);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::ExcludeSocketNotifiers |
                                        QEventLoop::X11ExcludeTimers);
    }
    inside = false;
}

bool JobPaintClock::Due() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < kPaintInterval) return false;
    last_ = now;
    return true;
}

}  // namespace ui
