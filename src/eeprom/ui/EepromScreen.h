#pragma once

#include "app/ui/ScreenBase.h"
#include "app/ui/ScreenExchange.h"
#include "eeprom/EepromDiff.h"
#include "eeprom/ui/EepromPage.h"
#include "instruction/InstructionProtocol.h"

#include <QTabWidget>

#include <memory>
#include <optional>
#include <vector>

class QPushButton;

namespace quillory {

class COperation;

// The tab control of an EEPROM screen (id 1072) with the language's pages, page 1 in view.
class CEepromTabCtrl : public QTabWidget {
    Q_OBJECT
public:
    static constexpr int kId = 1072;

    CEepromTabCtrl(int instruction, QWidget* parent = nullptr);
    [[nodiscard]] const std::vector<CEepromPage*>& Pages() const { return m_pages; }

private:
    std::vector<CEepromPage*> m_pages;
};

class CVKLZTabCtrl final : public CEepromTabCtrl {
public:
    explicit CVKLZTabCtrl(QWidget* parent = nullptr) : CEepromTabCtrl(0, parent) {}
};
class CVKLETabCtrl final : public CEepromTabCtrl {
public:
    explicit CVKLETabCtrl(QWidget* parent = nullptr) : CEepromTabCtrl(1, parent) {}
};
class CVKLTTabCtrl final : public CEepromTabCtrl {
public:
    explicit CVKLTTabCtrl(QWidget* parent = nullptr) : CEepromTabCtrl(2, parent) {}
};
class CVKLATabCtrl final : public CEepromTabCtrl {
public:
    explicit CVKLATabCtrl(QWidget* parent = nullptr) : CEepromTabCtrl(3, parent) {}
};
class CVKLCTabCtrl final : public CEepromTabCtrl {
public:
    explicit CVKLCTabCtrl(QWidget* parent = nullptr) : CEepromTabCtrl(4, parent) {}
};

// What distinguishes the EEPROM screens of the languages.
struct EepromScreenBlueprint {
    int instruction;
    const char* element;
    int readId, applyId, saveId, loadId, restoreId;
    const char* readMessage;
    const char* applyMessage;
    const char* restoreMessage;
    const char* filePattern; // "*.eep" ("*.EEP" on VKLE)
    bool trackChanges;       // VKLC: every edit goes into the screen's copy of the array at once
    CEepromTabCtrl* (*makeTabs)(QWidget* parent);
};

// An EEPROM screen: reads the printer's whole EEPROM (refreshing the backup), shows it on the
// pages, writes the pages back, saves and loads EEPROM files and restores the last backup.
// Every printer exchange runs on a worker thread while the progress bar moves.
class CEepromScreen : public CScreenBase {
    Q_OBJECT
public:
    ~CEepromScreen() override;

    [[nodiscard]] const EepromScreenBlueprint& Blueprint() const { return m_blueprint; }
    [[nodiscard]] CInstructionProtocol& Instruction() const { return *m_instruction; }
    [[nodiscard]] CEepromTabCtrl* Tabs() const { return m_tabs; }
    [[nodiscard]] bool IsBusy() const { return m_exchange.IsBusy(); }
    // The screen's own copy of the parameter array (kept current on every edit on VKLC).
    [[nodiscard]] const std::vector<int>& ScreenParameters() const { return m_parameters; }
    // The page that shows an entry, or nullptr.
    [[nodiscard]] CEepromPage* PageOf(int entry) const;

    void ApplyLanguage(int languageIndex) override;

    void OnRead();
    void OnApply();
    void OnSaveFile();
    void OnLoadFile();
    void OnRestore();
    void OnCompare();

protected:
    CEepromScreen(const EepromScreenBlueprint& blueprint, QWidget* parent);

private:
    void BuildLayout();
    void UpdateButtons();
    void FillPages();
    void CollectPages();
    void Write(const COperation& op, const char* successMessage, int language);
    // Loads an EEPROM file into the instruction object, or reports through op why it was refused.
    bool LoadChecked(const COperation& op, const QString& path, int language);
    [[nodiscard]] QString FileFilterText() const;
    [[nodiscard]] QString FileSuffix() const;

    EepromScreenBlueprint m_blueprint;
    std::unique_ptr<CInstructionProtocol> m_instruction;
    std::vector<int> m_parameters;
    bool m_loaded = false;
    CEepromTabCtrl* m_tabs = nullptr;
    QPushButton* m_read = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_compare = nullptr;
    std::optional<EepromValues> m_lastRead; // what the last read found, for Compare with file
    QProgressBar* m_progress = nullptr;
    // Last: waits for a running exchange before the instruction object goes.
    CScreenExchange m_exchange;
};

class CVKLZEEPDlg final : public CEepromScreen {
    Q_OBJECT
public:
    explicit CVKLZEEPDlg(QWidget* parent = nullptr);
};
class CVKLEEEPDlg final : public CEepromScreen {
    Q_OBJECT
public:
    explicit CVKLEEEPDlg(QWidget* parent = nullptr);
};
class CVKLTEEPDlg final : public CEepromScreen {
    Q_OBJECT
public:
    explicit CVKLTEEPDlg(QWidget* parent = nullptr);
};
class CVKLAEEPDLg final : public CEepromScreen {
    Q_OBJECT
public:
    explicit CVKLAEEPDLg(QWidget* parent = nullptr);
};
class CVKLCEEPDlg final : public CEepromScreen {
    Q_OBJECT
public:
    explicit CVKLCEEPDlg(QWidget* parent = nullptr);
};

} // namespace quillory
