#include "tools/ui/LogoEditEx.h"

#include "app/ui/ScreenBase.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace quillory {
namespace {

// The frame drawn around the grid.
constexpr int kFrame = 1;

} // namespace

CLogoEditEx::CLogoEditEx(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CLogoEditEx::SetBitmap(const CLogoBitmap& bitmap) {
    EditBitmap([&](CLogoBitmap& b) { b = bitmap; });
}

int CLogoEditEx::DotPixels(QSize size) {
    const int across = (size.width() - 2 * kFrame) / CLogoBitmap::kWidth;
    const int down = (size.height() - 2 * kFrame) / CLogoBitmap::kHeight;
    return std::max(kMinDotPixels, std::min(across, down));
}

QPoint CLogoEditEx::GridOrigin(QSize size) {
    const int dot = DotPixels(size);
    return {std::max(kFrame, (size.width() - dot * CLogoBitmap::kWidth) / 2),
            std::max(kFrame, (size.height() - dot * CLogoBitmap::kHeight) / 2)};
}

std::optional<QPoint> CLogoEditEx::DotAt(QPoint point, QSize size) {
    const int dot = DotPixels(size);
    const QPoint p = point - GridOrigin(size);
    if (p.x() < 0 || p.y() < 0 || p.x() >= dot * CLogoBitmap::kWidth || p.y() >= dot * CLogoBitmap::kHeight)
        return std::nullopt;
    return QPoint(p.x() / dot, p.y() / dot);
}

QRect CLogoEditEx::DotRect(int x, int y, QSize size) {
    const int dot = DotPixels(size);
    const QPoint origin = GridOrigin(size);
    return {origin.x() + x * dot + 1, origin.y() + y * dot + 1, dot - 1, dot - 1};
}

QSize CLogoEditEx::sizeHint() const {
    return {4 * CLogoBitmap::kWidth + 2 * kFrame, 4 * CLogoBitmap::kHeight + 2 * kFrame};
}

QSize CLogoEditEx::minimumSizeHint() const {
    return {kMinDotPixels * CLogoBitmap::kWidth + 2 * kFrame,
            kMinDotPixels * CLogoBitmap::kHeight + 2 * kFrame};
}

void CLogoEditEx::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kScreenBackground);
    const int dot = DotPixels(size());
    const QPoint origin = GridOrigin(size());
    const QRect grid(origin, QSize(dot * CLogoBitmap::kWidth, dot * CLogoBitmap::kHeight));
    painter.fillRect(grid, isEnabled() ? kGround : QColor(0x9a, 0xb8, 0xd0));
    painter.setPen(QColor(0x50, 0x60, 0x70));
    painter.drawRect(grid.adjusted(-1, -1, 0, 0));
    painter.setPen(Qt::white);
    for (int x = 0; x < CLogoBitmap::kWidth; ++x)
        painter.drawLine(grid.left() + x * dot, grid.top(), grid.left() + x * dot, grid.bottom());
    for (int y = 0; y < CLogoBitmap::kHeight; ++y)
        painter.drawLine(grid.left(), grid.top() + y * dot, grid.right(), grid.top() + y * dot);
    for (int y = 0; y < CLogoBitmap::kHeight; ++y) {
        for (int x = 0; x < CLogoBitmap::kWidth; ++x) {
            if (m_bitmap.IsPrinted(x, y))
                painter.fillRect(DotRect(x, y, size()), Qt::black);
        }
    }
}

void CLogoEditEx::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    if (const std::optional<QPoint> dot = DotAt(event->position().toPoint(), size())) {
        EditBitmap([&](CLogoBitmap& b) { b.Toggle(dot->x(), dot->y()); });
        m_painting = m_bitmap.IsPrinted(dot->x(), dot->y());
    }
}

void CLogoEditEx::mouseMoveEvent(QMouseEvent* event) {
    if (!m_painting || !(event->buttons() & Qt::LeftButton))
        return;
    const std::optional<QPoint> dot = DotAt(event->position().toPoint(), size());
    if (dot && m_bitmap.IsPrinted(dot->x(), dot->y()) != *m_painting)
        EditBitmap([&](CLogoBitmap& b) { b.Toggle(dot->x(), dot->y()); });
}

void CLogoEditEx::mouseReleaseEvent(QMouseEvent*) {
    m_painting.reset();
}

CLogoPreview::CLogoPreview(const CLogoEditEx* editor, QWidget* parent) : QWidget(parent), m_editor(editor) {
    connect(editor, &CLogoEditEx::bitmapChanged, this, qOverload<>(&QWidget::update));
}

QSize CLogoPreview::sizeHint() const {
    return {CLogoBitmap::kWidth + 2 * kFrame, CLogoBitmap::kHeight + 2 * kFrame};
}

QImage CLogoPreview::Picture(const CLogoBitmap& bitmap) {
    QImage picture(CLogoBitmap::kWidth, CLogoBitmap::kHeight, QImage::Format_RGB32);
    for (int y = 0; y < CLogoBitmap::kHeight; ++y) {
        for (int x = 0; x < CLogoBitmap::kWidth; ++x)
            picture.setPixel(x, y, bitmap.IsPrinted(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }
    return picture;
}

void CLogoPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QColor(0x50, 0x60, 0x70));
    painter.drawRect(QRect(0, 0, CLogoBitmap::kWidth + 1, CLogoBitmap::kHeight + 1));
    painter.drawImage(QPoint(kFrame, kFrame), Picture(m_editor->Bitmap()));
}

} // namespace quillory
