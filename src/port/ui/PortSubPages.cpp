#include "port/ui/PortSubPages.h"

#include "app/AppSettings.h"
#include "port/ui/COMSetDlg.h"
#include "port/ui/DriverSetDlg.h"
#include "port/ui/LPTSetDlg.h"
#include "port/ui/NetworkSetDlg.h"
#include "port/ui/USBSetDlg.h"

namespace quillory {
namespace {

struct PortTypeRow {
    std::int32_t portType;
    int subPage;
};
constexpr std::array<PortTypeRow, 6> kSubPageOfPortType{{
    {PORT_COM, SUBPAGE_COM},
    {PORT_LPT, SUBPAGE_LPT},
    {PORT_USBCLASS, SUBPAGE_USB},
    {PORT_USBAPI, SUBPAGE_USB},
    {PORT_NET, SUBPAGE_NET},
    {PORT_DRIVER, SUBPAGE_DRIVER},
}};

} // namespace

int SubPageForPortType(std::int32_t portType, bool driverMode) {
    if (driverMode)
        return SUBPAGE_DRIVER;
    for (const PortTypeRow& row : kSubPageOfPortType) {
        if (row.portType == portType)
            return row.subPage;
    }
    return SUBPAGE_COM;
}

bool IsDriverMode() {
    return ReadCommMode() == 1;
}

bool IsAddressMissing(const tagPORTINFO& info) {
    return info.portType == PORT_NET && PortText(info.netAddress).trimmed().isEmpty();
}

void CPortSubPages::Create(QWidget* host, const QRect& area, int languageIndex) {
    if (IsCreated())
        return;
    m_pages = {new CCOMSetDlg(host), new CLPTSetDlg(host), new CUSBSetDlg(host), new CNetworkSetDlg(host),
               new CDriverSetDlg(host)};
    for (CPortSubPage* page : m_pages) {
        page->setGeometry(area);
        page->hide();
        page->ApplyLanguage(languageIndex);
    }
}

CPortSubPage* CPortSubPages::Page(int index) const {
    return index >= 0 && index < kPortSubPageCount ? m_pages[std::size_t(index)] : nullptr;
}

void CPortSubPages::Show(int index, bool fill) {
    CPortSubPage* page = Page(index);
    if (!page)
        return;
    if (fill)
        page->FillListIfEmpty();
    for (CPortSubPage* other : m_pages) {
        if (other != page)
            other->hide();
    }
    page->show();
    m_inView = index;
}

void CPortSubPages::HideAll() {
    for (CPortSubPage* page : m_pages) {
        if (page)
            page->hide();
    }
}

void CPortSubPages::ApplyTextsInView(int languageIndex) {
    if (CPortSubPage* page = Page(m_inView))
        page->ApplyLanguage(languageIndex);
}

void CPortSubPages::ApplyTexts(int languageIndex) {
    for (CPortSubPage* page : m_pages) {
        if (page)
            page->ApplyLanguage(languageIndex);
    }
}

tagPORTINFO CPortSubPages::Build() const {
    const CPortSubPage* page = Page(m_inView);
    if (!page)
        page = Page(SUBPAGE_COM);
    return page ? page->BuildPortInfo() : MakePortInfo(PORT_COM);
}

int CPortSubPages::ShowSaved(const tagPORTINFO& info, bool driverMode) {
    const int index = SubPageForPortType(info.portType, driverMode);
    // In driver mode the driver sub-page shows what it builds, DRIVER or NET; another saved
    // type leaves it as it is.
    const bool fits = !driverMode || info.portType == PORT_DRIVER || info.portType == PORT_NET;
    Show(index, !fits);
    if (fits)
        m_pages[std::size_t(index)]->ShowPortInfo(info);
    return index;
}

void CPortSubPages::FocusAddress() {
    if (CPortSubPage* page = Page(m_inView))
        page->FocusAddress();
}

} // namespace quillory
