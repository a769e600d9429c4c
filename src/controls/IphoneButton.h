#pragma once

#include "controls/IphoneButtonState.h"

#include <QAbstractButton>
#include <QPixmap>

#include <array>

namespace quillory {

// A push button drawn from four pictures (Normal, Hover, Click, Disable) with its caption
// painted over them in white, and a ring while it has the keyboard focus. It takes the size of
// its Normal picture.
class CIphoneButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CIphoneButton(QWidget* parent = nullptr);

    // Loads the four pictures; a missing file leaves that picture empty (nothing is drawn).
    // Returns whether all four were loaded.
    bool LoadPictures(const QString& normal, const QString& hover, const QString& click,
                      const QString& disable);
    // Loads folder/<base>Normal.png, ...Hover.png, ...Click.png and ...Disable.png.
    bool LoadPictures(const QString& folder, const QString& base);

    // Caption near the top (10 pixels down) or low (under a pictogram, centred in the rest).
    void SetCaptionHigh(bool high);
    [[nodiscard]] bool CaptionHigh() const { return m_captionHigh; }

    // Owner operations: drop the pressed look, or mark the button as the selected one.
    void SetStateNormal();
    void SetStateClicked();
    [[nodiscard]] CIphoneButtonState::State GetState() const { return m_state.GetState(); }
    // Whether the focus ring is drawn: the button has the focus and got it from the keyboard.
    [[nodiscard]] bool ShowsFocusMark() const { return hasFocus() && m_keyboardFocus; }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    [[nodiscard]] static QFont CaptionFont();

    std::array<QPixmap, 4> m_pictures;
    CIphoneButtonState m_state;
    bool m_captionHigh = false;
    bool m_keyboardFocus = false;
};

} // namespace quillory
