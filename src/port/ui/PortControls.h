#pragma once

#include <QComboBox>

namespace quillory {

// A drop-down list that tells its screen just before it opens, so the screen can refill it.
class CDropDownList : public QComboBox {
    Q_OBJECT
public:
    explicit CDropDownList(QWidget* parent = nullptr);

    void showPopup() override;

signals:
    void droppingDown();
};

// An editable list whose value is the item the operator chose: text typed over it is no choice
// and reads as empty, as the port description wants it.
class CChoiceCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CChoiceCombo(QWidget* parent = nullptr);

    // Text of the chosen item; empty while typed text stands in the box or nothing is chosen.
    [[nodiscard]] QString ChosenText() const;
    [[nodiscard]] bool HasTypedText() const { return m_typed; }
    // Chooses the item of text, adding it to the list when it lacks one; empty text clears the
    // box and chooses nothing.
    void Choose(const QString& text);
    // Puts text in the box as if typed.
    void SetTypedText(const QString& text);

private:
    bool m_typed = false;
};

// Sets the index of combo without change signals; -1 clears the choice.
void SelectQuietly(QComboBox* combo, int index);

} // namespace quillory
