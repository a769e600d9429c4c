#include "port/ui/CommunicationSettingDlg.h"

#include "app/AppSettings.h"
#include "app/ui/Activity.h"
#include "port/PortChoice.h"
#include "port/ui/PortControls.h"
#include "port/ui/PortSubPage.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace quillory {
namespace {

constexpr const char* kInstructionNames[] = {"VKLZ", "VKLE", "VKLT", "VKLA", "VKLC"};

// Where the sub-pages lie inside the port group box: below the port-type row, above the buttons.
constexpr int kInsetLeft = 30, kInsetTop = 66, kInsetRight = 20, kInsetBottom = 80;
// The port-type row, from the top of the group box (below its title).
constexpr int kPortTypeRowTop = 30;

} // namespace

CCommunicationSettingDlg::CCommunicationSettingDlg(QWidget* parent)
    : CPage("PortSetDlg", parent), m_driverMode(IsDriverMode()) {
    m_instructionGroup =
        AddControl(IDC_INSTRUCTION_GROUP, new QGroupBox(QStringLiteral("Command set"), this));
    auto* radios = new QHBoxLayout(m_instructionGroup);
    radios->setContentsMargins(30, 8, 16, 8);
    radios->setSpacing(12);
    // In command-language order, whatever their ids.
    for (int instruction = 0; instruction < int(kInstructionRadios.size()); ++instruction) {
        for (const InstructionRadio& row : kInstructionRadios) {
            if (row.instruction != instruction)
                continue;
            auto* radio =
                AddControl(row.id, new QRadioButton(QString::fromLatin1(kInstructionNames[instruction]),
                                                    m_instructionGroup));
            radios->addWidget(radio, 1);
        }
    }

    m_portGroup = AddControl(IDC_PORT_GROUP, new QGroupBox(QStringLiteral("Port"), this));
    m_portTypeLabel = AddControl(IDC_PORT_TYPE_LABEL, new QLabel(QStringLiteral("Port type:"), this));
    m_portType = AddControl(IDC_PORT_TYPE, new QComboBox(this));
    m_portTypeLabel->setBuddy(m_portType);
    m_ok = AddControl(IDC_OK, new QPushButton(QStringLiteral("OK"), this));
    m_cancel = AddControl(IDC_CANCEL, new QPushButton(QStringLiteral("Cancel"), this));
    m_ok->setMinimumWidth(90);
    m_cancel->setMinimumWidth(90);

    connect(m_portType, &QComboBox::currentIndexChanged, this, &CCommunicationSettingDlg::ChoosePortType);
    connect(m_ok, &QPushButton::clicked, this, &CCommunicationSettingDlg::OnOK);
    connect(m_cancel, &QPushButton::clicked, this, &CCommunicationSettingDlg::OnCancel);

    m_subPages.Create(this, QRect(), ReadLanguage());
    if (m_driverMode) {
        m_portType->hide();
        m_portTypeLabel->hide();
    }
    // The page opens on the saved port, whatever kind it is: a page that showed the serial
    // defaults instead would save them over the saved port at the first OK.
    ReloadSettings();
    m_cancel->setEnabled(false);
    PlaceControls();
}

CCommunicationSettingDlg::~CCommunicationSettingDlg() = default;

void CCommunicationSettingDlg::resizeEvent(QResizeEvent* event) {
    CPage::resizeEvent(event);
    PlaceControls();
}

void CCommunicationSettingDlg::PlaceControls() {
    if (!m_subPages.IsCreated())
        return;
    const int margin = 20;
    m_instructionGroup->setGeometry(margin, 12, qMax(0, width() - 2 * margin), 78);
    m_portGroup->setGeometry(margin, 104, qMax(0, width() - 2 * margin), qMax(0, height() - 104 - 16));
    const QRect group = m_portGroup->geometry();
    const QRect area(QPoint(group.left() + kInsetLeft, group.top() + kInsetTop),
                     QPoint(group.right() - kInsetRight, group.bottom() - kInsetBottom));
    for (int i = 0; i < kPortSubPageCount; ++i)
        m_subPages.Page(i)->setGeometry(area);

    const int rowTop = group.top() + kPortTypeRowTop;
    const int labelWidth = m_portTypeLabel->sizeHint().width();
    m_portTypeLabel->setGeometry(area.left(), rowTop, labelWidth, 24);
    m_portType->setGeometry(area.left() + labelWidth + 10, rowTop, 220, 24);

    const QSize button(qMax(m_ok->sizeHint().width(), 90), 28);
    const int buttonTop = group.bottom() - kInsetBottom + (kInsetBottom - button.height()) / 2;
    m_cancel->setGeometry(group.right() - 20 - button.width(), buttonTop, button.width(), button.height());
    m_ok->setGeometry(m_cancel->x() - 12 - button.width(), buttonTop, button.width(), button.height());
}

