#include "controls/TooptipStatic.h"

namespace quillory {

CTooptipStatic::CTooptipStatic(QWidget* parent) : QLabel(parent) {
    // The tooltip covers the whole label, also where it has no text.
    setAttribute(Qt::WA_Hover);
}

CTooptipStatic::CTooptipStatic(const QString& text, const QString& tooltip, QWidget* parent)
    : CTooptipStatic(parent) {
    setText(text);
    SetTooltipText(tooltip);
}

void CTooptipStatic::SetTooltipText(const QString& tooltip) {
    setToolTip(tooltip);
}

} // namespace quillory
