#pragma once

#include "app/ui/ScreenBase.h"
#include "app/ui/ScreenExchange.h"
#include "instruction/InstructionProtocol.h"

#include <QDateTime>

#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace quillory {

class COperation;

class CDateTimeEdit;
class CPaperNunberEditEx;

// Kinds of control on a print-settings screen.
enum class SettingKind {
    UnitList, // display unit of every length field
    List,     // list position
    CodePage, // list position in a code-page list the screen fills itself
    Length,   // dots, shown in the display unit
    Number,   // plain number, never converted
    Check,    // 0 or 1
};

enum SettingFlag : unsigned {
    kNoFlags = 0,
    kAlwaysDisabled = 1 << 0,
    kStartsDisabled = 1 << 1,
    kPaperType = 1 << 2,   // its position 0 alone enables the paper height
    kPaperHeight = 1 << 3, // enabled by paper type position 0
    kGap = 1 << 4,         // disabled with every paper type change and fill (VKLE, VKLT)
    kVklaSpeed = 1 << 5,   // the record holds the letter code of the position
    kVklaOffset = 1 << 6,  // 55537..65535 shown as negative numbers
};

// One control of a screen, as its table row describes it. Once filled from a record, a length or
// number field takes the range of its key in the settings range table (SettingsRanges.h), which
// the command line checks as well.
struct SettingControl {
    int id;
    SettingKind kind;
    const char* key; // the record field and settings-file key it shows
    int initial = 0; // Length and Number: value and range before the first fill
    int minimum = 0;
    int maximum = 0;
    unsigned flags = kNoFlags;
};

// The parts of a screen that are not rows: element, buttons, clock, messages.
struct PrinterSetBlueprint {
    int instruction;
    const char* element;
    int readId, applyId, saveId, loadId;
    int versionId;
    // Clock controls (VKLZ, VKLE); 0 when the screen has none.
    int clockCheckId = 0, clockNowId = 0, clockSetId = 0, clockFieldId = 0;
    const char* applyMessage = "ApplayEffective";
    const char* saveMessage = "SaveFileSuccess"; // nullptr: nothing on success
    bool unitListReversed = false;               // VKLA: millimetres, inches, dots
    bool unitFromRecord = false;                 // VKLA: a fill selects the record's unit
};

// The Restore backup button of every print-settings screen.
inline constexpr int kSettingsRestoreId = 1700;

// Caption labels carry the id of their control plus this offset in the language files.
inline constexpr int kSettingCaptionOffset = 10000;

// What every print-settings screen shares: its controls built from table rows, the four buttons
// with their enabling rules, unit switching, the paper-type and clock rules, and the printer
// exchanges on a worker thread. The language screens add the copy between their record and the
// rows (CTypedPrinterSetScreen).
class CPrinterSetScreen : public CScreenBase {
    Q_OBJECT
public:
    ~CPrinterSetScreen() override;

    [[nodiscard]] const PrinterSetBlueprint& Blueprint() const { return m_blueprint; }
    [[nodiscard]] const std::vector<SettingControl>& Controls() const { return m_controls; }
    [[nodiscard]] CInstructionProtocol& Instruction() const { return *m_instruction; }
    [[nodiscard]] bool IsBusy() const { return m_exchange.IsBusy(); }

    void ApplyLanguage(int languageIndex) override;

    // The four buttons.
    void OnReadSettings();
    void OnApplySettings();
    void OnSaveFile();
    void OnLoadFile();
    // Writes a kept backup of the printer's settings back (the operator chooses which).
    void OnRestore();
    void OnCompare();

protected:
    CPrinterSetScreen(const PrinterSetBlueprint& blueprint, std::vector<SettingControl> controls,
                      std::unique_ptr<CInstructionProtocol> instruction, QWidget* parent);

    // The clock as the controls say (only on screens with clock controls).
    struct ClockChoice {
        int setClock = 0;
        int method = 0;
        QString text;
    };

    // Copies between the instruction object's record and the controls; withClock also sets the
    // clock controls (a loaded file carries the clock choice, a printer does not).
    virtual void FillFromRecord(bool withClock) = 0;
    virtual void CollectIntoRecord() = 0;

