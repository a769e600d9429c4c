#include "controls/IphoneButtonState.h"

namespace quillory {

void CIphoneButtonState::OnEnter() {
    if (m_state == Normal)
        m_state = Hover;
}

void CIphoneButtonState::OnLeave() {
    // A press in progress is settled by its release, wherever the pointer is then.
    if (m_state == Hover)
        m_state = Normal;
}

void CIphoneButtonState::OnPress() {
    if (m_state == Disabled)
        return;
    m_beforePress = m_state;
    m_state = Pressed;
}

void CIphoneButtonState::OnRelease(bool inside) {
    if (m_state == Disabled)
        return;
    if (inside)
        m_state = Clicked;
    else
        m_state = m_beforePress == Clicked ? Clicked : Normal;
}

void CIphoneButtonState::OnEnabledChanged(bool enabled) {
    if (!enabled)
        m_state = Disabled;
    else if (m_state == Disabled)
        m_state = Normal;
}

CIphoneButtonState::Picture CIphoneButtonState::PictureToDraw() const {
    switch (m_state) {
    case Hover:
        return HoverPicture;
    case Pressed:
    case Clicked:
        return ClickPicture;
    case Disabled:
        return DisablePicture;
    case Normal:
        break;
    }
    return NormalPicture;
}

bool CIphoneButtonState::DrawnShifted() const {
    return m_state == Hover || m_state == Pressed || m_state == Clicked;
}

} // namespace quillory