void CCommunicationSettingDlg::TextsApplied(int languageIndex) {
    // The texts refill the port-type list; it keeps naming the sub-page in view.
    if (!m_driverMode && m_subPages.InView() >= 0)
        SelectQuietly(m_portType, m_subPages.InView());
    if (m_subPages.IsCreated())
        m_subPages.ApplyTexts(languageIndex);
    PlaceControls();
}

void CCommunicationSettingDlg::SelectInstruction(int instruction) {
    for (const InstructionRadio& row : kInstructionRadios) {
        auto* radio = ControlAs<QRadioButton>(row.id);
        // Unchecking needs the exclusivity off: an unknown index leaves none checked.
        radio->setAutoExclusive(false);
        radio->setChecked(row.instruction == instruction);
        radio->setAutoExclusive(true);
    }
}

int CCommunicationSettingDlg::ChosenInstruction() const {
    for (const int id : {1016, 1015, 1017, 1018}) {
        if (ControlAs<QRadioButton>(id)->isChecked()) {
            for (const InstructionRadio& row : kInstructionRadios) {
                if (row.id == id)
                    return row.instruction;
            }
        }
    }
    return INSTRUCTION_VKLA;
}

void CCommunicationSettingDlg::ChoosePortType(int index) {
    if (m_driverMode || index < 0)
        return;
    SelectQuietly(m_portType, index);
    m_subPages.Show(index);
    m_subPages.ApplyTextsInView(ReadLanguage());
}

void CCommunicationSettingDlg::PageShown() {
    m_subPages.ApplyTextsInView(ReadLanguage());
    if (const int inView = m_subPages.InView(); inView == SUBPAGE_USB || inView == SUBPAGE_DRIVER)
        m_subPages.Page(inView)->FillListIfEmpty();
    ReloadSettings();
}

void CCommunicationSettingDlg::ReloadSettings() {
    SelectInstruction(ReadInstruction());
    const int index = m_subPages.ShowSaved(ReadPortInfo(), m_driverMode);
    if (!m_driverMode)
        SelectQuietly(m_portType, index);
}

void CCommunicationSettingDlg::OnCancel() {
    ReloadSettings();
}

void CCommunicationSettingDlg::OnOK() {
    if (m_proof.IsBusy())
        return;
    const tagPORTINFO info = m_subPages.Build();
    const COperation op(this, m_ok, info);
    const int language = ReadLanguage();
    // Nothing is saved for a network port without an address: it would replace a working one.
    if (IsAddressMissing(info)) {
        op.Failed("AddressMissing", language);
        m_subPages.FocusAddress();
        return;
    }
    m_cancel->setEnabled(true);
    WriteInstruction(ChosenInstruction());
    WritePortInfo(info);
    m_ok->setEnabled(false);
    m_proof.Start([info] { return ProvePort(info); },
                  [this, op, language](int code) { ProofDone(op, code, language); });
}

void CCommunicationSettingDlg::ProofDone(const COperation& op, int code, int language) {
    m_ok->setEnabled(true);
    if (code != 0) {
        // The choice stays saved: only the open test failed.
        op.CommFailed(code, language);
        return;
    }
    op.Succeeded("PortOpened", language, Notify::LogOnly);
    // An operator who has moved on to another page meanwhile is not pulled away from it.
    if (isVisible())
        emit commandRequested(kPrinterSettingsCommand);
}

} // namespace quillory
