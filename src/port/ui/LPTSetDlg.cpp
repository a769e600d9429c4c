#include "port/ui/LPTSetDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace quillory {

CLPTSetDlg::CLPTSetDlg(QWidget* parent) : CPortSubPage(nullptr, parent) {
    m_name = AddControl(IDC_NAME, new QComboBox(this));
    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    m_name->lineEdit()->setMaxLength(int(std::size(tagPORTINFO{}.lptName)) - 1);
    for (int i = 1; i <= 6; ++i)
        m_name->addItem(QStringLiteral("LPT%1").arg(i));
    m_name->setCurrentIndex(0);
    m_name->setMinimumWidth(140);
    // The sub-page has no texts of its own: its one label names the port kind.
    auto* label = AddControl(IDC_NAME_LABEL, new QLabel(QStringLiteral("LPT:"), this));
    label->setBuddy(m_name);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 4, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_name, 0, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);
}

tagPORTINFO CLPTSetDlg::BuildPortInfo() const {
    tagPORTINFO info = MakePortInfo(PORT_LPT);
    SetPortText(info.lptName, m_name->currentText());
    return info;
}

void CLPTSetDlg::ShowPortInfo(const tagPORTINFO& info) {
    m_name->setEditText(PortText(info.lptName));
}

} // namespace quillory
