#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

#include <string_view>

namespace pindrake::app::views {

// The app's own symbols (the resources' icons/symbols/<name>.svg), drawn in one colour so that
// they take the colour of what they stand beside: painted, the painter's pen; as a pixmap, the
// application's text colour. A null icon when the resources lack the symbol.
QIcon bundledSymbol(std::string_view name);
// Any icon as a pixmap, the app's own symbols in the given colour (others as they are).
QPixmap pixmapInColour(const QIcon& icon, int size, const QColor& colour);

}  // namespace pindrake::app::views
