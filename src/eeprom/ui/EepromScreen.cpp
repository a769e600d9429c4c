#include "eeprom/ui/EepromScreen.h"

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/Activity.h"
#include "app/ui/BackupChooser.h"
#include "app/ui/CompareWithFile.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/Messages.h"
#include "eeprom/EepromFileCheck.h"
#include "instruction/BackupFiles.h"
#include "instruction/VKLAInstruction.h"
#include "instruction/WriteCheck.h"
#include "port/PortAbilities.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <memory>

namespace quillory {
namespace {

using PageMaker = CEepromPage* (*)(QWidget* parent);

template <typename T>
CEepromPage* MakePage(QWidget* parent) {
    return new T(parent);
}

struct PageSlot {
    int instruction;
    PageMaker make;
};

// The pages of each language in tab order.
constexpr std::array<PageSlot, 11> kPages{{
    {INSTRUCTION_VKLZ, &MakePage<CVKLZEEPSetOneDlg>},
    {INSTRUCTION_VKLZ, &MakePage<CVKLZEEPSetTwoDlg>},
    {INSTRUCTION_VKLE, &MakePage<CVKLEEEPSetOneDlg>},
    {INSTRUCTION_VKLE, &MakePage<CVKLEEEPSetTwoDlg>},
    {INSTRUCTION_VKLT, &MakePage<CVKLTEEPSetOneDlg>},
    {INSTRUCTION_VKLT, &MakePage<CVKLTEEPSetTwoDlg>},
    {INSTRUCTION_VKLA, &MakePage<CVKLAEEPSetOneDlg>},
    {INSTRUCTION_VKLA, &MakePage<CVKLAEEPSetTwoDlg>},
    {INSTRUCTION_VKLA, &MakePage<CVKLAEEPSetThreeDlg>},
    {INSTRUCTION_VKLC, &MakePage<CVKLCEEPSetOneDlg>},
    {INSTRUCTION_VKLC, &MakePage<CVKLCEEPSetTwoDlg>},
}};

template <typename T>
CEepromTabCtrl* MakeTabs(QWidget* parent) {
    return new T(parent);
}

} // namespace

CEepromTabCtrl::CEepromTabCtrl(int instruction, QWidget* parent) : QTabWidget(parent) {
    for (const PageSlot& slot : kPages) {
        if (slot.instruction != instruction)
            continue;
        CEepromPage* page = slot.make(this);
        m_pages.push_back(page);
        addTab(page, QString::number(page->PageNumber()));
    }
    setCurrentIndex(0);
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (QWidget* page = widget(index))
            page->setFocus();
    });
}

CEepromScreen::CEepromScreen(const EepromScreenBlueprint& blueprint, QWidget* parent)
    : CScreenBase(blueprint.element, parent), m_blueprint(blueprint),
      m_instruction(MakeInstruction(blueprint.instruction)), m_parameters(m_instruction->GetParameters()),
      m_progress(new QProgressBar(this)), m_exchange(m_progress, [this](bool) { UpdateButtons(); }) {
    m_tabs = AddControl(CEepromTabCtrl::kId, blueprint.makeTabs(this));
    m_read = AddControl(blueprint.readId, new QPushButton(this));
    m_apply = AddControl(blueprint.applyId, new QPushButton(this));
    m_save = AddControl(blueprint.saveId, new QPushButton(this));
    m_load = AddControl(blueprint.loadId, new QPushButton(this));
    m_restore = AddControl(blueprint.restoreId, new QPushButton(this));
    connect(m_read, &QPushButton::clicked, this, [this] { OnRead(); });
    connect(m_apply, &QPushButton::clicked, this, [this] { OnApply(); });
    connect(m_save, &QPushButton::clicked, this, [this] { OnSaveFile(); });
    connect(m_load, &QPushButton::clicked, this, [this] { OnLoadFile(); });
    connect(m_restore, &QPushButton::clicked, this, [this] { OnRestore(); });
    m_compare = AddControl(kCompareWithFileId, new QPushButton(this));
    connect(m_compare, &QPushButton::clicked, this, [this] { OnCompare(); });
    if (m_blueprint.trackChanges) {
        for (CEepromPage* page : m_tabs->Pages()) {
            connect(page, &CEepromPage::entryEdited, this,
                    [this, page](int entry) { page->CollectEntry(entry, m_parameters); });
        }
    }
    BuildLayout();
    UpdateButtons();
}

