#include "app/ui/QuillorySetDlg.h"

#include "app/AppSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace quillory {

CQuillorySetDlg::CQuillorySetDlg(QWidget* parent) : CScreenDialog("MainSetDlg", parent) {
    setWindowTitle(QStringLiteral("Program settings"));
    auto* label = AddControl(IDC_LANGUAGE_LABEL, new QLabel(QStringLiteral("Language:"), this));
    m_language = AddControl(IDC_LANGUAGE, new QComboBox(this));
    m_language->setMinimumWidth(180);
    label->setBuddy(m_language);
    m_wizard = AddControl(IDC_WIZARD, new QCheckBox(QStringLiteral("Open the wizard at start"), this));
    auto* ok = AddControl(IDOK_BUTTON, new QPushButton(QStringLiteral("OK"), this));
    auto* cancel = AddControl(IDCANCEL_BUTTON, new QPushButton(QStringLiteral("Cancel"), this));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CQuillorySetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CQuillorySetDlg::reject);

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(14);
    form->addWidget(label, 0, 0);
    form->addWidget(m_language, 0, 1);
    form->addWidget(m_wizard, 1, 0, 1, 2);
    form->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->addLayout(form);
    layout->addStretch();
    layout->addSpacing(12);
    layout->addLayout(buttons);

    ApplyLanguage(ReadLanguage());
    m_wizard->setChecked(ReadWizard() != 0);
    setFixedSize(sizeHint().expandedTo(QSize(380, 0)));
}

void CQuillorySetDlg::TextsApplied(int) {
    // The list offers the languages in index order; a stored value beyond them means English.
    const int current = ReadLanguage();
    m_language->setCurrentIndex(current >= 0 && current < m_language->count() ? current
                                                                              : m_language->count() - 1);
}

void CQuillorySetDlg::accept() {
    m_chosen = m_language->currentIndex();
    WriteWizard(m_wizard->isChecked() ? 1 : 0);
    CScreenDialog::accept();
}

} // namespace quillory
