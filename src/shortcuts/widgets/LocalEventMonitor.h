#pragma once

#include <QEvent>
#include <QObject>

#include <functional>
#include <initializer_list>
#include <set>

namespace pindrake::GlobalShortcuts {

// Watches the application's own events of the given types, wherever they go, from `start`
// until `stop` or its destruction. The callback returns true to consume an event.
class LocalEventMonitor final : public QObject {
  public:
    using Callback = std::function<bool(QObject* receiver, QEvent* event)>;

    LocalEventMonitor(std::initializer_list<QEvent::Type> types, Callback callback,
                      QObject* parent = nullptr);
    ~LocalEventMonitor() override { stop(); }

    void start();
    void stop();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::set<QEvent::Type> types_;
    Callback callback_;
};

}  // namespace pindrake::GlobalShortcuts
