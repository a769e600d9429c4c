#pragma once

namespace quillory {

// Pointer state of a picture button, kept apart from painting so that the rules can be tested
// without a window. State 4 ("clicked") is sticky: the owner uses it to mark the button of the
// page in view, so hovering over it or leaving it does not change it.
class CIphoneButtonState {
public:
    enum State : int {
        Normal = 0,
        Hover = 1,
        Pressed = 2,
        Disabled = 3,
        Clicked = 4,
    };
    // The four pictures, in the order they are loaded.
    enum Picture : int {
        NormalPicture = 0,
        HoverPicture = 1,
        ClickPicture = 2,
        DisablePicture = 3,
    };

    [[nodiscard]] State GetState() const { return m_state; }

    void OnEnter();
    void OnLeave();
    void OnPress();
    // Releasing inside the button marks it clicked; releasing outside falls back to normal
    // unless it was clicked before.
    void OnRelease(bool inside);
    void OnEnabledChanged(bool enabled);
    // Owner operations.
    void SetNormal() { m_state = Normal; }
    void SetClicked() { m_state = Clicked; }

    [[nodiscard]] Picture PictureToDraw() const;
    // Hover and click pictures are drawn one pixel right and down and one pixel smaller, which
    // gives the button its pressed-in look.
    [[nodiscard]] bool DrawnShifted() const;

private:
    State m_state = Normal;
    State m_beforePress = Normal;
};

} // namespace quillory
