#include "port/ui/WizardDlg.h"

#include "app/AppSettings.h"
#include "app/ui/Activity.h"
#include "app/ui/SkinFiles.h"
#include "port/PortChoice.h"
#include "port/ui/PortControls.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace quillory {
namespace {

constexpr int kWidth = 525, kHeight = 400;
constexpr int kFooterTop = kHeight - 56;

void MakeHeaderText(QLabel* label, int pixelSize, bool bold) {
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    label->setWordWrap(true);
}

} // namespace

CWizardDlg::CWizardDlg(QWidget* parent) : CScreenDialog("WizardDlg", parent), m_driverMode(IsDriverMode()) {
    setWindowTitle(QStringLiteral("Quillory"));
    setFixedSize(kWidth, kHeight);
    m_background.load(SkinFile(QStringLiteral("wizardbackground.png")));

    m_heading = AddControl(IDC_HEADING, new QLabel(QStringLiteral("Welcome"), this));
    MakeHeaderText(m_heading, 18, true);
    m_heading->setGeometry(24, 18, 410, 28);
    m_step1Hint = AddControl(IDC_STEP1_HINT, new QLabel(this));
    m_step2Hint = AddControl(IDC_STEP2_HINT, new QLabel(this));
    for (QLabel* hint : {m_step1Hint, m_step2Hint}) {
        MakeHeaderText(hint, 13, false);
        hint->setGeometry(24, 48, 410, 40);
        hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    m_instructionLabel = AddControl(IDC_INSTRUCTION_LABEL, new QLabel(QStringLiteral("Command set:"), this));
    m_instruction = AddControl(IDC_INSTRUCTION, new QComboBox(this));
    m_instructionLabel->setBuddy(m_instruction);
    m_portTypeLabel = AddControl(IDC_PORT_TYPE_LABEL, new QLabel(QStringLiteral("Port type:"), this));
    m_portType = AddControl(IDC_PORT_TYPE, new QComboBox(this));
    m_portTypeLabel->setBuddy(m_portType);
    m_separator = new QFrame(this);
    m_separator->setFrameShape(QFrame::HLine);
    m_separator->setFrameShadow(QFrame::Sunken);
    m_separator->setGeometry(kSubPageArea.left(), kSubPageArea.top() - 5, kSubPageArea.width(), 2);

    m_dontShow = AddControl(IDC_DONT_SHOW, new QCheckBox(QStringLiteral("Do not show again"), this));
    m_back = AddControl(IDC_BACK, new QPushButton(QStringLiteral("< Back"), this));
    m_next = AddControl(IDC_NEXT, new QPushButton(QStringLiteral("Next >"), this));
    m_finish = AddControl(IDC_FINISH, new QPushButton(QStringLiteral("Finish"), this));
    // Enter finishes, unless a button has the focus: then it presses that one.
    m_finish->setDefault(true);

    connect(m_back, &QPushButton::clicked, this, &CWizardDlg::OnBack);
    connect(m_next, &QPushButton::clicked, this, &CWizardDlg::OnNext);
    connect(m_finish, &QPushButton::clicked, this, &CWizardDlg::OnFinish);
    connect(m_portType, &QComboBox::currentIndexChanged, this, &CWizardDlg::ChoosePortType);
    connect(m_dontShow, &QCheckBox::clicked, this, [](bool checked) { WriteWizard(checked ? 0 : 1); });

    ApplyLanguage(ReadLanguage());
    ShowStep(1);
}

CWizardDlg::~CWizardDlg() = default;

void CWizardDlg::TextsApplied(int languageIndex) {
    SelectQuietly(m_instruction, ReadInstruction());
    if (m_subPages.InView() >= 0 && !m_driverMode)
        SelectQuietly(m_portType, m_subPages.InView());
    if (m_subPages.IsCreated())
        m_subPages.ApplyTexts(languageIndex);

    // Rows of label and list, sized to the texts of the language.
    const int left = kSubPageArea.left();
    const int instructionLabel = m_instructionLabel->sizeHint().width();
    m_instructionLabel->setGeometry(left, 150, instructionLabel, 26);
    m_instruction->setGeometry(left + instructionLabel + 10, 150, 220, 26);
    const int portLabel = m_portTypeLabel->sizeHint().width();
    m_portTypeLabel->setGeometry(left, 104, portLabel, 24);
    m_portType->setGeometry(left + portLabel + 10, 104, 220, 24);

    const int buttonWidth = qMax(84, qMax(m_back->sizeHint().width(), m_next->sizeHint().width()));
    const int buttonTop = kFooterTop + (kHeight - kFooterTop - 28) / 2;
    m_finish->setGeometry(kWidth - 16 - buttonWidth, buttonTop, buttonWidth, 28);
    m_next->setGeometry(m_finish->x() - 8 - buttonWidth, buttonTop, buttonWidth, 28);
    m_back->setGeometry(m_next->x() - 6 - buttonWidth, buttonTop, buttonWidth, 28);
    m_dontShow->setGeometry(16, buttonTop, m_back->x() - 24, 28);
}

void CWizardDlg::ShowStep(int step) {
    m_step = step;
    const bool first = step == 1;
    m_step1Hint->setVisible(first);
    m_instructionLabel->setVisible(first);
    m_instruction->setVisible(first);
    m_step2Hint->setVisible(!first);
    const bool portType = !first && !m_driverMode;
    m_portTypeLabel->setVisible(portType);
    m_portType->setVisible(portType);
    m_separator->setVisible(portType);
    m_back->setEnabled(!first);
    m_finish->setEnabled(!first);
    m_next->setEnabled(first);
}

void CWizardDlg::OnNext() {
    if (!m_subPages.IsCreated()) {
        m_subPages.Create(this, kSubPageArea, ReadLanguage());
        // The saved port, as on the Connection page: Finish must not put the serial defaults
        // over a port that was chosen before.
        m_subPages.ShowSaved(ReadPortInfo(), m_driverMode);
    } else {
        m_subPages.Show(m_driverMode ? SUBPAGE_DRIVER : qMax(0, m_portType->currentIndex()));
    }
    if (!m_driverMode)
        SelectQuietly(m_portType, m_subPages.InView());
    ShowStep(2);
}

void CWizardDlg::OnBack() {
    m_subPages.HideAll();
    ShowStep(1);
}

void CWizardDlg::ChoosePortType(int index) {
    if (m_driverMode || index < 0 || m_step != 2)
        return;
    m_subPages.Show(index);
    m_subPages.ApplyTextsInView(ReadLanguage());
}

void CWizardDlg::OnFinish() {
    if (m_proof.IsBusy())
        return;
    if (const int instruction = m_instruction->currentIndex(); instruction >= 0)
        WriteInstruction(instruction);
    // Enter on the first step finishes with the port step as Next would show it.
    if (m_step == 1)
        OnNext();
    const tagPORTINFO info = m_subPages.Build();
    const COperation op(this, m_finish, info);
    const int language = ReadLanguage();
    // Nothing is saved for a network port without an address; the wizard stays on the port.
    if (IsAddressMissing(info)) {
        op.Failed("AddressMissing", language);
        m_subPages.FocusAddress();
        return;
    }
    WritePortInfo(info);
    m_back->setEnabled(false);
    m_finish->setEnabled(false);
    m_proof.Start([info] { return ProvePort(info); },
                  [this, op, language](int code) { ProofDone(op, code, language); });
}

void CWizardDlg::ProofDone(const COperation& op, int code, int language) {
    if (code == 0) {
        op.Succeeded("PortOpened", language, Notify::LogOnly);
        accept();
        return;
    }
    // The choice stays saved; the operator may correct it and finish again.
    op.CommFailed(code, language);
    m_back->setEnabled(true);
    m_finish->setEnabled(true);
}

void CWizardDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_background.isNull())
        painter.fillRect(rect(), kScreenBackground);
    else
        painter.drawPixmap(rect(), m_background);
}

void CWizardDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && m_step == 1 && event->modifiers() == Qt::NoModifier &&
        !qobject_cast<QPushButton*>(focusWidget())) {
        OnFinish();
        return;
    }
    CScreenDialog::keyPressEvent(event);
}

void CWizardDlg::closeEvent(QCloseEvent* event) {
    if (QWidget* owner = parentWidget())
        QMetaObject::invokeMethod(owner->window(), &QWidget::close, Qt::QueuedConnection);
    CScreenDialog::closeEvent(event);
}

} // namespace quillory
