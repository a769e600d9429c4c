#include "tools/ui/ToolsDlg.h"

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/Activity.h"
#include "app/ui/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QGroupBox>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace quillory {
namespace {

constexpr std::array<const char*, kMaintenanceCount> kBuiltInCaptions{
    "Print self-test page", "Print font list",   "Print graphics list",      "Print template list",
    "Feed one label",       "Media calibration", "Restore factory settings", "Restart printer",
    "Enter dump mode",      "Exit dump mode",    "Exit auto mode",
};

// Why a sample file could not be read, for the detail of the message.
QString SampleProblem(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no such file");
    if (info.isDir())
        return QStringLiteral("is a folder");
    if (info.size() > kMaxSampleFileBytes)
        return QStringLiteral("too large for a sample label");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return QStringLiteral("cannot be read");
}

} // namespace

CToolsDlg::CToolsDlg(QWidget* parent) : CPage("ToolsDlg", parent) {
    auto* maintenance = AddControl(IDC_MAINTENANCE_GROUP, new QGroupBox(QStringLiteral("Maintenance"), this));
    maintenance->setGeometry(10, 10, 590, 226);
    for (int op = 0; op < kMaintenanceCount; ++op) {
        auto* button =
            AddControl(IDC_FIRST_OPERATION + op,
                       new QPushButton(QString::fromLatin1(kBuiltInCaptions[std::size_t(op)]), maintenance));
        button->setGeometry(15 + (op % 3) * 190, 26 + (op / 3) * 48, 180, 36);
        connect(button, &QPushButton::clicked, this, [this, op] { RunOperation(op); });
        m_operations[std::size_t(op)] = button;
    }

    auto* labels = AddControl(IDC_LABELS_GROUP, new QGroupBox(QStringLiteral("Test labels"), this));
    labels->setGeometry(10, 246, 590, 214);
    m_labels = AddControl(IDC_LABEL_LIST, new QListWidget(labels));
    m_labels->setGeometry(15, 26, 300, 174);
    for (const char* label : kTestLabels)
        m_labels->addItem(QString::fromLatin1(label));
    m_print = AddControl(IDC_PRINT, new QPushButton(QStringLiteral("Print"), labels));
    m_print->setGeometry(335, 26, 130, 32);
    connect(m_print, &QPushButton::clicked, this, &CToolsDlg::PrintTestLabel);

    m_busy = new QProgressBar(labels);
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setGeometry(335, 70, 235, 16);
    m_busy->hide();

    EnableByLanguage();
}

void CToolsDlg::PageShown() {
    EnableByLanguage();
}

void CToolsDlg::EnableByLanguage() {
    const int instruction = ReadInstruction();
    const bool idle = !m_task.IsBusy();
    for (int op = 0; op < kMaintenanceCount; ++op)
        m_operations[std::size_t(op)]->setEnabled(idle && MaintenanceOffered(op, instruction));
    m_print->setEnabled(idle);
}

void CToolsDlg::SetBusy(bool busy) {
    m_busy->setVisible(busy);
    EnableByLanguage();
}

void CToolsDlg::RunOperation(int operation) {
    const tagPORTINFO port = ReadPortInfo();
    const int instruction = ReadInstruction();
    // Nothing set on the printer survives a factory reset: asked first, and Enter keeps it.
    if (operation == MAINT_FACTORY_RESET &&
        AskConfirmation({GetMessageText("ConfirmFactoryReset", ReadLanguage()), this, false, true}) !=
            ConfirmAnswer::Confirm)
        return;
    const COperation op(this, m_operations[std::size_t(operation)], port);
    if (m_task.Start([operation, instruction, port] { return RunMaintenance(operation, instruction, port); },
                     [this, op](int code) { Finished(op, code, "CommandSent"); }))
        SetBusy(true);
}

void CToolsDlg::PrintTestLabel() {
    const QListWidgetItem* item = m_labels->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString path = SampleFilePath(item->text(), ReadInstruction());
    const tagPORTINFO port = ReadPortInfo();
    const COperation op(this, m_print->text() + QStringLiteral(" ") + item->text(), port);
    // A sample that cannot be read is said so: the label would silently print nothing.
    const std::optional<QByteArray> content = ReadSampleFile(path);
    if (!content) {
        op.Failed("OpenFileFail", ReadLanguage(),
                  QDir::toNativeSeparators(path) + QStringLiteral(": ") + SampleProblem(path));
        return;
    }
    if (m_task.Start([content = *content, port] { return SendTestLabel(content, port); },
                     [this, op](int code) { Finished(op, code, "LabelSent"); }))
        SetBusy(true);
}

void CToolsDlg::Finished(const COperation& op, int code, const char* successMessage) {
    SetBusy(false);
    const int language = ReadLanguage();
    if (code != 0) {
        op.CommFailed(code, language);
        return;
    }
    // The printer's own action (a printed page, a fed label) shows the outcome; no box needed.
    op.Succeeded(successMessage, language, Notify::LogOnly);
}

} // namespace quillory
