#include "app/ui/InstructionHostPage.h"

#include "app/AppSettings.h"
#include "app/ui/PageFactory.h"

namespace quillory {
namespace {

// Order in which a language change reaches the hosted screens.
constexpr std::array<int, CInstructionHostPage::kScreenCount> kTextOrder{
    INSTRUCTION_VKLA, INSTRUCTION_VKLE, INSTRUCTION_VKLZ, INSTRUCTION_VKLT, INSTRUCTION_VKLC};

} // namespace

CInstructionHostPage::CInstructionHostPage(ScreenMaker maker, QWidget* parent) : CPage(nullptr, parent) {
    for (int i = 0; i < kScreenCount; ++i) {
        m_screens[std::size_t(i)] = maker ? maker(i, this) : nullptr;
        if (CScreenBase* screen = m_screens[std::size_t(i)]) {
            screen->setGeometry(rect());
            screen->hide();
        }
    }
}

CScreenBase* CInstructionHostPage::Screen(int instruction) const {
    if (instruction < 0 || instruction >= kScreenCount)
        return nullptr;
    return m_screens[std::size_t(instruction)];
}

void CInstructionHostPage::PageShown() {
    const int wanted = ReadInstruction();
    if (wanted == m_inView)
        return;
    if (CScreenBase* old = Screen(m_inView))
        old->hide();
    if (CScreenBase* screen = Screen(wanted))
        screen->show();
    m_inView = wanted;
}

void CInstructionHostPage::ApplyLanguage(int languageIndex) {
    CPage::ApplyLanguage(languageIndex);
    for (const int instruction : kTextOrder) {
        if (CScreenBase* screen = Screen(instruction))
            screen->ApplyLanguage(languageIndex);
    }
}

void CInstructionHostPage::resizeEvent(QResizeEvent* event) {
    for (CScreenBase* screen : m_screens) {
        if (screen)
            screen->setGeometry(rect());
    }
    CPage::resizeEvent(event);
}

CPrinterSetDlg::CPrinterSetDlg(QWidget* parent) : CInstructionHostPage(&CreatePrinterSetScreen, parent) {}

CSettingEEPDlg::CSettingEEPDlg(QWidget* parent) : CInstructionHostPage(&CreateEepromScreen, parent) {}

} // namespace quillory
