#include "Pictograms.h"

#include <QPainterPath>
#include <QtMath>

namespace quillory::skin {
namespace {

// Maps the 24-unit design grid onto box and sets a round pen of the given width in units.
class Grid {
public:
    Grid(QPainter& painter, const QRectF& box, const QColor& color, qreal penUnits = 1.8)
        : m_painter(painter), m_color(color) {
        m_painter.save();
        m_painter.translate(box.topLeft());
        m_painter.scale(box.width() / 24.0, box.height() / 24.0);
        QPen pen(color, penUnits);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        m_painter.setPen(pen);
        m_painter.setBrush(Qt::NoBrush);
    }
    ~Grid() { m_painter.restore(); }
    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;

    QPainter& p() { return m_painter; }
    void Dot(qreal x, qreal y, qreal r) {
        m_painter.save();
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(m_color);
        m_painter.drawEllipse(QPointF(x, y), r, r);
        m_painter.restore();
    }
    void Fill(const QPainterPath& path) {
        m_painter.save();
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(m_color);
        m_painter.drawPath(path);
        m_painter.restore();
    }

private:
    QPainter& m_painter;
    QColor m_color;
};

QPainterPath Polyline(std::initializer_list<QPointF> points) {
    QPainterPath path;
    bool first = true;
    for (const QPointF& point : points) {
        if (first)
            path.moveTo(point);
        else
            path.lineTo(point);
        first = false;
    }
    return path;
}

} // namespace

void DrawPrinter(QPainter& painter, const QRectF& box, const QColor& color) {
    Grid g(painter, box, color);
    const QRectF paperOut(7, 14, 10, 7.5);
    // The body's outline stops where the printed sheet comes out in front of it.
    QPainterPath everything;
    everything.addRect(-2, -2, 28, 28);
    QPainterPath hole;
    hole.addRect(paperOut.adjusted(-0.9, -0.9, 0.9, 0.9));
    g.p().save();
    g.p().setClipPath(everything.subtracted(hole));
    g.p().drawRoundedRect(QRectF(2.5, 8, 19, 9.5), 2.2, 2.2);
    g.p().restore();
    g.p().drawPolyline(QPolygonF({QPointF(7, 8), QPointF(7, 3), QPointF(17, 3), QPointF(17, 8)}));
    g.p().drawRect(paperOut);
    g.p().drawLine(QPointF(9.5, 17.3), QPointF(14.5, 17.3));
    g.p().drawLine(QPointF(9.5, 19.4), QPointF(12.8, 19.4));
    g.Dot(18.3, 11.2, 1.05);
}

void DrawFontsAndGraphics(QPainter& painter, const QRectF& box, const QColor& color) {
    Grid g(painter, box, color);
    g.p().drawPath(Polyline({{1.2, 20}, {6.2, 5}, {11.2, 20}}));
    g.p().drawLine(QPointF(3.1, 14.8), QPointF(9.3, 14.8));
    g.p().drawRoundedRect(QRectF(13.6, 7.5, 9.2, 12.5), 1.6, 1.6);
    g.p().drawPath(Polyline({{13.8, 18.2}, {16.6, 14.6}, {18.6, 16.6}, {20.1, 15.2}, {22.6, 17.8}}));
    g.Dot(19.9, 10.9, 1.2);
}

void DrawStatusMonitor(QPainter& painter, const QRectF& box, const QColor& color) {
    Grid g(painter, box, color);
    g.p().drawRoundedRect(QRectF(2.5, 3.5, 19, 13.5), 2, 2);
    g.p().drawLine(QPointF(12, 17), QPointF(12, 20.3));
    g.p().drawLine(QPointF(8, 20.6), QPointF(16, 20.6));
    g.p().drawPath(Polyline(
        {{5.5, 10.6}, {8.6, 10.6}, {10.1, 7.2}, {12.5, 13.8}, {14.1, 9.4}, {15.4, 10.6}, {18.5, 10.6}}));
}

void DrawUpgrade(QPainter& painter, const QRectF& box, const QColor& color) {
    Grid g(painter, box, color);
    g.p().drawEllipse(QPointF(12, 12), 9.6, 9.6);
    g.p().drawLine(QPointF(12, 16.8), QPointF(12, 7.6));
    g.p().drawPath(Polyline({{8.1, 11.2}, {12, 7.2}, {15.9, 11.2}}));
}

void DrawToolbox(QPainter& painter, const QRectF& box, const QColor& color) {
    Grid g(painter, box, color);
    g.p().drawRoundedRect(QRectF(2.5, 8.5, 19, 12), 2, 2);
    QPainterPath handle;
    handle.moveTo(8.5, 8.5);
    handle.lineTo(8.5, 6.3);
    handle.quadTo(8.5, 4.5, 10.3, 4.5);
    handle.lineTo(13.7, 4.5);
    handle.quadTo(15.5, 4.5, 15.5, 6.3);
    handle.lineTo(15.5, 8.5);
    g.p().drawPath(handle);
    g.p().drawLine(QPointF(2.5, 13.4), QPointF(9.8, 13.4));
    g.p().drawLine(QPointF(14.2, 13.4), QPointF(21.5, 13.4));
    QPainterPath latch;
    latch.addRoundedRect(QRectF(10.2, 11.6, 3.6, 4), 0.8, 0.8);
    g.Fill(latch);
}

void DrawConnect(QPainter& painter, const QRectF& box, const QColor& color) {
    Grid g(painter, box, color);
    g.p().drawLine(QPointF(9.5, 2.8), QPointF(9.5, 7));
    g.p().drawLine(QPointF(14.5, 2.8), QPointF(14.5, 7));
    QPainterPath plug;
    plug.moveTo(6, 7);
    plug.lineTo(18, 7);
    plug.lineTo(18, 10.5);
    plug.quadTo(18, 15.5, 12, 15.5);
    plug.quadTo(6, 15.5, 6, 10.5);
    plug.closeSubpath();
    g.p().drawPath(plug);
    QPainterPath cable;
    cable.moveTo(12, 15.5);
    cable.lineTo(12, 18);
    cable.quadTo(12, 21.2, 8.8, 21.2);
    cable.lineTo(3.5, 21.2);
    g.p().drawPath(cable);
}

void DrawMinimise(QPainter& painter, const QRectF& box, const QColor& color) {
    Grid g(painter, box, color, 2.2);
    g.p().drawLine(QPointF(5, 15), QPointF(19, 15));
}

void DrawClose(QPainter& painter, const QRectF& box, const QColor& color) {
    Grid g(painter, box, color, 2.2);
    g.p().drawLine(QPointF(5.5, 5.5), QPointF(18.5, 18.5));
    g.p().drawLine(QPointF(18.5, 5.5), QPointF(5.5, 18.5));
}

void DrawGear(QPainter& painter, const QRectF& box, const QColor& color) {
    Grid g(painter, box, color, 2.0);
    constexpr int kTeeth = 8;
    QPolygonF outline;
    for (int i = 0; i < kTeeth * 4; ++i) {
        // Each tooth: two points on the outer radius, two on the inner one.
        const qreal angle = (i - 0.5) * M_PI * 2 / (kTeeth * 4);
        const qreal radius = (i % 4 == 0 || i % 4 == 1) ? 10.2 : 7.6;
        outline << QPointF(12 + radius * qCos(angle), 12 + radius * qSin(angle));
    }
    g.p().drawPolygon(outline);
    g.p().drawEllipse(QPointF(12, 12), 3.2, 3.2);
}

void DrawInfo(QPainter& painter, const QRectF& box, const QColor& color) {
    Grid g(painter, box, color, 2.0);
    g.p().drawEllipse(QPointF(12, 12), 10, 10);
    g.Dot(12, 7.2, 1.45);
    g.p().drawLine(QPointF(12, 10.8), QPointF(12, 17));
}

void DrawQuestion(QPainter& painter, const QRectF& box, const QColor& color) {
    Grid g(painter, box, color, 2.0);
    g.p().drawEllipse(QPointF(12, 12), 10, 10);
    QPainterPath hook;
    hook.moveTo(8.8, 9.4);
    hook.cubicTo(8.8, 5.4, 15.4, 5.4, 15.4, 9.2);
    hook.cubicTo(15.4, 11.8, 12, 11.8, 12, 14.2);
    g.p().drawPath(hook);
    g.Dot(12, 17.4, 1.35);
}

void DrawEmblem(QPainter& painter, const QRectF& tile, bool withTile) {
    painter.save();
    painter.translate(tile.topLeft());
    painter.scale(tile.width() / 24.0, tile.height() / 24.0);
    if (withTile) {
        QLinearGradient fill(0, 0, 24, 24);
        fill.setColorAt(0, QColor(0x3c, 0xd0, 0xd6));
        fill.setColorAt(1, QColor(0x14, 0x83, 0x9c));
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(0, 0, 24, 24), 5.5, 5.5);
    }
    // A ring open at the lower right, where a pen nib closes it.
    QPen ring(Qt::white, 2.6);
    ring.setCapStyle(Qt::RoundCap);
    painter.setPen(ring);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(4.6, 4.2, 13.2, 13.2), 5 * 16, 300 * 16);
    QPainterPath nib;
    nib.moveTo(13.6, 13.0);
    nib.lineTo(17.6, 12.2);
    nib.lineTo(21.0, 20.6);
    nib.lineTo(12.8, 17.4);
    nib.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(nib);
    // The nib's slit and breather hole.
    painter.setBrush(withTile ? QColor(0x1b, 0x95, 0xab) : QColor(0x1d, 0x40, 0x62));
    painter.drawEllipse(QPointF(15.7, 14.6), 0.95, 0.95);
    QPen slit(painter.brush().color(), 0.7);
    slit.setCapStyle(Qt::RoundCap);
    painter.setPen(slit);
    painter.drawLine(QPointF(16.3, 15.6), QPointF(19.6, 19.3));
    painter.restore();
}

} // namespace quillory::skin
