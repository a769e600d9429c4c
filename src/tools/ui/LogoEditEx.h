#pragma once

#include "tools/LogoBitmap.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <optional>

namespace quillory {

// The logo bitmap as a grid the operator edits: a white grid on a blue ground, a printed dot a
// black square. The whole 128 x 32 grid always fits the widget (the dots are as large as its
// size allows, at least kMinDotPixels), so nothing needs scrolling. A click toggles the dot
// under the pointer; dragging on gives the dots it passes the same state.
class CLogoEditEx : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinDotPixels = 2;
    static constexpr QColor kGround{0, 153, 255};

    explicit CLogoEditEx(QWidget* parent = nullptr);

    [[nodiscard]] const CLogoBitmap& Bitmap() const { return m_bitmap; }
    void SetBitmap(const CLogoBitmap& bitmap);
    // Applies an edit to the bitmap and repaints it.
    template <typename Edit>
    void EditBitmap(Edit edit) {
        edit(m_bitmap);
        update();
        emit bitmapChanged();
    }

    // Screen pixels per dot for a widget of size (the grid line included).
    [[nodiscard]] static int DotPixels(QSize size);
    // Where the grid's top-left corner lies in a widget of size: centred.
    [[nodiscard]] static QPoint GridOrigin(QSize size);
    // The dot under a point of a widget of size; nothing beyond the grid.
    [[nodiscard]] static std::optional<QPoint> DotAt(QPoint point, QSize size);
    // Where a printed dot is drawn in a widget of size.
    [[nodiscard]] static QRect DotRect(int x, int y, QSize size);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

signals:
    void bitmapChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CLogoBitmap m_bitmap;
    // While the button is held: the state the first toggled dot got.
    std::optional<bool> m_painting;
};

// The logo at its real size, one screen pixel a dot, as the printer's display shows it.
class CLogoPreview : public QWidget {
    Q_OBJECT
public:
    explicit CLogoPreview(const CLogoEditEx* editor, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;
    // The logo as a picture of 128 x 32 pixels: printed dots black, the rest white.
    [[nodiscard]] static QImage Picture(const CLogoBitmap& bitmap);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CLogoEditEx* m_editor;
};

} // namespace quillory
