#include "settings/ui/PrinterSetScreen.h"

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/Activity.h"
#include "app/ui/BackupChooser.h"
#include "app/ui/CompareWithFile.h"
#include "app/ui/FileDialogs.h"
#include "controls/DateTimeEdit.h"
#include "controls/PaperNunberEditEx.h"
#include "instruction/BackupFiles.h"
#include "instruction/WriteCheck.h"
#include "port/PortAbilities.h"
#include "settings/SettingsClock.h"
#include "settings/SettingsRanges.h"
#include "settings/SettingsScreenRules.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <memory>
#include <optional>
#include <variant>

namespace quillory {
namespace {

constexpr int kFieldWidth = 150;

QStringList CodePageTexts(int instruction) {
    QStringList texts;
    if (instruction == INSTRUCTION_VKLE) {
        for (const char* text : VkleCodePageList())
            texts << QString::fromLatin1(text);
    } else if (instruction == INSTRUCTION_VKLT) {
        for (const char* text : VkltCodePageList())
            texts << QString::fromLatin1(text);
    }
    return texts;
}

} // namespace

CPrinterSetScreen::CPrinterSetScreen(const PrinterSetBlueprint& blueprint,
                                     std::vector<SettingControl> controls,
                                     std::unique_ptr<CInstructionProtocol> instruction, QWidget* parent)
    : CScreenBase(blueprint.element, parent), m_blueprint(blueprint), m_controls(std::move(controls)),
      m_instruction(std::move(instruction)), m_progress(new QProgressBar(this)),
      m_exchange(m_progress, [this](bool) { UpdateButtons(); }) {
    BuildControls();
    BuildLayout();
    UpdateButtons();
}

CPrinterSetScreen::~CPrinterSetScreen() = default;

void CPrinterSetScreen::BuildControls() {
    for (const SettingControl& c : m_controls) {
        QWidget* widget = nullptr;
        switch (c.kind) {
        case SettingKind::UnitList:
        case SettingKind::List:
        case SettingKind::CodePage: {
            auto* list = AddControl(c.id, new QComboBox(this));
            if (c.kind == SettingKind::CodePage) {
                list->addItems(CodePageTexts(m_blueprint.instruction));
                list->setCurrentIndex(0);
            }
            if (c.kind == SettingKind::UnitList)
                connect(list, &QComboBox::currentIndexChanged, this, [this] { ApplyUnitToLengths(); });
            if (c.flags & kPaperType)
                connect(list, &QComboBox::currentIndexChanged, this, [this] { ApplyPaperTypeRules(); });
            widget = list;
            break;
        }
        case SettingKind::Length:
        case SettingKind::Number: {
            auto* field = AddControl(c.id, new CPaperNunberEditEx(this));
            field->Initialise(c.initial, CPaperNumber::kDefaultResolution, c.minimum, c.maximum);
            widget = field;
            break;
        }
        case SettingKind::Check:
            widget = AddControl(c.id, new QCheckBox(this));
            break;
        }
        if (c.kind != SettingKind::Check)
            AddControl(kSettingCaptionOffset + c.id, new QLabel(this));
        if (c.flags & (kAlwaysDisabled | kStartsDisabled))
            widget->setEnabled(false);
    }

    if (m_blueprint.clockCheckId) {
        m_clockCheck = AddControl(m_blueprint.clockCheckId, new QCheckBox(this));
        m_clockNow = AddControl(m_blueprint.clockNowId, new QRadioButton(this));
        m_clockSet = AddControl(m_blueprint.clockSetId, new QRadioButton(this));
        m_clockField = AddControl(m_blueprint.clockFieldId, new CDateTimeEdit(this));
        m_clockField->SetEditable(true);
        m_clockNow->setChecked(true);
        for (QWidget* w : {static_cast<QWidget*>(m_clockNow), static_cast<QWidget*>(m_clockSet),
                           static_cast<QWidget*>(m_clockField)})
            w->setEnabled(false);
        connect(m_clockCheck, &QCheckBox::toggled, this, [this](bool checked) { OnClockCheck(checked); });
        connect(m_clockNow, &QRadioButton::toggled, this, [this] { OnClockMethod(); });
        connect(m_clockSet, &QRadioButton::toggled, this, [this] { OnClockMethod(); });
    }

    m_read = AddControl(m_blueprint.readId, new QPushButton(this));
    m_apply = AddControl(m_blueprint.applyId, new QPushButton(this));
    m_save = AddControl(m_blueprint.saveId, new QPushButton(this));
    m_load = AddControl(m_blueprint.loadId, new QPushButton(this));
    m_restore = AddControl(kSettingsRestoreId, new QPushButton(this));
    m_compare = AddControl(kCompareWithFileId, new QPushButton(this));
    connect(m_restore, &QPushButton::clicked, this, [this] { OnRestore(); });
    connect(m_compare, &QPushButton::clicked, this, [this] { OnCompare(); });
    connect(m_read, &QPushButton::clicked, this, [this] { OnReadSettings(); });
    connect(m_apply, &QPushButton::clicked, this, [this] { OnApplySettings(); });
    connect(m_save, &QPushButton::clicked, this, [this] { OnSaveFile(); });
    connect(m_load, &QPushButton::clicked, this, [this] { OnLoadFile(); });

    AddControl(kSettingCaptionOffset + m_blueprint.versionId, new QLabel(this));
    m_version = AddControl(m_blueprint.versionId, new QLabel(this));
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void CPrinterSetScreen::BuildLayout() {
    // Two columns of caption and control; check boxes take a whole cell pair.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(7);
    grid->setColumnMinimumWidth(2, 18);
    const int rows = int(m_controls.size() + 1) / 2;
    for (int i = 0; i < int(m_controls.size()); ++i) {
        const SettingControl& c = m_controls[std::size_t(i)];
        const int row = i % rows;
        const int column = i < rows ? 0 : 3;
        QWidget* control = Control(c.id);
        if (c.kind == SettingKind::Check) {
            grid->addWidget(control, row, column, 1, 2);
            continue;
        }
        grid->addWidget(Control(kSettingCaptionOffset + c.id), row, column);
        control->setFixedWidth(kFieldWidth);
        grid->addWidget(control, row, column + 1);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(3, 1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(12, 14, 12, 12);
    page->addLayout(grid);

    if (m_clockCheck) {
        auto* clock = new QGridLayout;
        clock->setHorizontalSpacing(10);
        clock->addWidget(m_clockCheck, 0, 0, 1, 3);
        clock->addWidget(m_clockNow, 1, 0);
        clock->addWidget(m_clockSet, 1, 1);
        m_clockField->setFixedWidth(kFieldWidth + 10);
        clock->addWidget(m_clockField, 1, 2);
        clock->setColumnStretch(3, 1);
        page->addSpacing(10);
        page->addLayout(clock);
    }
    page->addStretch(1);

    auto* version = new QHBoxLayout;
    version->addWidget(Control(kSettingCaptionOffset + m_blueprint.versionId));
    version->addWidget(m_version, 1);
    page->addLayout(version);

    m_progress->setTextVisible(false);
    m_progress->setFixedHeight(10);
    page->addWidget(m_progress);

    // Six buttons share the row: a little less room between them keeps every caption whole.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    buttons->addStretch(1);
    for (QPushButton* b : {m_read, m_apply, m_save, m_load, m_restore, m_compare}) {
        b->setMinimumWidth(80);
        buttons->addWidget(b);
    }
    page->addLayout(buttons);
}

void CPrinterSetScreen::ApplyLanguage(int languageIndex) {
    // The language file refills the lists and selects its own entries; a screen that was
    // already showing values keeps them.
    const bool again = AppliedLanguage() >= 0;
    std::vector<std::pair<QComboBox*, int>> kept;
    if (again) {
        for (const SettingControl& c : m_controls) {
            if (auto* list = ControlAs<QComboBox>(c.id))
                kept.emplace_back(list, list->currentIndex());
        }
    }
    CScreenBase::ApplyLanguage(languageIndex);
    for (const auto& [list, index] : kept) {
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(index < list->count() ? index : -1);
    }
    ApplyUnitToLengths();
}

void CPrinterSetScreen::UpdateButtons() {
    const bool busy = IsBusy();
    m_read->setEnabled(!busy);
    m_load->setEnabled(!busy);
    m_compare->setEnabled(!busy);
    m_apply->setEnabled(!busy && m_filled);
    m_save->setEnabled(!busy && m_filled);
    m_restore->setEnabled(!busy && !ListBackups(m_instruction->SettingsBackupFilePath()).empty());
}

const SettingControl* CPrinterSetScreen::FindKind(SettingKind kind) const {
    for (const SettingControl& c : m_controls) {
        if (c.kind == kind)
            return &c;
    }
    return nullptr;
}

const SettingControl* CPrinterSetScreen::FindFlag(SettingFlag flag) const {
    for (const SettingControl& c : m_controls) {
        if (c.flags & flag)
            return &c;
    }
    return nullptr;
}

void CPrinterSetScreen::ApplyUnitToLengths() {
    const SettingControl* unit = FindKind(SettingKind::UnitList);
    const auto* list = unit ? ControlAs<QComboBox>(unit->id) : nullptr;
    if (!list || list->currentIndex() < 0)
        return;
    const int fieldUnit = FieldUnitOfPosition(list->currentIndex(), m_blueprint.unitListReversed);
    for (const SettingControl& c : m_controls) {
        if (c.kind == SettingKind::Length)
            ControlAs<CPaperNunberEditEx>(c.id)->SetUnit(fieldUnit);
    }
}

void CPrinterSetScreen::ApplyPaperTypeRules() {
    const SettingControl* type = FindFlag(kPaperType);
    if (!type)
        return;
    const bool continuous = ControlAs<QComboBox>(type->id)->currentIndex() == 0;
    if (const SettingControl* height = FindFlag(kPaperHeight))
        Control(height->id)->setEnabled(continuous);
    if (const SettingControl* gap = FindFlag(kGap))
        Control(gap->id)->setEnabled(false);
}

void CPrinterSetScreen::OnClockCheck(bool checked) {
    m_clockNow->setEnabled(checked);
    m_clockSet->setEnabled(checked);
    m_clockNow->setChecked(true);
    m_clockField->setEnabled(false);
}

void CPrinterSetScreen::OnClockMethod() {
    m_clockField->setEnabled(m_clockCheck->isChecked() && m_clockSet->isChecked());
}

void CPrinterSetScreen::ShowClock(int setClock, int method) {
    if (!m_clockCheck)
        return;
    const QSignalBlocker blocker(m_clockCheck);
    m_clockCheck->setChecked(setClock == 1);
    m_clockNow->setEnabled(setClock == 1);
    m_clockSet->setEnabled(setClock == 1);
    if (setClock == 1)
        (method == 1 ? m_clockSet : m_clockNow)->setChecked(true);
    m_clockField->setEnabled(setClock == 1 && method == 1);
}

CPrinterSetScreen::ClockChoice CPrinterSetScreen::CollectClock(const QDateTime& now) const {
    ClockChoice clock;
    if (!m_clockCheck || !m_clockCheck->isChecked())
        return clock;
    clock.setClock = 1;
    clock.method = m_clockSet->isChecked() ? 1 : 0;
    QDateTime time = now;
    if (clock.method == 1) {
        // The field always holds a valid time; an unparsable text cannot reach the printer.
        time = datetime_rules::Parse(m_clockField->DateTimeText()).value_or(now);
    }
    clock.text = LanguageClockText(m_blueprint.instruction, time);
    return clock;
}

void CPrinterSetScreen::BeginFill(int unit, int dpi) {
    m_dpi = dpi;
    if (!m_blueprint.unitFromRecord)
        return;
    if (const SettingControl* c = FindKind(SettingKind::UnitList)) {
        auto* list = ControlAs<QComboBox>(c->id);
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(unit >= 0 && unit < list->count() ? unit : -1);
    }
}

void CPrinterSetScreen::FillControl(const SettingControl& c, int value) {
    switch (c.kind) {
    case SettingKind::UnitList:
        return; // BeginFill chose the unit, or the operator's choice stays
    case SettingKind::List:
    case SettingKind::CodePage: {
        auto* list = ControlAs<QComboBox>(c.id);
        const int position = (c.flags & kVklaSpeed) ? VklaSpeedPosition(value) : value;
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
        return;
    }
    case SettingKind::Length:
    case SettingKind::Number: {
        auto* field = ControlAs<CPaperNunberEditEx>(c.id);
        const SettingRange* range = FindSettingRange(m_blueprint.instruction, QString::fromLatin1(c.key));
        const SettingLimits limits = range ? RangeLimits(*range, m_dpi) : SettingLimits{c.minimum, c.maximum};
        const int shown = (c.flags & kVklaOffset) ? VklaOffsetShown(value) : value;
        field->Initialise(shown, m_dpi, limits.minimum, limits.maximum);
        return;
    }
    case SettingKind::Check:
        ControlAs<QCheckBox>(c.id)->setChecked(value != 0);
        return;
    }
}

void CPrinterSetScreen::FinishFill(const QString& firmwareVersion) {
    m_version->setText(firmwareVersion);
    ApplyUnitToLengths();
    ApplyPaperTypeRules();
}

int CPrinterSetScreen::CollectControl(const SettingControl& c, int held) const {
    switch (c.kind) {
    case SettingKind::UnitList:
    case SettingKind::List:
    case SettingKind::CodePage: {
        const int position = ControlAs<QComboBox>(c.id)->currentIndex();
        if (position < 0)
            return held;
        return (c.flags & kVklaSpeed) ? VklaSpeedCode(position) : position;
    }
    case SettingKind::Length:
    case SettingKind::Number:
        return ControlAs<CPaperNunberEditEx>(c.id)->GetValue();
    case SettingKind::Check:
        return ControlAs<QCheckBox>(c.id)->isChecked() ? 1 : 0;
    }
    return held;
}

void CPrinterSetScreen::CommitFocusedField() {
    // A value typed into the field that still has the focus counts (Enter on a button).
    auto* field = qobject_cast<CPaperNunberEditEx*>(QApplication::focusWidget());
    if (field && isAncestorOf(field))
        field->CommitText();
}

void CPrinterSetScreen::OnReadSettings() {
    if (IsBusy())
        return;
    const int language = ReadLanguage();
    const tagPORTINFO port = ReadPortInfo();
    const COperation op(this, m_read, port);
    if (!PortCanRead(port)) {
        // The queries would only be sent (a queue would even print them); nothing comes back.
        op.FailedWith(PortCannotReadText(port, language));
        return;
    }
    CInstructionProtocol* instruction = m_instruction.get();
    // A failed read may leave part of the printer's answer in the object; it changes nothing.
    const SettingsRecord before = instruction->GetSettingsRecord();
    m_exchange.Start([instruction, port] { return instruction->ReadSettings(port); },
                     [this, op, language, before](int code) {
                         if (code != 0) {
                             m_instruction->SetSettingsRecord(before);
                             op.CommFailed(code, language);
                             return;
                         }
                         m_filled = true;
                         m_lastRead = m_instruction->GetSettingsRecord();
                         UpdateButtons();
                         FillFromRecord(false);
                         op.Succeeded("ReadPrinterSuccess", language);
                     });
}

void CPrinterSetScreen::OnApplySettings() {
    if (IsBusy() || !m_filled)
        return;
    const int language = ReadLanguage();
    const tagPORTINFO port = ReadPortInfo();
    CommitFocusedField();
    CollectIntoRecord();
    ApplyAndCheck(COperation(this, m_apply, port), language, m_blueprint.applyMessage);
}

void CPrinterSetScreen::ApplyAndCheck(const COperation& op, int language, const char* successMessage) {
    const tagPORTINFO port = ReadPortInfo();
    CInstructionProtocol* instruction = m_instruction.get();
    const bool verify = PortCanRead(port);
    struct Outcome {
        WriteCheck check;
        SettingsRecord readBack;
    };
    auto outcome = std::make_shared<Outcome>();
    const std::optional<SettingsRecord> lastRead = m_lastRead;
    m_exchange.Start(
        [instruction, port, verify, lastRead, outcome, language] {
            const int code = ApplySettingsKeepingBackup(*instruction, port, lastRead);
            if (code == 0 && verify)
                outcome->check = CheckSettingsWrite(*instruction, port, language, &outcome->readBack);
            return code;
        },
        [this, op, language, successMessage, verify, outcome](int code) {
            UpdateButtons(); // a backup may have been made
            if (code != 0) {
                op.CommFailed(code, language);
                return;
            }
            // The printer now holds what was applied; only a read tells exactly what.
            m_lastRead.reset();
            if (verify && outcome->check.code == 0)
                m_lastRead = outcome->readBack;
            if (!verify) {
                op.Succeeded(successMessage, language);
                return;
            }
            const QString text =
                GetMessageText(successMessage, language) + u'\n' + WriteCheckText(outcome->check, language);
            // What the printer did not take is the outcome, not a success that came first.
            if (outcome->check.Verified())
                op.SucceededWith(text);
            else
                op.FailedWith(WriteCheckText(outcome->check, language));
        });
}

void CPrinterSetScreen::OnRestore() {
    if (IsBusy())
        return;
    const int language = ReadLanguage();
    const COperation op(this, m_restore, ReadPortInfo());
    const std::vector<BackupEntry> backups = ListBackups(m_instruction->SettingsBackupFilePath());
    if (backups.empty()) {
        op.Failed("NoSettingsBackup", language);
        UpdateButtons();
        return;
    }
    const std::optional<QString> chosen = ChooseBackup(backups, language, this);
    if (!chosen)
        return;
    QString why;
    if (!LoadSettingsBackup(*m_instruction, *chosen, language, &why)) {
        op.FailedWith(why);
        return;
    }
    m_filled = true;
    FillFromRecord(false);
    ApplyAndCheck(op, language, m_blueprint.applyMessage);
}

void CPrinterSetScreen::OnCompare() {
    if (IsBusy())
        return;
    CompareReadWithFile(this, m_compare,
                        ReadAsConfiguration(m_blueprint.instruction, m_lastRead, std::nullopt),
                        FileFilterText(), ReadLanguage());
}

QString CPrinterSetScreen::FileSuffix() const {
    return SettingsFileExtension(m_blueprint.instruction);
}

QString CPrinterSetScreen::FileFilterText() const {
    const QString pattern = QStringLiteral("*.") + FileSuffix();
    return FileFilter(QStringLiteral("text Files (%1)").arg(pattern), pattern);
}

void CPrinterSetScreen::OnSaveFile() {
    if (IsBusy() || !m_filled)
        return;
    const int language = ReadLanguage();
    CommitFocusedField();
    const QString path = AskSaveFileName(this, FileFilterText(), FileSuffix());
    if (path.isEmpty())
        return;
    CollectIntoRecord();
    SettingsRecord record = m_instruction->GetSettingsRecord();
    std::visit([](auto& r) { r.DPI = ValidDpiOr203(r.DPI); }, record);
    m_instruction->SetSettingsRecord(record);
    const COperation op(this, m_save);
    const QString shown = QDir::toNativeSeparators(path);
    if (m_instruction->SaveSettingsFile(path) != 1) {
        op.Failed("SaveFileFail", language, shown);
        return;
    }
    if (m_blueprint.saveMessage)
        op.Succeeded(m_blueprint.saveMessage, language, shown);
    else
        op.Succeeded("SaveFileSuccess", language, shown, Notify::LogOnly);
}

void CPrinterSetScreen::OnLoadFile() {
    if (IsBusy())
        return;
    const int language = ReadLanguage();
    const QString path = AskOpenFileName(this, FileFilterText(), FileSuffix());
    if (path.isEmpty())
        return;
    // Nothing is loaded from a file that is not one of this language's settings files: the screen
    // keeps what it shows, and nothing unread may be applied.
    const COperation op(this, m_load);
    const QString shown = QDir::toNativeSeparators(path);
    const SettingsFileVerdict verdict = CheckSettingsFile(path, m_blueprint.instruction);
    if (verdict.file == InputFileProblem::Missing) {
        op.Failed("ReadPrinterFail", language, shown);
        return;
    }
    if (!verdict.Ok()) {
        op.FailedWith(SettingsFileVerdictText(verdict, path, m_blueprint.instruction, language));
        return;
    }
    if (m_instruction->LoadSettingsFile(path) != 1) {
        op.Failed("ReadPrinterFail", language, shown);
        return;
    }
    m_filled = true;
    UpdateButtons();
    ClampLoadedRecord(op, path, language);
}

void CPrinterSetScreen::ClampLoadedRecord(const COperation& op, const QString& path, int language) {
    SettingsRecord record = m_instruction->GetSettingsRecord();
    const std::vector<SettingViolation> changes = ClampToRanges(record);
    m_instruction->SetSettingsRecord(record);
    FillFromRecord(true);
    // A clamped file is loaded with a message listing what changed; a file within its ranges is
    // loaded without a box, the activity log records it.
    if (!changes.empty())
        op.SucceededWith(
            FormatMessageText("SettingsClamped", language, {path, ClampedLines(changes, language)}), {},
            Notify::Box);
    else
        op.Succeeded("FileLoaded", language, QDir::toNativeSeparators(path), Notify::LogOnly);
}

} // namespace quillory
