// Draws a sample line in one of the eight print line styles (solid, dotted,
// dashed, dash-dot, each thin and thick) with the styled-line drawer.
#pragma once

#include <QPoint>
#include <cstdint>

class QPainter;

void DrawStyledSample(QPainter& painter, QPoint from, QPoint to, int printStyle, std::uint32_t colour);
