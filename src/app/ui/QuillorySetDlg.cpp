#include "app/ui/QuillorySetDlg.h"

#include "app/AppSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace quillory {
namespace {

QSpinBox* MillisecondsBox(QWidget* parent, const TimingRange& range) {
    auto* box = new QSpinBox(parent);
    box->setRange(range.minimum, range.maximum);
    box->setSingleStep(range.minimum >= 100 ? 1000 : 10);
    box->setSuffix(QStringLiteral(" ms"));
    box->setAlignment(Qt::AlignRight);
    return box;
}

} // namespace

CQuillorySetDlg::CQuillorySetDlg(QWidget* parent) : CScreenDialog("MainSetDlg", parent) {
    setWindowTitle(QStringLiteral("Program settings"));
    auto* label = AddControl(IDC_LANGUAGE_LABEL, new QLabel(QStringLiteral("Language:"), this));
    m_language = AddControl(IDC_LANGUAGE, new QComboBox(this));
    m_language->setMinimumWidth(180);
    label->setBuddy(m_language);
    m_wizard = AddControl(IDC_WIZARD, new QCheckBox(QStringLiteral("Open the wizard at start"), this));
    const auto labelled = [this](int labelId, const char* text, int boxId, const TimingRange& range) {
        auto* name = AddControl(labelId, new QLabel(QLatin1String(text), this));
        auto* box = AddControl(boxId, MillisecondsBox(this, range));
        name->setBuddy(box);
        return std::pair{name, box};
    };
    const auto [timeoutLabel, timeout] =
        labelled(IDC_REPLY_TIMEOUT_LABEL, "Reply time-out:", IDC_REPLY_TIMEOUT, kReplyTimeoutRange);
    const auto [gapLabel, gap] = labelled(IDC_REPLY_GAP_LABEL, "Reply gap:", IDC_REPLY_GAP, kReplyGapRange);
    const auto [stallLabel, stall] =
        labelled(IDC_STALL_LIMIT_LABEL, "Stall limit:", IDC_STALL_LIMIT, kStallLimitRange);
    m_replyTimeout = timeout;
    m_replyGap = gap;
    m_stallLimit = stall;
    auto* ok = AddControl(IDOK_BUTTON, new QPushButton(QStringLiteral("OK"), this));
    auto* cancel = AddControl(IDCANCEL_BUTTON, new QPushButton(QStringLiteral("Cancel"), this));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CQuillorySetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CQuillorySetDlg::reject);

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(14);
    form->addWidget(label, 0, 0);
    form->addWidget(m_language, 0, 1);
    form->addWidget(m_wizard, 1, 0, 1, 2);
    form->addWidget(timeoutLabel, 2, 0);
    form->addWidget(m_replyTimeout, 2, 1);
    form->addWidget(gapLabel, 3, 0);
    form->addWidget(m_replyGap, 3, 1);
    form->addWidget(stallLabel, 4, 0);
    form->addWidget(m_stallLimit, 4, 1);
    form->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->addLayout(form);
    layout->addStretch();
    layout->addSpacing(12);
    layout->addLayout(buttons);

    ApplyLanguage(ReadLanguage());
    m_wizard->setChecked(ReadWizard() != 0);
    const PortTiming timing = ReadPortTiming();
    m_replyTimeout->setValue(timing.replyTimeoutMs);
    m_replyGap->setValue(timing.replyGapMs);
    m_stallLimit->setValue(timing.stallLimitMs);
    setFixedSize(sizeHint().expandedTo(QSize(380, 0)));
}

void CQuillorySetDlg::TextsApplied(int) {
    // The list offers the languages in index order; a stored value beyond them means English.
    const int current = ReadLanguage();
    m_language->setCurrentIndex(current >= 0 && current < m_language->count() ? current
                                                                              : m_language->count() - 1);
}

void CQuillorySetDlg::accept() {
    m_chosen = m_language->currentIndex();
    WriteWizard(m_wizard->isChecked() ? 1 : 0);
    // Only a change is written: a file without the keys keeps the defaults without them.
    const PortTiming chosen{m_replyTimeout->value(), m_replyGap->value(), m_stallLimit->value()};
    const PortTiming stored = ReadPortTiming();
    if (chosen.replyTimeoutMs != stored.replyTimeoutMs || chosen.replyGapMs != stored.replyGapMs ||
        chosen.stallLimitMs != stored.stallLimitMs)
        WritePortTiming(chosen);
    CScreenDialog::accept();
}

} // namespace quillory
