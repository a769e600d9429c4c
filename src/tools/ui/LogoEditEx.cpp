#include "tools/ui/LogoEditEx.h"

#include "app/ui/ScreenBase.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace quillory {

CLogoEditEx::CLogoEditEx(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::CrossCursor);
    UpdateScrollBars();
}

void CLogoEditEx::SetBitmap(const CLogoBitmap& bitmap) {
    EditBitmap([&](CLogoBitmap& b) { b = bitmap; });
}

std::optional<QPoint> CLogoEditEx::DotAt(QPoint viewPoint, QPoint scroll) {
    const QPoint p = viewPoint + scroll;
    if (p.x() < 0 || p.y() < 0 || p.x() >= kAreaWidth || p.y() >= kAreaHeight)
        return std::nullopt;
    return QPoint(p.x() / kDotPixels, p.y() / kDotPixels);
}

QRect CLogoEditEx::DotRect(int x, int y) {
    return {x * kDotPixels + 1, y * kDotPixels + 1, 5, 5};
}

QPoint CLogoEditEx::ScrollOffset() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CLogoEditEx::UpdateScrollBars() {
    const QSize view = viewport()->size();
    for (auto [bar, area, visible] : {std::tuple{horizontalScrollBar(), kAreaWidth, view.width()},
                                      std::tuple{verticalScrollBar(), kAreaHeight, view.height()}}) {
        bar->setRange(0, std::max(0, area - visible));
        bar->setSingleStep(kScrollStep);
        bar->setPageStep(std::max(1, visible));
    }
}

void CLogoEditEx::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CLogoEditEx::scrollContentsBy(int, int) {
    viewport()->update();
}

void CLogoEditEx::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), kScreenBackground);
    painter.translate(-ScrollOffset());
    painter.fillRect(0, 0, kAreaWidth, kAreaHeight, kGround);
    painter.setPen(Qt::white);
    for (int x = 0; x < CLogoBitmap::kWidth; ++x)
        painter.drawLine(x * kDotPixels, 0, x * kDotPixels, kAreaHeight - 1);
    for (int y = 0; y < CLogoBitmap::kHeight; ++y)
        painter.drawLine(0, y * kDotPixels, kAreaWidth - 1, y * kDotPixels);
    for (int y = 0; y < CLogoBitmap::kHeight; ++y) {
        for (int x = 0; x < CLogoBitmap::kWidth; ++x) {
            if (m_bitmap.IsPrinted(x, y))
                painter.fillRect(DotRect(x, y), Qt::black);
        }
    }
}

void CLogoEditEx::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    if (const std::optional<QPoint> dot = DotAt(event->position().toPoint(), ScrollOffset()))
        EditBitmap([&](CLogoBitmap& b) { b.Toggle(dot->x(), dot->y()); });
}

} // namespace quillory
