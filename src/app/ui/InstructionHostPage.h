#pragma once

#include "app/ui/Page.h"

#include <array>

namespace quillory {

// A page that holds one screen per command language (0 VKLZ, 1 VKLE, 2 VKLT, 3 VKLA, 4 VKLC)
// and shows the one of the language stored in the settings whenever it is brought into view.
class CInstructionHostPage : public CPage {
    Q_OBJECT
public:
    static constexpr int kScreenCount = 5;
    // Creates the screen of a command-language index, or returns nullptr when there is none.
    using ScreenMaker = CScreenBase* (*)(int instruction, QWidget* parent);

    CInstructionHostPage(ScreenMaker maker, QWidget* parent = nullptr);

    // The hosted screen of a command-language index, or nullptr.
    [[nodiscard]] CScreenBase* Screen(int instruction) const;
    // The command-language index in view, or -1.
    [[nodiscard]] int InstructionInView() const { return m_inView; }

    void PageShown() override;
    // Applies the texts to the hosted screens in the order VKLA, VKLE, VKLZ, VKLT, VKLC.
    void ApplyLanguage(int languageIndex) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::array<CScreenBase*, kScreenCount> m_screens{};
    int m_inView = -1;
};

// Page 1: the print-settings screen of the current command language.
class CPrinterSetDlg : public CInstructionHostPage {
    Q_OBJECT
public:
    explicit CPrinterSetDlg(QWidget* parent = nullptr);
};

// Page 5: the EEPROM screen of the current command language.
class CSettingEEPDlg : public CInstructionHostPage {
    Q_OBJECT
public:
    explicit CSettingEEPDlg(QWidget* parent = nullptr);
};

} // namespace quillory
