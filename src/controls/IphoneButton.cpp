#include "controls/IphoneButton.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace quillory {
namespace {

constexpr int kCaptionTopHigh = 10;
// A low caption sits under the pictogram (which ends 38 pixels down), centred in the rest of the
// button: a face with tall glyphs (Chinese) would reach past the bottom edge from 46 down.
constexpr int kCaptionTopLow = 39;
constexpr int kCaptionBottomMargin = 3;
constexpr int kCaptionPointSize = 8;
// The focus mark: an amber ring that stands out on the blue chrome and the teal selection.
const QColor kFocusMark(0xff, 0xc8, 0x3d);

} // namespace

CIphoneButton::CIphoneButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_NoSystemBackground);
    // Reached with Tab (a click leaves the focus where it was), pressed with Space or Enter.
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

bool CIphoneButton::LoadPictures(const QString& normal, const QString& hover, const QString& click,
                                 const QString& disable) {
    const std::array<QString, 4> files{normal, hover, click, disable};
    bool all = true;
    for (std::size_t i = 0; i < files.size(); ++i) {
        m_pictures[i] = QPixmap();
        all = m_pictures[i].load(files[i]) && all;
    }
    if (!m_pictures[CIphoneButtonState::NormalPicture].isNull())
        setFixedSize(m_pictures[CIphoneButtonState::NormalPicture].size() /
                     m_pictures[CIphoneButtonState::NormalPicture].devicePixelRatio());
    update();
    return all;
}

bool CIphoneButton::LoadPictures(const QString& folder, const QString& base) {
    const QString stem = folder + QLatin1Char('/') + base;
    return LoadPictures(stem + QStringLiteral("Normal.png"), stem + QStringLiteral("Hover.png"),
                        stem + QStringLiteral("Click.png"), stem + QStringLiteral("Disable.png"));
}

void CIphoneButton::SetCaptionHigh(bool high) {
    m_captionHigh = high;
    update();
}

void CIphoneButton::SetStateNormal() {
    m_state.SetNormal();
    update();
}

void CIphoneButton::SetStateClicked() {
    m_state.SetClicked();
    update();
}

QSize CIphoneButton::sizeHint() const {
    const QPixmap& normal = m_pictures[CIphoneButtonState::NormalPicture];
    return normal.isNull() ? QSize(72, 61) : normal.size() / normal.devicePixelRatio();
}

QFont CIphoneButton::CaptionFont() {
    // "System" is a bitmap face on the platform the skins were first drawn for; elsewhere a
    // plain sans-serif face of the same size reads best on the pictures.
    static const QFont font = [] {
        QFont f;
        if (QFontDatabase::families().contains(QStringLiteral("System")))
            f.setFamily(QStringLiteral("System"));
        else
            f.setStyleHint(QFont::SansSerif);
        f.setPointSize(kCaptionPointSize);
        return f;
    }();
    return font;
}

void CIphoneButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap& picture = m_pictures[m_state.PictureToDraw()];
    if (!picture.isNull()) {
        const QRect target = m_state.DrawnShifted() ? rect().adjusted(1, 1, 0, 0) : rect();
        painter.drawPixmap(target, picture);
    }
    if (ShowsFocusMark()) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(kFocusMark, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 6, 6);
        painter.restore();
    }
    if (text().isEmpty())
        return;
    painter.setPen(Qt::white);
    // Still white, but a disabled button's caption recedes like its picture.
    if (!isEnabled())
        painter.setOpacity(0.55);
    const int top = m_captionHigh ? kCaptionTopHigh : kCaptionTopLow;
    const QRect box(2, top, width() - 4, height() - top - (m_captionHigh ? 0 : kCaptionBottomMargin));
    // Faces wider than the one the pictures were laid out for get a narrower cut or a point
    // less before a caption is shortened.
    QFont font = CaptionFont();
    for (const auto& [stretch, size] : {std::pair{QFont::Unstretched, 0}, std::pair{QFont::SemiCondensed, 0},
                                        std::pair{QFont::SemiCondensed, -1}}) {
        font = CaptionFont();
        font.setStretch(stretch);
        font.setPointSize(kCaptionPointSize + size);
        if (QFontMetrics(font).horizontalAdvance(text()) <= box.width())
            break;
    }
    painter.setFont(font);
    const QString shown = QFontMetrics(font).elidedText(text(), Qt::ElideRight, box.width());
    painter.drawText(box, Qt::AlignHCenter | (m_captionHigh ? Qt::AlignTop : Qt::AlignVCenter), shown);
}

void CIphoneButton::enterEvent(QEnterEvent* event) {
    m_state.OnEnter();
    update();
    QAbstractButton::enterEvent(event);
}

void CIphoneButton::leaveEvent(QEvent* event) {
    m_state.OnLeave();
    update();
    QAbstractButton::leaveEvent(event);
}

void CIphoneButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_state.OnPress();
        update();
    }
    QAbstractButton::mousePressEvent(event);
}

void CIphoneButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_state.OnRelease(rect().contains(event->position().toPoint()));
        update();
    }
    // The base class emits clicked() for a release inside; the owner reacts after our state
    // has settled, so it can override it (mark or unmark the button).
    QAbstractButton::mouseReleaseEvent(event);
}

void CIphoneButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void CIphoneButton::focusInEvent(QFocusEvent* event) {
    // The ring marks where the keyboard is: not the button a window hands its first focus to
    // when it opens, but kept when the window comes back to the front.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        m_keyboardFocus = event->reason() != Qt::MouseFocusReason;
    update();
    QAbstractButton::focusInEvent(event);
}

void CIphoneButton::focusOutEvent(QFocusEvent* event) {
    update();
    QAbstractButton::focusOutEvent(event);
}

void CIphoneButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        m_state.OnEnabledChanged(isEnabled());
        update();
    }
    QAbstractButton::changeEvent(event);
}

} // namespace quillory
