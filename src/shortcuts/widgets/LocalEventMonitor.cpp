#include "shortcuts/widgets/LocalEventMonitor.h"

#include <QCoreApplication>

namespace pindrake::GlobalShortcuts {

LocalEventMonitor::LocalEventMonitor(std::initializer_list<QEvent::Type> types, Callback callback,
                                     QObject* parent)
    : QObject(parent), types_(types), callback_(std::move(callback)) {}

void LocalEventMonitor::start() {
    QCoreApplication::instance()->installEventFilter(this);
}

void LocalEventMonitor::stop() {
    if (auto* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

bool LocalEventMonitor::eventFilter(QObject* watched, QEvent* event) {
    return types_.contains(event->type()) && callback_(watched, event);
}

}  // namespace pindrake::GlobalShortcuts
