#include "port/ui/DriverSetDlg.h"

#include "app/AppPaths.h"
#include "app/AppSettings.h"
#include "app/ui/Activity.h"
#include "port/backends/Backends.h"
#include "port/ui/PortControls.h"
#include "port/ui/PrinterSearch.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace quillory {

QStringList DriverProgramCandidates(DriverProgram program) {
    const QString base = ResourcePath(program == DriverProgram::Setup ? QStringLiteral("Driver/Setup")
                                                                      : QStringLiteral("Driver/Uninstall"));
    return {base, base + QStringLiteral(".exe")};
}

bool StartDriverProgram(DriverProgram program) {
    for (const QString& candidate : DriverProgramCandidates(program)) {
        const QFileInfo info(candidate);
        if (!info.isFile() || !info.isExecutable())
            continue;
        if (QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath()))
            return true;
    }
    return false;
}

CDriverSetDlg::CDriverSetDlg(QWidget* parent) : CPortSubPage("DriverDlg", parent) {
    m_local = AddControl(IDC_LOCAL, new QRadioButton(QStringLiteral("Local printer"), this));
    m_network = AddControl(IDC_NETWORK, new QRadioButton(QStringLiteral("Network printer"), this));
    m_printersLabel = AddControl(IDC_PRINTERS_LABEL, new QLabel(QStringLiteral("Driver:"), this));
    m_printers = AddControl(IDC_PRINTERS, new CDropDownList(this));
    m_printers->setMinimumWidth(180);
    m_printers->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_printersLabel->setBuddy(m_printers);
    m_install = AddControl(IDC_INSTALL, new QPushButton(QStringLiteral("Install driver"), this));
    m_uninstall = AddControl(IDC_UNINSTALL, new QPushButton(QStringLiteral("Uninstall driver"), this));
    m_addressLabel = AddControl(IDC_ADDRESS_LABEL, new QLabel(QStringLiteral("IP:"), this));
    m_address = AddControl(IDC_ADDRESS, new CChoiceCombo(this));
    m_address->lineEdit()->setMaxLength(int(std::size(tagPORTINFO{}.netAddress)) - 1);
    m_address->setMinimumWidth(150);
    // Usable at once, typed or chosen from a search.
    m_addressLabel->setBuddy(m_address);
    m_portLabel = AddControl(IDC_PORT_LABEL, new QLabel(QStringLiteral("Port:"), this));
    m_port = AddControl(IDC_PORT, new QSpinBox(this));
    m_port->setRange(0, 65535);
    m_port->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_port->setValue(kDefaultPort);
    m_port->setMinimumWidth(80);
    m_portLabel->setBuddy(m_port);
    m_searchButton = AddControl(IDC_SEARCH, new QPushButton(QStringLiteral("Search"), this));
    m_progress = AddControl(IDC_PROGRESS, new QProgressBar(this));
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(14);
    m_progress->hide();

    auto* modes = new QHBoxLayout;
    modes->setSpacing(24);
    modes->addWidget(m_local);
    modes->addWidget(m_network);
    modes->addStretch();
    auto* setup = new QHBoxLayout;
    setup->setSpacing(10);
    setup->addWidget(m_install);
    setup->addWidget(m_uninstall);
    setup->addStretch();

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 4, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(12);
    grid->addLayout(modes, 0, 0, 1, 3);
    // Local mode.
    grid->addWidget(m_printersLabel, 1, 0);
    grid->addWidget(m_printers, 1, 1, 1, 2);
    grid->addLayout(setup, 2, 1, 1, 2);
    // Network mode, in the same rows.
    grid->addWidget(m_addressLabel, 1, 0);
    grid->addWidget(m_address, 1, 1);
    grid->addWidget(m_searchButton, 1, 2);
    grid->addWidget(m_portLabel, 2, 0);
    grid->addWidget(m_port, 2, 1, Qt::AlignLeft);
    grid->addWidget(m_progress, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowMinimumHeight(0, 30);
    grid->setRowStretch(4, 1);
    for (QPushButton* button : {m_install, m_uninstall})
        button->setMinimumWidth(110);

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

    connect(m_local, &QRadioButton::clicked, this, [this] { ShowLocalMode(true); });
    connect(m_network, &QRadioButton::clicked, this, [this] { ShowLocalMode(false); });
    connect(m_printers, &CDropDownList::droppingDown, this, &CDriverSetDlg::FillList);
    connect(m_searchButton, &QPushButton::clicked, this, &CDriverSetDlg::Search);
    for (const auto& [button, program] :
         {std::pair{m_install, DriverProgram::Setup}, std::pair{m_uninstall, DriverProgram::Uninstall}}) {
        connect(button, &QPushButton::clicked, this, [this, button = button, program = program] {
            const COperation op(this, button);
            if (StartDriverProgram(program))
                op.Succeeded("DriverSetupStarted", ReadLanguage(), Notify::LogOnly);
            else
                op.Failed("DriverSetupError", ReadLanguage(),
                          QDir::toNativeSeparators(DriverProgramCandidates(program).constFirst()));
        });
    }
    m_local->setChecked(true);
    ShowLocalMode(true);
}

CDriverSetDlg::~CDriverSetDlg() {
    // The search is a child object; it must not call back into controls already being torn down.
    m_search->onFound = nullptr;
    m_search->onFinished = nullptr;
}

void CDriverSetDlg::ShowLocalMode(bool local) {
    for (QWidget* control : {static_cast<QWidget*>(m_printersLabel), static_cast<QWidget*>(m_printers),
                             static_cast<QWidget*>(m_install), static_cast<QWidget*>(m_uninstall)})
        control->setVisible(local);
    for (QWidget* control : {static_cast<QWidget*>(m_addressLabel), static_cast<QWidget*>(m_address),
                             static_cast<QWidget*>(m_portLabel), static_cast<QWidget*>(m_port),
                             static_cast<QWidget*>(m_searchButton)})
        control->setVisible(!local);
    m_progress->setVisible(!local && m_search->IsRunning());
}

tagPORTINFO CDriverSetDlg::BuildPortInfo() const {
    if (m_local->isChecked()) {
        tagPORTINFO info = MakePortInfo(PORT_DRIVER);
        SetPortText(info.driverName, m_printers->currentText());
        return info;
    }
    tagPORTINFO info = MakePortInfo(PORT_NET);
    // A typed address counts as much as one a search found.
    SetPortText(info.netAddress, m_address->currentText().trimmed());
    info.netPort = m_port->value();
    return info;
}

void CDriverSetDlg::ShowPortInfo(const tagPORTINFO& info) {
    if (info.portType == PORT_NET) {
        m_network->setChecked(true);
        ShowLocalMode(false);
        m_address->clear();
        m_address->Choose(PortText(info.netAddress));
        m_port->setValue(info.netPort);
        return;
    }
    // The full list comes when it is dropped down.
    m_local->setChecked(true);
    ShowLocalMode(true);
    m_printers->clear();
    m_printers->addItem(PortText(info.driverName));
    m_printers->setCurrentIndex(0);
}

void CDriverSetDlg::FillListIfEmpty() {
    if (m_printers->count() == 0)
        FillList();
}

void CDriverSetDlg::FillList() {
    const QString chosen = m_printers->currentText();
    QStringList printers;
    try {
        printers = ListDriverPrinters();
    } catch (const CommunicationException&) {
        // Without a print service there is no installed printer to offer.
    }
    m_printers->clear();
    m_printers->addItems(printers);
    const int again = printers.indexOf(chosen);
    m_printers->setCurrentIndex(printers.isEmpty() ? -1 : qMax(0, again));
}

bool CDriverSetDlg::Search() {
    if (m_search->IsRunning())
        return false;
    m_searchButton->setEnabled(false);
    // What was typed stays until a printer answers: a search that finds nothing keeps it.
    const QString typed = m_address->currentText();
    m_address->clear();
    m_address->SetTypedText(typed);
    return m_search->Start(ReadLanguage(), this, m_searchButton->text());
}

void CDriverSetDlg::FocusAddress() {
    if (m_local->isChecked())
        return;
    m_address->setFocus(Qt::OtherFocusReason);
    m_address->lineEdit()->selectAll();
}

} // namespace quillory
