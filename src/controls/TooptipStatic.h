#pragma once

#include <QLabel>

namespace quillory {

// A static text that explains itself in a tooltip when the pointer rests on it (EEPROM pages
// label their parameters with these).
class CTooptipStatic : public QLabel {
    Q_OBJECT
public:
    explicit CTooptipStatic(QWidget* parent = nullptr);
    CTooptipStatic(const QString& text, const QString& tooltip, QWidget* parent = nullptr);

    void SetTooltipText(const QString& tooltip);
    [[nodiscard]] QString TooltipText() const { return toolTip(); }
};

} // namespace quillory
