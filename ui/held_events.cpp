#include "ui/held_events.h"

#include <QCoreApplication>

namespace ui {

HeldEvents::HeldEvents(std::function<Fate(QEvent::Type)> fate) : fate_(std::move(fate)) {
    QCoreApplication::instance()->installEventFilter(this);
}

HeldEvents::~HeldEvents() {
    QCoreApplication::instance()->removeEventFilter(this);
    for (auto& [receiver, event] : held_) {
        if (receiver != nullptr) QCoreApplication::postEvent(receiver, event.release());
    }
}

bool HeldEvents::eventFilter(QObject* watched, QEvent* event) {
    switch (fate_(event->type())) {
        case Fate::Deliver:
            return false;
        case Fate::Hold:
            held_.emplace_back(watched, std::unique_ptr<QEvent>(event->clone()));
            return true;
        case Fate::Drop:
            return true;
    }
    return false;
}

}  // namespace ui
