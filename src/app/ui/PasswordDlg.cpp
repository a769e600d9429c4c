#include "app/ui/PasswordDlg.h"

#include "app/AppSettings.h"
#include "app/ui/Help.h"
#include "app/ui/Messages.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quillory {

bool CPasswordDlg::IsAccessCode(const QString& text) {
    return text == QStringLiteral("kfry");
}

CPasswordDlg::CPasswordDlg(QWidget* parent) : CScreenDialog("PasswordDlg", parent) {
    setWindowTitle(QStringLiteral("Access code"));
    auto* prompt = AddControl(IDC_PROMPT, new QLabel(QStringLiteral("Access code:"), this));
    prompt->setWordWrap(true);
    m_password = AddControl(IDC_PASSWORD, new QLineEdit(this));
    m_password->setEchoMode(QLineEdit::Password);
    prompt->setBuddy(m_password);
    auto* ok = AddControl(IDOK_BUTTON, new QPushButton(QStringLiteral("OK"), this));
    auto* cancel = AddControl(IDCANCEL_BUTTON, new QPushButton(QStringLiteral("Cancel"), this));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CPasswordDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CPasswordDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setSpacing(10);
    layout->addWidget(prompt);
    layout->addWidget(m_password);
    layout->addSpacing(12);
    layout->addLayout(buttons);

    ApplyLanguage(ReadLanguage());
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}

void CPasswordDlg::accept() {
    if (IsAccessCode(m_password->text())) {
        CScreenDialog::accept();
        return;
    }
    ShowMessageKey("PasswordError", ReadLanguage(), this, MessageIcon::Warning);
    m_password->selectAll();
    m_password->setFocus();
}

void CPasswordDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        OpenHelp();
        return;
    }
    CScreenDialog::keyPressEvent(event);
}

} // namespace quillory
