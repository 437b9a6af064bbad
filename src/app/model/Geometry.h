#pragma once

namespace pindrake::app {

// A rectangle in screen points, origin at the top left, y growing downwards.
struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double midX() const { return x + width / 2; }
    bool operator==(const Rect&) const = default;
};

}  // namespace pindrake::app
