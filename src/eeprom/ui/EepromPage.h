#pragma once

#include "app/ui/ScreenBase.h"
#include "eeprom/ParameterControls.h"

#include <vector>

namespace quillory {

// Caption labels carry the id of their control plus this offset in the language files.
inline constexpr int kEepromCaptionOffset = 10000;

// One tabbed page of an EEPROM screen, built from the language's control rows
// (ParameterControls.h): a caption and a control per entry of the page.
//
// A fill remembers what each control was given; collecting an entry the operator did not touch
// gives back the stored value itself, so a value without a list position or outside a field's
// range is never replaced by something the operator did not choose.
class CEepromPage : public CScreenBase {
    Q_OBJECT
public:
    CEepromPage(int instruction, int page, const char* element, QWidget* parent = nullptr);

    [[nodiscard]] int Instruction() const { return m_instruction; }
    [[nodiscard]] int PageNumber() const { return m_page; }
    // Whether the page shows the entry.
    [[nodiscard]] bool HasEntry(int entry) const;
    // The control of an entry, or nullptr.
    [[nodiscard]] QWidget* EntryControl(int entry) const;

    // Shows this page's entries of the parameter array; idText is the VKLA printer name.
    void Fill(const std::vector<int>& parameters, const QString& idText = {});
    // Stores this page's entries into parameters (entries of other pages stay as they are) and,
    // on the VKLA page that shows it, the printer name into idText.
    void Collect(std::vector<int>& parameters, QString* idText = nullptr) const;
    void CollectEntry(int entry, std::vector<int>& parameters) const;

    void ApplyLanguage(int languageIndex) override;

signals:
    // The operator changed the control of an entry (not sent while filling).
    void entryEdited(int entry);

private:
    struct Bound {
        const EepromControlRow* row = nullptr;
        QWidget* control = nullptr;
        bool filled = false;
        int value = 0;      // the stored value the control was filled with
        int position = -1;  // lists: the position shown for it
        QString text;       // fields: the text shown for it
        QString storedText; // the VKLA printer name as filled, uncut
    };

    void Build();
    void BuildLayout();
    void ShowNumber(Bound& bound, int value);
    void SettleNumber(Bound& bound);
    [[nodiscard]] Bound* Find(int entry);
    [[nodiscard]] const Bound* Find(int entry) const;
    [[nodiscard]] int Collected(const Bound& bound, int current) const;
    [[nodiscard]] QString CollectedText(const Bound& bound) const;

    int m_instruction;
    int m_page;
    std::vector<Bound> m_bound;
    bool m_filling = false;
};

// The pages by language (0 VKLZ, 1 VKLE, 2 VKLT, 3 VKLA, 4 VKLC) and page number.
class CVKLZEEPSetOneDlg final : public CEepromPage {
public:
    explicit CVKLZEEPSetOneDlg(QWidget* parent = nullptr) : CEepromPage(0, 1, "VKLZEEPOneDlg", parent) {}
};
class CVKLZEEPSetTwoDlg final : public CEepromPage {
public:
    explicit CVKLZEEPSetTwoDlg(QWidget* parent = nullptr) : CEepromPage(0, 2, "VKLZEEPTwoDlg", parent) {}
};
class CVKLEEEPSetOneDlg final : public CEepromPage {
public:
    explicit CVKLEEEPSetOneDlg(QWidget* parent = nullptr) : CEepromPage(1, 1, "VKLEEEPOneDlg", parent) {}
};
class CVKLEEEPSetTwoDlg final : public CEepromPage {
public:
    explicit CVKLEEEPSetTwoDlg(QWidget* parent = nullptr) : CEepromPage(1, 2, "VKLEEEPTwoDlg", parent) {}
};
class CVKLTEEPSetOneDlg final : public CEepromPage {
public:
    explicit CVKLTEEPSetOneDlg(QWidget* parent = nullptr) : CEepromPage(2, 1, "VKLTEEPOneDlg", parent) {}
};
class CVKLTEEPSetTwoDlg final : public CEepromPage {
public:
    explicit CVKLTEEPSetTwoDlg(QWidget* parent = nullptr) : CEepromPage(2, 2, "VKLTEEPTwoDlg", parent) {}
};
class CVKLAEEPSetOneDlg final : public CEepromPage {
public:
    explicit CVKLAEEPSetOneDlg(QWidget* parent = nullptr) : CEepromPage(3, 1, "VKLAEEPOneDlg", parent) {}
};
class CVKLAEEPSetTwoDlg final : public CEepromPage {
public:
    explicit CVKLAEEPSetTwoDlg(QWidget* parent = nullptr) : CEepromPage(3, 2, "VKLAEEPTwoDlg", parent) {}
};
class CVKLAEEPSetThreeDlg final : public CEepromPage {
public:
    explicit CVKLAEEPSetThreeDlg(QWidget* parent = nullptr) : CEepromPage(3, 3, "VKLAEEPThreeDlg", parent) {}
};
class CVKLCEEPSetOneDlg final : public CEepromPage {
public:
    explicit CVKLCEEPSetOneDlg(QWidget* parent = nullptr) : CEepromPage(4, 1, "VKLCEEPOneDlg", parent) {}
};
class CVKLCEEPSetTwoDlg final : public CEepromPage {
public:
    explicit CVKLCEEPSetTwoDlg(QWidget* parent = nullptr) : CEepromPage(4, 2, "VKLCEEPTwoDlg", parent) {}
};

} // namespace quillory
