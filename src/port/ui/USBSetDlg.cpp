#include "port/ui/USBSetDlg.h"

#include "port/ui/PortControls.h"

#include <QGridLayout>
#include <QLabel>

namespace quillory {

CUSBSetDlg::CUSBSetDlg(QWidget* parent) : CPortSubPage(nullptr, parent) {
    m_printers = AddControl(IDC_PRINTERS, new CDropDownList(this));
    m_printers->setMinimumWidth(220);
    m_printers->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(m_printers, &CDropDownList::droppingDown, this, &CUSBSetDlg::FillList);
    // The sub-page has no texts of its own: its one label names the port kind.
    auto* label = AddControl(IDC_PRINTERS_LABEL, new QLabel(QStringLiteral("USB:"), this));
    label->setBuddy(m_printers);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 4, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_printers, 0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
}

tagPORTINFO CUSBSetDlg::BuildPortInfo() const {
    if (m_mode == UsbListMode::UsbApi) {
        // Each entry carries its printer's id: the one entry of a saved description shows a
        // printer that need not be the first.
        tagPORTINFO info = MakePortInfo(PORT_USBAPI);
        const QVariant id = m_printers->currentData();
        info.usbApiId = id.isValid() ? id.toInt() : m_printers->currentIndex();
        return info;
    }
    // USB-class mode, and before any listing: the name shown is the printer meant.
    tagPORTINFO info = MakePortInfo(PORT_USBCLASS);
    SetPortText(info.usbClassName, m_printers->currentText());
    return info;
}

void CUSBSetDlg::ShowPortInfo(const tagPORTINFO& info) {
    m_printers->clear();
    if (info.portType == PORT_USBAPI) {
        m_printers->addItem(UsbApiItemText(info.usbApiId), info.usbApiId);
        m_mode = UsbListMode::UsbApi;
    } else {
        m_printers->addItem(PortText(info.usbClassName));
        m_mode = UsbListMode::UsbClass;
    }
    m_printers->setCurrentIndex(0);
}

void CUSBSetDlg::FillListIfEmpty() {
    if (m_printers->count() == 0)
        FillList();
}

void CUSBSetDlg::FillList() {
    UsbListing listing = ListUsbPrinters();
    m_printers->clear();
    for (int i = 0; i < listing.items.size(); ++i) {
        if (listing.mode == UsbListMode::UsbApi)
            m_printers->addItem(listing.items[i], i);
        else
            m_printers->addItem(listing.items[i]);
    }
    if (!listing.items.isEmpty())
        m_printers->setCurrentIndex(0);
    m_mode = listing.mode;
}

} // namespace quillory