CEepromScreen::~CEepromScreen() = default;

void CEepromScreen::BuildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 8, 6, 8);
    layout->setSpacing(6);
    layout->addWidget(m_tabs, 1);
    m_progress->setTextVisible(false);
    m_progress->setFixedHeight(10);
    layout->addWidget(m_progress);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addStretch(1);
    for (QPushButton* b : {m_read, m_apply, m_save, m_load, m_restore, m_compare}) {
        b->setMinimumWidth(80);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
}

void CEepromScreen::ApplyLanguage(int languageIndex) {
    CScreenBase::ApplyLanguage(languageIndex);
    for (CEepromPage* page : m_tabs->Pages())
        page->ApplyLanguage(languageIndex);
}

CEepromPage* CEepromScreen::PageOf(int entry) const {
    for (CEepromPage* page : m_tabs->Pages()) {
        if (page->HasEntry(entry))
            return page;
    }
    return nullptr;
}

void CEepromScreen::UpdateButtons() {
    const bool busy = IsBusy();
    const QString backup = m_instruction->BackupFilePath();
    m_read->setEnabled(!busy);
    m_compare->setEnabled(!busy);
    m_apply->setEnabled(!busy);
    m_load->setEnabled(!busy);
    m_save->setEnabled(!busy && m_loaded);
    // Offered whenever a backup exists, also once the first read made one.
    m_restore->setEnabled(!busy && !backup.isEmpty() && QFileInfo::exists(backup));
    m_tabs->setEnabled(!busy);
}

void CEepromScreen::FillPages() {
    m_parameters = m_instruction->GetParameters();
    QString idText;
    if (auto* vkla = dynamic_cast<CVKLAInstruction*>(m_instruction.get()))
        idText = vkla->GetIdText();
    for (CEepromPage* page : m_tabs->Pages())
        page->Fill(m_parameters, idText);
    m_loaded = true;
    UpdateButtons();
}

void CEepromScreen::CollectPages() {
    std::vector<int> parameters = m_blueprint.trackChanges ? m_parameters : m_instruction->GetParameters();
    auto* vkla = dynamic_cast<CVKLAInstruction*>(m_instruction.get());
    QString idText = vkla ? vkla->GetIdText() : QString();
    for (CEepromPage* page : m_tabs->Pages())
        page->Collect(parameters, &idText);
    m_instruction->SetParameters(parameters);
    if (vkla)
        vkla->SetIdText(idText);
    if (m_blueprint.trackChanges)
        m_parameters = parameters;
}

void CEepromScreen::Write(const COperation& op, const char* successMessage, int language) {
    const tagPORTINFO port = ReadPortInfo();
    CInstructionProtocol* instruction = m_instruction.get();
    // Where the port can bring replies, what was written is read back and compared, so the
    // operator learns which values the printer did not take.
    const bool verify = PortCanRead(port);
    auto check = std::make_shared<WriteCheck>();
    m_exchange.Start(
        [instruction, port, verify, check, language] {
            const int code = instruction->WriteEeprom(port);
            if (code == 0 && verify)
                *check = CheckEepromWrite(*instruction, port, language);
            return code;
        },
        [op, successMessage, language, verify, check](int code) {
            if (code != 0) {
                op.CommFailed(code, language);
                return;
            }
            if (!verify) {
                op.Succeeded(successMessage, language);
                return;
            }
            const QString text =
                GetMessageText(successMessage, language) + u'\n' + WriteCheckText(*check, language);
            // What the printer did not take is the outcome, not a success that came first.
            if (check->Verified())
                op.SucceededWith(text);
            else
                op.FailedWith(WriteCheckText(*check, language));
        });
}

