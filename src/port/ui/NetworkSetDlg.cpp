#include "port/ui/NetworkSetDlg.h"

#include "app/AppSettings.h"
#include "port/ui/PrinterSearch.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

namespace quillory {

CNetworkSetDlg::CNetworkSetDlg(QWidget* parent) : CPortSubPage("NetDlg", parent) {
    m_address = AddControl(IDC_ADDRESS, new QComboBox(this));
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->lineEdit()->setMaxLength(int(std::size(tagPORTINFO{}.netAddress)) - 1);
    m_address->setMinimumWidth(150);
    // Usable at once: many printers do not answer a search from another subnet.
    m_port = AddControl(IDC_PORT, new QSpinBox(this));
    m_port->setRange(0, 65535);
    m_port->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_port->setValue(kDefaultPort);
    m_searchButton = AddControl(IDC_SEARCH, new QPushButton(QStringLiteral("Search"), this));
    m_progress = AddControl(IDC_PROGRESS, new QProgressBar(this));
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(14);
    m_progress->hide();
    auto* addressLabel = AddControl(IDC_ADDRESS_LABEL, new QLabel(QStringLiteral("IP address:"), this));
    addressLabel->setBuddy(m_address);
    auto* portLabel = AddControl(IDC_PORT_LABEL, new QLabel(QStringLiteral("Port:"), this));
    portLabel->setBuddy(m_port);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 4, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(12);
    grid->addWidget(addressLabel, 0, 0);
    grid->addWidget(m_address, 0, 1);
    grid->addWidget(m_searchButton, 0, 2);
    grid->addWidget(portLabel, 1, 0);
    grid->addWidget(m_port, 1, 1, Qt::AlignLeft);
    grid->addWidget(m_progress, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    m_port->setMinimumWidth(80);

    m_search = new CPrinterSearch(m_progress, this);
    m_search->onFound = [this](const QStringList& addresses) {
        // A printer that answers both rounds is listed once.
        for (const QString& address : addresses) {
            if (m_address->findText(address, Qt::MatchExactly) < 0)
                m_address->addItem(address);
        }
        m_address->setCurrentIndex(0);
    };
    m_search->onFinished = [this](int) { m_searchButton->setEnabled(true); };
    connect(m_searchButton, &QPushButton::clicked, this, &CNetworkSetDlg::Search);
}

CNetworkSetDlg::~CNetworkSetDlg() {
    // The search is a child object; it must not call back into controls already being torn down.
    m_search->onFound = nullptr;
    m_search->onFinished = nullptr;
}

tagPORTINFO CNetworkSetDlg::BuildPortInfo() const {
    tagPORTINFO info = MakePortInfo(PORT_NET);
    SetPortText(info.netAddress, m_address->currentText().trimmed());
    info.netPort = m_port->value();
    return info;
}

void CNetworkSetDlg::ShowPortInfo(const tagPORTINFO& info) {
    m_address->clear();
    m_address->addItem(PortText(info.netAddress));
    m_address->setCurrentIndex(0);
    m_port->setValue(info.netPort);
}

void CNetworkSetDlg::Search() {
    if (m_search->IsRunning())
        return;
    m_searchButton->setEnabled(false);
    // What was typed stays until a printer answers: a search that finds nothing keeps it.
    const QString typed = m_address->currentText();
    m_address->clear();
    m_address->setEditText(typed);
    m_search->Start(ReadLanguage(), this, m_searchButton->text());
}

void CNetworkSetDlg::FocusAddress() {
    m_address->setFocus(Qt::OtherFocusReason);
    m_address->lineEdit()->selectAll();
}

} // namespace quillory
