#include "port/ui/COMSetDlg.h"

#include "port/backends/Backends.h"
#include "port/ui/PortControls.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace quillory {

int BaudPosition(std::int32_t baudRate) {
    for (std::size_t i = 0; i < kBaudRates.size(); ++i) {
        if (kBaudRates[i] == baudRate)
            return int(i);
    }
    return -1;
}

std::int32_t BaudRateAt(int position) {
    return position >= 0 && std::size_t(position) < kBaudRates.size() ? kBaudRates[std::size_t(position)] : 0;
}

namespace {

int DataBitsPosition(std::int32_t dataBits) {
    for (std::size_t i = 0; i < kDataBits.size(); ++i) {
        if (kDataBits[i] == dataBits)
            return int(i);
    }
    return -1;
}

std::int32_t DataBitsAt(int position) {
    return position >= 0 && std::size_t(position) < kDataBits.size() ? kDataBits[std::size_t(position)] : 0;
}

} // namespace

CCOMSetDlg::CCOMSetDlg(QWidget* parent) : CPortSubPage("COMDlg", parent) {
    m_name = AddControl(IDC_NAME, new CChoiceCombo(this));
    // Long names (stable /dev/serial/by-id/... paths) are kept whole.
    m_name->lineEdit()->setMaxLength(int(kMaxSerialNameChars));
    m_baud = AddControl(IDC_BAUD, new QComboBox(this));
    for (const std::int32_t rate : kBaudRates)
        m_baud->addItem(QString::number(rate));
    m_baud->setCurrentIndex(BaudPosition(9600));
    m_dataBits = AddControl(IDC_DATA_BITS, new QComboBox(this));
    for (const std::int32_t bits : kDataBits)
        m_dataBits->addItem(QString::number(bits));
    m_dataBits->setCurrentIndex(DataBitsPosition(8));
    m_stopBits = AddControl(IDC_STOP_BITS, new QComboBox(this));
    m_parity = AddControl(IDC_PARITY, new QComboBox(this));
    m_flow = AddControl(IDC_FLOW, new QComboBox(this));

    struct Row {
        int labelId;
        const char* caption;
        QComboBox* box;
    };
    const Row rows[] = {
        {IDC_NAME_LABEL, "Port:", m_name},
        {IDC_BAUD_LABEL, "Baud rate:", m_baud},
        {IDC_DATA_BITS_LABEL, "Data bits:", m_dataBits},
        {IDC_STOP_BITS_LABEL, "Stop bits:", m_stopBits},
        {IDC_PARITY_LABEL, "Parity:", m_parity},
        {IDC_FLOW_LABEL, "Flow control:", m_flow},
    };
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 4, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(12);
    for (int i = 0; i < int(std::size(rows)); ++i) {
        auto* label = AddControl(rows[i].labelId, new QLabel(QString::fromLatin1(rows[i].caption), this));
        label->setBuddy(rows[i].box);
        rows[i].box->setMinimumWidth(100);
        const int column = (i % 2) * 3;
        grid->addWidget(label, i / 2, column);
        grid->addWidget(rows[i].box, i / 2, column + 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(2, 16);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(3, 1);
}

tagPORTINFO CCOMSetDlg::BuildPortInfo() const {
    tagPORTINFO info = MakePortInfo(PORT_COM);
    SetSerialPortName(info, m_name->ChosenText());
    info.baudRate = BaudRateAt(m_baud->currentIndex());
    info.dataBits = DataBitsAt(m_dataBits->currentIndex());
    info.stopBits = m_stopBits->currentIndex();
    info.parity = m_parity->currentIndex();
    info.flowControl = m_flow->currentIndex();
    return info;
}

void CCOMSetDlg::ShowPortInfo(const tagPORTINFO& info) {
    // A saved name the list lacks (a port that is not attached now) joins the list, so that
    // confirming the page again keeps it.
    m_name->Choose(SerialPortName(info));
    if (const int position = BaudPosition(info.baudRate); position >= 0)
        m_baud->setCurrentIndex(position);
    if (const int position = DataBitsPosition(info.dataBits); position >= 0)
        m_dataBits->setCurrentIndex(position);
    SelectQuietly(m_stopBits, info.stopBits);
    SelectQuietly(m_parity, info.parity);
    SelectQuietly(m_flow, info.flowControl);
}

void CCOMSetDlg::ApplyLanguage(int languageIndex) {
    if (AppliedLanguage() < 0) {
        CPortSubPage::ApplyLanguage(languageIndex);
        return;
    }
    const bool typed = m_name->HasTypedText();
    const QString name = typed ? m_name->currentText() : m_name->ChosenText();
    const int stop = m_stopBits->currentIndex();
    const int parity = m_parity->currentIndex();
    const int flow = m_flow->currentIndex();
    CPortSubPage::ApplyLanguage(languageIndex);
    if (typed)
        m_name->SetTypedText(name);
    else
        m_name->Choose(name);
    SelectQuietly(m_stopBits, stop);
    SelectQuietly(m_parity, parity);
    SelectQuietly(m_flow, flow);
}

void CCOMSetDlg::TextsApplied(int) {
    // Besides the names of the language file, the ports this system reports.
    for (const QString& port : SystemSerialPortNames()) {
        if (m_name->findText(port, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            m_name->addItem(port);
    }
}

} // namespace quillory