void CEepromScreen::OnRead() {
    if (IsBusy())
        return;
    const tagPORTINFO port = ReadPortInfo();
    const int language = ReadLanguage();
    const COperation op(this, m_read, port);
    if (!PortCanRead(port)) {
        // The read requests would only be sent (a queue would even print them); nothing comes back.
        op.FailedWith(PortCannotReadText(port, language));
        return;
    }
    CInstructionProtocol* instruction = m_instruction.get();
    m_exchange.Start([instruction, port] { return instruction->BackupEeprom(port); },
                     [this, op, language](int code) {
                         // Without a backup the whole EEPROM was still read: the pages show it,
                         // so that nothing older is written back by the next Apply.
                         if (code == 0 || code == COMM_CREATE_FILE) {
                             FillPages();
                             m_lastRead = EepromValuesOfObject(*m_instruction);
                         }
                         if (code != 0) {
                             op.CommFailed(code, language);
                             return;
                         }
                         op.Succeeded(m_blueprint.readMessage, language);
                     });
}

void CEepromScreen::OnCompare() {
    if (IsBusy())
        return;
    const QString pattern = QString::fromLatin1(m_blueprint.filePattern);
    CompareReadWithFile(this, m_compare,
                        ReadAsConfiguration(m_blueprint.instruction, std::nullopt, m_lastRead),
                        FileFilter(QStringLiteral("EEPROM (%1)").arg(pattern), pattern), ReadLanguage());
}

void CEepromScreen::OnApply() {
    if (IsBusy())
        return;
    const int language = ReadLanguage();
    if (QWidget* focus = focusWidget())
        focus->clearFocus(); // settles a number still being typed
    if (AskConfirmation({GetMessageText("ConfirmEepromApply", language), this}) != ConfirmAnswer::Confirm)
        return;
    CollectPages();
    Write(COperation(this, m_apply, ReadPortInfo()), m_blueprint.applyMessage, language);
}

QString CEepromScreen::FileSuffix() const {
    return QString::fromLatin1(m_blueprint.filePattern).mid(2);
}

QString CEepromScreen::FileFilterText() const {
    const QString pattern = QString::fromLatin1(m_blueprint.filePattern);
    return FileFilter(QStringLiteral("EEP Files (%1)").arg(pattern), pattern);
}

void CEepromScreen::OnSaveFile() {
    if (IsBusy() || !m_loaded)
        return;
    const int language = ReadLanguage();
    const QString path = AskSaveFileName(this, FileFilterText(), FileSuffix());
    if (path.isEmpty())
        return;
    const COperation op(this, m_save);
    if (m_instruction->SaveEepromFile(path) == 1)
        op.Succeeded("SaveFileSuccess", language, QDir::toNativeSeparators(path));
    else
        op.Failed("SaveFileFail", language, QDir::toNativeSeparators(path));
}

void CEepromScreen::OnLoadFile() {
    if (IsBusy())
        return;
    const int language = ReadLanguage();
    const QString path = AskOpenFileName(this, FileFilterText(), FileSuffix());
    if (path.isEmpty())
        return;
    const COperation op(this, m_load);
    if (!LoadChecked(op, path, language))
        return;
    FillPages();
    op.Succeeded("ReadPrinterSuccess", language, QDir::toNativeSeparators(path));
}

bool CEepromScreen::LoadChecked(const COperation& op, const QString& path, int language) {
    // Only a whole EEPROM file of this language loads; the pages keep their values otherwise.
    const QString shown = QDir::toNativeSeparators(path);
    const EepromFileVerdict verdict = ReadEepromFile(path, m_blueprint.instruction);
    if (verdict.file == InputFileProblem::Missing) {
        op.Failed("ReadPrinterFail", language, shown);
        return false;
    }
    if (!verdict.Ok()) {
        op.FailedWith(EepromFileVerdictText(verdict, path, m_blueprint.instruction, language));
        return false;
    }
    if (m_instruction->LoadEepromFile(path) != 1) {
        op.Failed("ReadPrinterFail", language, shown);
        return false;
    }
    return true;
}

