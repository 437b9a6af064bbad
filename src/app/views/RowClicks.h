#pragma once

#include <QAbstractItemView>

#include <functional>

namespace pindrake::app::views {

// Reports each press of the left button on one of the list's rows, and nothing else: the list
// neither selects nor activates rows itself. The panel tells double clicks apart on its own, by
// position and interval, so the second press of a double click is reported as one more press.
void reportRowClicks(QAbstractItemView& list, std::function<void(int row)> clicked);

}  // namespace pindrake::app::views
