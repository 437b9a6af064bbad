#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QRegion>
#include <QWidget>

namespace pindrake::app::views {

// Shared drawing of the panel's parts.
bool isDarkScheme(const QWidget& widget);
// The selection highlight: black on light, white on dark, at the given opacity.
QColor highlightColor(double opacity, bool isDark);
void paintRoundedFill(QPainter& painter, const QRectF& rect, double radius, const QColor& color);
// A card's translucent backing, rounded like the panel's columns.
void paintCard(QPainter& painter, const QWidget& widget);
inline constexpr double cardRadius = 12;
// The area of a card's rounded rectangle, for window shapes.
QRegion roundedRegion(const QRect& rect, double radius = cardRadius);
inline constexpr double rowRadius = 6;

}  // namespace pindrake::app::views