void CEepromScreen::OnRestore() {
    if (IsBusy())
        return;
    const std::vector<BackupEntry> backups = ListBackups(m_instruction->BackupFilePath());
    if (backups.empty()) {
        UpdateButtons();
        return;
    }
    const int language = ReadLanguage();
    const std::optional<QString> chosen = ChooseBackup(backups, language, this);
    if (!chosen)
        return;
    QDateTime time;
    for (const BackupEntry& entry : backups) {
        if (entry.path == *chosen)
            time = entry.time;
    }
    if (AskConfirmation({FormatMessageText("ConfirmEepromRestore", language, {BackupTimeText(time)}),
                         this}) != ConfirmAnswer::Confirm)
        return;
    // A backup that is not a whole EEPROM file of this language is not written to the printer.
    if (!LoadChecked(COperation(this, m_restore), *chosen, language)) {
        UpdateButtons();
        return;
    }
    FillPages();
    Write(COperation(this, m_restore, ReadPortInfo()), m_blueprint.restoreMessage, language);
}

namespace {

constexpr EepromScreenBlueprint kVklzBlueprint{INSTRUCTION_VKLZ,
                                               "VKLZEEPDlg",
                                               1370,
                                               1371,
                                               1372,
                                               1373,
                                               1374,
                                               "ReadPrinterSuccess",
                                               "RebootEffective",
                                               "RebootEffective",
                                               "*.eep",
                                               false,
                                               &MakeTabs<CVKLZTabCtrl>};
constexpr EepromScreenBlueprint kVkleBlueprint{INSTRUCTION_VKLE,
                                               "VKLEEEPDlg",
                                               1354,
                                               1355,
                                               1356,
                                               1369,
                                               1357,
                                               "ReadPrinterSuccess",
                                               "RebootEffective",
                                               "RebootEffective",
                                               "*.EEP",
                                               false,
                                               &MakeTabs<CVKLETabCtrl>};
constexpr EepromScreenBlueprint kVkltBlueprint{INSTRUCTION_VKLT,
                                               "VKLTEEPDlg",
                                               1442,
                                               1441,
                                               1443,
                                               1444,
                                               1445,
                                               "ReadPrinterSuccess",
                                               "RebootEffective",
                                               "ApplayEffective",
                                               "*.eep",
                                               false,
                                               &MakeTabs<CVKLTTabCtrl>};
constexpr EepromScreenBlueprint kVklaBlueprint{INSTRUCTION_VKLA,
                                               "VKLAEEPDlg",
                                               1364,
                                               1365,
                                               1366,
                                               1367,
                                               1368,
                                               "ReadPrinterSuccess",
                                               "RebootEffective",
                                               "RebootEffective",
                                               "*.eep",
                                               false,
                                               &MakeTabs<CVKLATabCtrl>};
constexpr EepromScreenBlueprint kVklcBlueprint{INSTRUCTION_VKLC,
                                               "VKLCEEPDlg",
                                               1375,
                                               1376,
                                               1377,
                                               1378,
                                               1379,
                                               "ReadPrinterSuccess",
                                               "ApplayEffective",
                                               "RebootEffective",
                                               "*.eep",
                                               true,
                                               &MakeTabs<CVKLCTabCtrl>};

} // namespace

CVKLZEEPDlg::CVKLZEEPDlg(QWidget* parent) : CEepromScreen(kVklzBlueprint, parent) {}
CVKLEEEPDlg::CVKLEEEPDlg(QWidget* parent) : CEepromScreen(kVkleBlueprint, parent) {}
CVKLTEEPDlg::CVKLTEEPDlg(QWidget* parent) : CEepromScreen(kVkltBlueprint, parent) {}
CVKLAEEPDLg::CVKLAEEPDLg(QWidget* parent) : CEepromScreen(kVklaBlueprint, parent) {}
CVKLCEEPDlg::CVKLCEEPDlg(QWidget* parent) : CEepromScreen(kVklcBlueprint, parent) {}

} // namespace quillory
