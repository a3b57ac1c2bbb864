#pragma once
// Events taken off the queue for a span and put back, in the order they came, when it ends: for
// spans in which a handler of the program must not run.

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace ui {

class HeldEvents : public QObject {
  public:
    enum class Fate { Deliver, Hold, Drop };
    explicit HeldEvents(std::function<Fate(QEvent::Type)> fate);
    ~HeldEvents() override;
    HeldEvents(const HeldEvents&) = delete;
    HeldEvents& operator=(const HeldEvents&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<Fate(QEvent::Type)> fate_;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

}  // namespace ui
