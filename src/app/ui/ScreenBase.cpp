#include "app/ui/ScreenBase.h"

#include <QMouseEvent>
#include <QPainter>

namespace quillory {

void UseScreenBackground(QWidget* widget) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, kScreenBackground);
    widget->setPalette(p);
}

CScreenBase::CScreenBase(const char* element, QWidget* parent)
    : QWidget(parent), CControlRegistry(this, element) {
    UseScreenBackground(this);
}

void CScreenBase::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), kScreenBackground);
}

void CScreenBase::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

CScreenDialog::CScreenDialog(const char* element, QWidget* parent)
    : QDialog(parent), CControlRegistry(this, element) {
    UseScreenBackground(this);
}

void CScreenDialog::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), kScreenBackground);
}

} // namespace quillory
