#include "tools/ui/IpAddressEdit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace quillory {

CIpAddressEdit::CIpAddressEdit(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setBackgroundRole(QPalette::Base);
            layout->addWidget(dot);
        }
        auto* part = new QLineEdit(this);
        part->setFrame(false);
        part->setAlignment(Qt::AlignCenter);
        part->setMaxLength(3);
        part->setValidator(new QIntValidator(0, 255, part));
        part->installEventFilter(this);
        connect(part, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            if (text.size() == 3 && i + 1 < m_parts.size()) {
                m_parts[i + 1]->setFocus();
                m_parts[i + 1]->selectAll();
            }
        });
        layout->addWidget(part, 1);
        m_parts[i] = part;
    }
    setFocusProxy(m_parts[0]);
}

CIpAddressEdit::Address CIpAddressEdit::GetAddress() const {
    Address address{};
    for (std::size_t i = 0; i < m_parts.size(); ++i)
        address[i] = std::uint8_t(std::clamp(m_parts[i]->text().toInt(), 0, 255));
    return address;
}

void CIpAddressEdit::SetAddress(const Address& address) {
    for (std::size_t i = 0; i < m_parts.size(); ++i)
        m_parts[i]->setText(QString::number(address[i]));
}

QString CIpAddressEdit::Text() const {
    const Address a = GetAddress();
    return QStringLiteral("%1.%2.%3.%4").arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
}

bool CIpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        if (watched != m_parts[i])
            continue;
        QLineEdit* part = m_parts[i];
        const bool atStart = part->cursorPosition() == 0 && !part->hasSelectedText();
        const bool atEnd = part->cursorPosition() == part->text().size();
        if (key->text() == QStringLiteral(".") || (key->key() == Qt::Key_Right && atEnd)) {
            if (i + 1 < m_parts.size() && !(key->text() == QStringLiteral(".") && part->text().isEmpty())) {
                m_parts[i + 1]->setFocus();
                m_parts[i + 1]->selectAll();
            }
            return true;
        }
        if (i > 0 && atStart && (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Left)) {
            m_parts[i - 1]->setFocus();
            m_parts[i - 1]->setCursorPosition(int(m_parts[i - 1]->text().size()));
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void CIpAddressEdit::changeEvent(QEvent* event) {
    // A disabled address looks disabled all over, not only in its digits.
    if (event->type() == QEvent::EnabledChange)
        setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Window);
    QFrame::changeEvent(event);
}

} // namespace quillory
