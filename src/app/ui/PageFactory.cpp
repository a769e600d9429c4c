#include "app/ui/PageFactory.h"

#include "app/ui/InstructionHostPage.h"
#include "eeprom/ui/EepromScreen.h"
#include "port/ui/CommunicationSettingDlg.h"
#include "port/ui/WizardDlg.h"
#include "settings/ui/PrinterSetDlgs.h"
#include "tools/ui/DebugDlg.h"
#include "tools/ui/DownLoadDlg.h"
#include "tools/ui/LogoEditDlg.h"
#include "tools/ui/NetworkDlg.h"
#include "tools/ui/ToolsDlg.h"

#include <array>

namespace quillory {
namespace {

using PageMaker = CPage* (*)(QWidget* parent);
using ScreenMaker = CScreenBase* (*)(QWidget* parent);

template <typename T>
CPage* MakePage(QWidget* parent) {
    return new T(parent);
}

template <typename T>
CScreenBase* MakeScreen(QWidget* parent) {
    return new T(parent);
}

// One line per page slot, in PageIndex order; nullptr leaves the slot empty.
constexpr std::array<PageMaker, kPageCount> kPages{
    // PAGE_PORT
    &MakePage<CCommunicationSettingDlg>,
    &MakePage<CPrinterSetDlg>, // PAGE_PRINTER_SETTINGS
    &MakePage<CToolsDlg>,      // PAGE_TOOLS
    &MakePage<CNetworkDlg>,    // PAGE_NETWORK
    &MakePage<CDebugDlg>,      // PAGE_DEBUG
    &MakePage<CSettingEEPDlg>, // PAGE_EEPROM
    &MakePage<CLogoEditDlg>,   // PAGE_LOGO
};

// One line per command-language index: 0 VKLZ, 1 VKLE, 2 VKLT, 3 VKLA, 4 VKLC.
constexpr std::array<ScreenMaker, 5> kPrinterSetScreens{
    &MakeScreen<CVKLZPrinterSetDlg>, // VKLZ
    &MakeScreen<CVKLEPrinterSetDlg>, // VKLE
    &MakeScreen<CVKLTPrinterSetDlg>, // VKLT
    &MakeScreen<CVKLAPrinterSetDlg>, // VKLA
    &MakeScreen<CVKLCPrinterSetDlg>, // VKLC
};

constexpr std::array<ScreenMaker, 5> kEepromScreens{
    &MakeScreen<CVKLZEEPDlg>, // VKLZ
    &MakeScreen<CVKLEEEPDlg>, // VKLE
    &MakeScreen<CVKLTEEPDlg>, // VKLT
    &MakeScreen<CVKLAEEPDLg>, // VKLA
    &MakeScreen<CVKLCEEPDlg>, // VKLC
};

template <std::size_t N>
CScreenBase* MakeFrom(const std::array<ScreenMaker, N>& table, int index, QWidget* parent) {
    if (index < 0 || std::size_t(index) >= N || !table[std::size_t(index)])
        return nullptr;
    return table[std::size_t(index)](parent);
}

} // namespace

CPage* CreatePage(int index, QWidget* parent) {
    if (index >= 0 && index < kPageCount && kPages[std::size_t(index)])
        return kPages[std::size_t(index)](parent);
    return new CPage(nullptr, parent);
}

CScreenBase* CreatePrinterSetScreen(int instruction, QWidget* parent) {
    return MakeFrom(kPrinterSetScreens, instruction, parent);
}

CScreenBase* CreateEepromScreen(int instruction, QWidget* parent) {
    return MakeFrom(kEepromScreens, instruction, parent);
}

std::unique_ptr<QDialog> CreateWizardDialog(QWidget* parent) {
    return std::make_unique<CWizardDlg>(parent);
}

std::unique_ptr<QDialog> CreateDownloadDialog(int language, const tagPORTINFO& port, QWidget* parent) {
    return std::make_unique<CDownLoadDlg>(language, port, parent);
}

} // namespace quillory
