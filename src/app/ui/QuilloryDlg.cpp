#include "app/ui/QuilloryDlg.h"

namespace quillory {

CQuilloryDlg::CQuilloryDlg(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Quillory"));
    setFixedSize(800, 600);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(240, 240, 240));
    setPalette(p);
}

} // namespace quillory
