#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace quillory::skin {

// Line pictograms designed on a 24 by 24 grid and scaled into box; drawn with color in round
// strokes so that they stay crisp from 12 to 64 pixels.
using Pictogram = void (*)(QPainter& painter, const QRectF& box, const QColor& color);

void DrawPrinter(QPainter& painter, const QRectF& box, const QColor& color);
void DrawFontsAndGraphics(QPainter& painter, const QRectF& box, const QColor& color);
void DrawStatusMonitor(QPainter& painter, const QRectF& box, const QColor& color);
void DrawUpgrade(QPainter& painter, const QRectF& box, const QColor& color);
void DrawToolbox(QPainter& painter, const QRectF& box, const QColor& color);
void DrawConnect(QPainter& painter, const QRectF& box, const QColor& color);

void DrawMinimise(QPainter& painter, const QRectF& box, const QColor& color);
void DrawClose(QPainter& painter, const QRectF& box, const QColor& color);
void DrawGear(QPainter& painter, const QRectF& box, const QColor& color);
void DrawInfo(QPainter& painter, const QRectF& box, const QColor& color);
void DrawQuestion(QPainter& painter, const QRectF& box, const QColor& color);

// The program's emblem: a ring closed by a pen nib, white on a rounded tile.
void DrawEmblem(QPainter& painter, const QRectF& tile, bool withTile);

} // namespace quillory::skin
