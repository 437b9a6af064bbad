#pragma once

#include <QListView>

#include <functional>

namespace pindrake::app::views {

// Sets up a list that the keyboard never reaches and the user only clicks: no focus, no
// selection or frame of its own, rows of one height, a transparent viewport. It reports each
// press of the left button on one of its rows, and nothing else: the list neither selects nor
// activates rows itself. The panel tells double clicks apart on its own, by position and
// interval, so the second press of a double click is reported as one more press.
void makeClickOnlyList(QListView& list, std::function<void(int row)> clicked);

}  // namespace pindrake::app::views
