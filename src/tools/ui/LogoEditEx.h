#pragma once

#include "tools/LogoBitmap.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QPoint>
#include <QRect>

#include <optional>

namespace quillory {

// The logo bitmap drawn at 7 screen pixels a dot: a white grid on a blue ground, a printed dot a
// black 5 x 5 square. The 896 x 224 drawing scrolls both ways; a click toggles the dot under it.
class CLogoEditEx : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kDotPixels = 7;
    static constexpr int kAreaWidth = CLogoBitmap::kWidth * kDotPixels;   // 896
    static constexpr int kAreaHeight = CLogoBitmap::kHeight * kDotPixels; // 224
    static constexpr int kScrollStep = 10;
    static constexpr QColor kGround{0, 153, 255};

    explicit CLogoEditEx(QWidget* parent = nullptr);

    [[nodiscard]] const CLogoBitmap& Bitmap() const { return m_bitmap; }
    void SetBitmap(const CLogoBitmap& bitmap);
    // Applies an edit to the bitmap and repaints it.
    template <typename Edit>
    void EditBitmap(Edit edit) {
        edit(m_bitmap);
        viewport()->update();
    }

    // The dot under a point of the view with the drawing scrolled by scroll; nothing beyond the grid.
    [[nodiscard]] static std::optional<QPoint> DotAt(QPoint viewPoint, QPoint scroll);
    // Where a printed dot is drawn, in drawing coordinates.
    [[nodiscard]] static QRect DotRect(int x, int y);
    [[nodiscard]] QPoint ScrollOffset() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void UpdateScrollBars();

    CLogoBitmap m_bitmap;
};

} // namespace quillory