    // Used by FillFromRecord: the unit (VKLA only) and resolution first, then every row, then
    // FinishFill with the version text.
    void BeginFill(int unit, int dpi);
    void FillControl(const SettingControl& control, int value);
    void FinishFill(const QString& firmwareVersion);
    // Sets the clock controls from a loaded record.
    void ShowClock(int setClock, int method);
    // Used by CollectIntoRecord: the value a row's control holds; held stands for a list
    // without a selection, which keeps the record's value.
    [[nodiscard]] int CollectControl(const SettingControl& control, int held) const;
    [[nodiscard]] ClockChoice CollectClock(const QDateTime& now) const;

private:
    void BuildControls();
    void BuildLayout();
    void UpdateButtons();
    void ApplyUnitToLengths();
    void ApplyPaperTypeRules();
    void OnClockCheck(bool checked);
    void OnClockMethod();
    // Brings what a loaded file holds outside the ranges to their limits and says what changed.
    void ClampLoadedRecord(const COperation& op, const QString& path, int language);
    void CommitFocusedField();
    // Keeps the printer's settings as a backup, applies the object's record and reads it back.
    void ApplyAndCheck(const COperation& op, int language, const char* successMessage);
    [[nodiscard]] QString FileFilterText() const;
    [[nodiscard]] QString FileSuffix() const;
    [[nodiscard]] const SettingControl* FindKind(SettingKind kind) const;
    [[nodiscard]] const SettingControl* FindFlag(SettingFlag flag) const;

    PrinterSetBlueprint m_blueprint;
    std::vector<SettingControl> m_controls;
    std::unique_ptr<CInstructionProtocol> m_instruction;
    int m_dpi = 203;
    bool m_filled = false;
    // The printer's settings as last read (or read back after an Apply): what the next Apply
    // keeps as its backup. Empty when the printer may hold something else.
    std::optional<SettingsRecord> m_lastRead;
    QPushButton* m_read = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_compare = nullptr;
    QLabel* m_version = nullptr;
    QCheckBox* m_clockCheck = nullptr;
    QRadioButton* m_clockNow = nullptr;
    QRadioButton* m_clockSet = nullptr;
    CDateTimeEdit* m_clockField = nullptr;
    QProgressBar* m_progress = nullptr;
    // Last: waits for a running exchange before the instruction object goes.
    CScreenExchange m_exchange;
};

// Rows that also name their record field.
template <typename Record>
struct SettingRow {
    SettingControl control;
    int Record::*field;
};

template <typename LanguageInstruction, typename Record>
class CTypedPrinterSetScreen : public CPrinterSetScreen {
public:
    [[nodiscard]] LanguageInstruction& Typed() const {
        return static_cast<LanguageInstruction&>(CPrinterSetScreen::Instruction());
    }

protected:
    template <std::size_t N>
    CTypedPrinterSetScreen(const PrinterSetBlueprint& blueprint,
                           const std::array<SettingRow<Record>, N>& rows, QWidget* parent)
        : CPrinterSetScreen(blueprint, Controls(rows), std::make_unique<LanguageInstruction>(), parent),
          m_rows(rows.begin(), rows.end()) {}

    void FillFromRecord(bool withClock) override {
        const Record record = this->Typed().GetSettings();
        BeginFill(record.Unit, record.DPI);
        for (const SettingRow<Record>& row : m_rows)
            FillControl(row.control, record.*row.field);
        FinishFill(record.FirmwareVersion);
        if constexpr (requires { record.SetClock; }) {
            if (withClock)
                ShowClock(record.SetClock, record.SetClockMethod);
        }
    }

    // A fresh record from the controls; the resolution stays the one the object holds.
    void CollectIntoRecord() override {
        const Record held = Typed().GetSettings();
        Record record;
        record.DPI = held.DPI;
        for (const SettingRow<Record>& row : m_rows)
            record.*row.field = CollectControl(row.control, held.*row.field);
        if constexpr (requires { record.BitData; })
            record.BitData = 8;
        if constexpr (requires { record.SetClock; }) {
            const ClockChoice clock = CollectClock(QDateTime::currentDateTime());
            record.SetClock = clock.setClock;
            record.SetClockMethod = clock.method;
            record.ClockText = clock.text;
        }
        Typed().SetSettings(record);
    }

private:
    template <std::size_t N>
    static std::vector<SettingControl> Controls(const std::array<SettingRow<Record>, N>& rows) {
        std::vector<SettingControl> controls;
        for (const SettingRow<Record>& row : rows)
            controls.push_back(row.control);
        return controls;
    }

    std::vector<SettingRow<Record>> m_rows;
};

} // namespace quillory
