#include "tools/ui/NetworkDlg.h"

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/Activity.h"
#include "app/ui/Messages.h"
#include "controls/PaperNunberEditEx.h"
#include "tools/ui/IpAddressEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace quillory {
namespace {

// Geometry of the page (610 x 470). The wireless group sits where the buttons stand in the
// wired layout; the buttons then move below it.
constexpr int kLabelX = 10, kLabelW = 125, kFieldX = 140;
constexpr int kButtonsY = 206;

QLabel* MakeLabel(CPage* page, int id, QWidget* parent, const QString& text, const QRect& at) {
    auto* label = page->AddControl(id, new QLabel(text, parent));
    label->setGeometry(at);
    return label;
}

void FillList(QComboBox* combo, const QStringList& items) {
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(0);
}

} // namespace

CNetworkDlg::CNetworkDlg(QWidget* parent) : CPage("NetworkDlg", parent) {
    MakeLabel(this, IDC_INTERFACE_LABEL, this, QStringLiteral("Network interface:"), {20, 14, 130, 22});
    m_interface = AddControl(IDC_INTERFACE, new QComboBox(this));
    m_interface->setGeometry(155, 12, 200, 24);

    BuildWiredGroup();
    BuildWirelessGroup();

    m_busy = new QProgressBar(this);
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setGeometry(20, kButtonsY + 6, 250, 18);
    m_busy->hide();
    m_apply = AddControl(IDC_APPLY, new QPushButton(QStringLiteral("Apply"), this));
    m_apply->setGeometry(290, kButtonsY, 140, 30);
    m_factory = AddControl(IDC_FACTORY, new QPushButton(QStringLiteral("Restore factory defaults"), this));
    m_factory->setGeometry(440, kButtonsY, 160, 30);

    FillBuiltInLists();
    m_wireless->hide();

    connect(m_interface, &QComboBox::currentIndexChanged, this, &CNetworkDlg::OnInterfaceChanged);
    connect(m_dhcpOn, &QRadioButton::toggled, this, &CNetworkDlg::OnDhcpToggled);
    connect(m_mode, &QComboBox::currentIndexChanged, this, &CNetworkDlg::OnModeChanged);
    connect(m_encryption, &QComboBox::currentIndexChanged, this, &CNetworkDlg::OnEncryptionChanged);
    connect(m_security, &QCheckBox::toggled, this, &CNetworkDlg::UpdateSecurityControls);
    connect(m_apply, &QPushButton::clicked, this, &CNetworkDlg::OnApply);
    connect(m_factory, &QPushButton::clicked, this, &CNetworkDlg::OnFactoryDefaults);
}

void CNetworkDlg::BuildWiredGroup() {
    auto* group = AddControl(IDC_WIRED_GROUP, new QGroupBox(QStringLiteral("Wired network"), this));
    group->setGeometry(10, 46, 590, 150);
    m_dhcpOn = AddControl(IDC_DHCP_ON, new QRadioButton(QStringLiteral("DHCP on"), group));
    m_dhcpOn->setGeometry(kLabelX, 22, 150, 24);
    m_dhcpOff = AddControl(IDC_DHCP_OFF, new QRadioButton(QStringLiteral("DHCP off"), group));
    m_dhcpOff->setGeometry(kFieldX + 30, 22, 150, 24);
    m_dhcpOff->setChecked(true);

    const struct {
        int id, labelId;
        const char* caption;
        CIpAddressEdit::Address initial;
        CIpAddressEdit** field;
    } rows[] = {
        {IDC_IP, IDC_IP_LABEL, "IP address:", {192, 168, 1, 200}, &m_ip},
        {IDC_MASK, IDC_MASK_LABEL, "Subnet mask:", {255, 255, 255, 0}, &m_mask},
        {IDC_GATEWAY, IDC_GATEWAY_LABEL, "Default gateway:", {192, 168, 1, 1}, &m_gateway},
    };
    int y = 56;
    for (const auto& row : rows) {
        MakeLabel(this, row.labelId, group, QString::fromLatin1(row.caption), {kLabelX, y, kLabelW, 22});
        *row.field = AddControl(row.id, new CIpAddressEdit(group));
        (*row.field)->setGeometry(kFieldX, y - 1, 170, 24);
        (*row.field)->SetAddress(row.initial);
        y += 30;
    }
    MakeLabel(this, IDC_PORT_LABEL, group, QStringLiteral("Port:"), {340, 56, 80, 22});
    m_port = AddControl(IDC_PORT, new CPaperNunberEditEx(group));
    m_port->setGeometry(425, 55, 100, 24);
    m_port->Initialise(9100, 203, 0, 65535);
}

void CNetworkDlg::BuildWirelessGroup() {
    m_wireless = AddControl(IDC_WIRELESS_GROUP, new QGroupBox(QStringLiteral("Wireless network"), this));
    m_wireless->setGeometry(10, 200, 590, 214);
    QGroupBox* g = m_wireless;

    MakeLabel(this, IDC_REGION_LABEL, g, QStringLiteral("Region:"), {kLabelX, 24, kLabelW, 22});
    m_region = AddControl(IDC_REGION, new QComboBox(g));
    m_region->setGeometry(kFieldX, 23, 430, 24);
    for (const char* label : RegionLabels())
        m_region->addItem(QString::fromLatin1(label));
    m_region->setCurrentIndex(0);

    MakeLabel(this, IDC_MODE_LABEL, g, QStringLiteral("Mode:"), {kLabelX, 56, kLabelW, 22});
    m_mode = AddControl(IDC_MODE, new QComboBox(g));
    m_mode->setGeometry(kFieldX, 55, 150, 24);
    m_channelLabel = MakeLabel(this, IDC_CHANNEL_LABEL, g, QStringLiteral("Channel:"), {305, 56, 110, 22});
    m_channel = AddControl(IDC_CHANNEL, new QComboBox(g));
    m_channel->setGeometry(420, 55, 150, 24);

    MakeLabel(this, IDC_SSID_LABEL, g, QStringLiteral("SSID:"), {kLabelX, 88, kLabelW, 22});
    m_ssid = AddControl(IDC_SSID, new QLineEdit(QStringLiteral("defaultSSID"), g));
    m_ssid->setGeometry(kFieldX, 87, 430, 24);

    m_security = AddControl(IDC_SECURITY, new QCheckBox(QStringLiteral("Security settings"), g));
    m_security->setGeometry(kLabelX, 118, 300, 24);

    m_encryptionLabel =
        MakeLabel(this, IDC_ENCRYPTION_LABEL, g, QStringLiteral("Encryption:"), {kLabelX, 150, kLabelW, 22});
    m_encryption = AddControl(IDC_ENCRYPTION, new QComboBox(g));
    m_encryption->setGeometry(kFieldX, 149, 150, 24);
    m_wepModeLabel = MakeLabel(this, IDC_WEP_MODE_LABEL, g, QStringLiteral("WEP mode:"), {305, 150, 110, 22});
    m_wepMode = AddControl(IDC_WEP_MODE, new QComboBox(g));
    m_wepMode->setGeometry(420, 149, 150, 24);

    m_keyLabel = MakeLabel(this, IDC_KEY_LABEL, g, QStringLiteral("Key:"), {kLabelX, 182, kLabelW, 22});
    m_key = AddControl(IDC_KEY, new QLineEdit(g));
    m_key->setGeometry(kFieldX, 181, 300, 24);
    // The key is a secret: masked unless the operator asks to see it.
    m_key->setEchoMode(QLineEdit::Password);
    m_showKey = AddControl(IDC_SHOW_KEY, new QCheckBox(QStringLiteral("Show key"), g));
    m_showKey->setGeometry(kFieldX + 310, 181, 120, 24);
    connect(m_showKey, &QCheckBox::toggled, this,
            [this](bool show) { m_key->setEchoMode(show ? QLineEdit::Normal : QLineEdit::Password); });
}

void CNetworkDlg::FillBuiltInLists() {
    // The language file replaces these; they keep the page usable without one.
    FillList(m_interface, {QStringLiteral("Wired"), QStringLiteral("Wireless")});
    FillList(m_mode, {QStringLiteral("Infrastructure"), QStringLiteral("Ad hoc")});
    QStringList channels;
    for (int channel = 1; channel <= 14; ++channel)
        channels << QString::number(channel);
    FillList(m_channel, channels);
    // The encryption and WEP mode lists start filled for the first mode, so that security can be
    // chosen before the mode was ever changed.
    OnModeChanged(m_mode->currentIndex());
}

void CNetworkDlg::ApplyLanguage(int languageIndex) {
    const bool first = AppliedLanguage() < 0;
    const int interfaceIndex = m_interface->currentIndex();
    const int mode = m_mode->currentIndex();
    const int channel = m_channel->currentIndex();
    CPage::ApplyLanguage(languageIndex);
    if (!first) {
        for (auto [combo, index] : {std::pair{m_interface, interfaceIndex}, std::pair{m_mode, mode},
                                    std::pair{m_channel, channel}}) {
            const QSignalBlocker blocker(combo);
            if (index >= 0 && index < combo->count())
                combo->setCurrentIndex(index);
        }
    }
    OnInterfaceChanged(m_interface->currentIndex());
    if (m_mode->currentIndex() != mode)
        OnModeChanged(m_mode->currentIndex());
    else
        EnableChannel();
}

void CNetworkDlg::OnInterfaceChanged(int index) {
    const bool wireless = index > 0;
    if (wireless != (m_lastInterface > 0)) {
        m_wireless->setVisible(wireless);
        const int shift = wireless ? kButtonShift : -kButtonShift;
        for (QWidget* w : {static_cast<QWidget*>(m_apply), static_cast<QWidget*>(m_factory),
                           static_cast<QWidget*>(m_busy)})
            w->move(w->x(), w->y() + shift);
    }
    m_lastInterface = index;
}

void CNetworkDlg::OnDhcpToggled() {
    const bool manual = !m_dhcpOn->isChecked();
    for (CIpAddressEdit* field : {m_ip, m_mask, m_gateway})
        field->setEnabled(manual);
}

void CNetworkDlg::EnableChannel() {
    const bool adHoc = m_mode->currentIndex() > 0;
    m_channel->setEnabled(adHoc);
    m_channelLabel->setEnabled(adHoc);
}

void CNetworkDlg::OnModeChanged(int mode) {
    EnableChannel();
    FillList(m_encryption, EncryptionMethods(std::max(mode, 0)));
    FillList(m_wepMode, WepModes(0));
    UpdateSecurityControls();
}

void CNetworkDlg::OnEncryptionChanged(int index) {
    FillList(m_wepMode, WepModes(std::max(index, 0)));
    UpdateSecurityControls();
}

void CNetworkDlg::UpdateSecurityControls() {
    const bool security = m_security->isChecked();
    m_encryption->setEnabled(security);
    m_encryptionLabel->setEnabled(security);
    const bool keyed = security && m_encryption->currentIndex() > 0;
    for (QWidget* w :
         {static_cast<QWidget*>(m_wepMode), static_cast<QWidget*>(m_wepModeLabel),
          static_cast<QWidget*>(m_key), static_cast<QWidget*>(m_keyLabel), static_cast<QWidget*>(m_showKey)})
        w->setEnabled(keyed);
}

NetworkConfig CNetworkDlg::CollectConfig() {
    m_port->CommitText();
    NetworkConfig config;
    config.interfaceIndex = std::max(m_interface->currentIndex(), 0);
    config.dhcp = m_dhcpOn->isChecked();
    config.ipAddress = m_ip->GetAddress();
    config.subnetMask = m_mask->GetAddress();
    config.gateway = m_gateway->GetAddress();
    config.portText = m_port->text();
    config.region = std::max(m_region->currentIndex(), 0);
    config.mode = std::max(m_mode->currentIndex(), 0);
    config.channelIndex = std::max(m_channel->currentIndex(), 0);
    config.ssid = m_ssid->text();
    config.security = m_security->isChecked();
    config.encryptionIndex = std::max(m_encryption->currentIndex(), 0);
    config.wepModeIndex = std::max(m_wepMode->currentIndex(), 0);
    config.key = m_key->text();
    return config;
}

void CNetworkDlg::ShowProblem(const COperation& op, NetworkConfigProblem problem) {
    const char* key = nullptr;
    switch (problem) {
    case NetworkConfigProblem::None:
        return;
    case NetworkConfigProblem::WepKeyLength:
        key = "WepPassword";
        break;
    case NetworkConfigProblem::WpaKeyLength:
        key = "WpaPassword";
        break;
    case NetworkConfigProblem::KeyTooLong:
        key = m_encryption->currentIndex() == 1 ? "WepPassword" : "WpaPassword";
        break;
    case NetworkConfigProblem::SsidTooLong:
        key = "SsidTooLong";
        break;
    case NetworkConfigProblem::PortOutOfRange:
        key = "TcpPortRange";
        break;
    }
    op.Failed(key, ReadLanguage());
}

void CNetworkDlg::OnApply() {
    const NetworkConfig config = CollectConfig();
    const COperation op(this, m_apply, ReadPortInfo());
    if (const NetworkConfigProblem problem = ValidateNetworkConfig(config);
        problem != NetworkConfigProblem::None) {
        ShowProblem(op, problem);
        return;
    }
    // A printer that moves away from the saved port would not be found again through it.
    const tagPORTINFO saved = ReadPortInfo();
    std::optional<tagPORTINFO> moved = PortAfterNetworkApply(saved, config);
    if (moved) {
        const ConfirmAnswer answer =
            AskConfirmation({FormatMessageText("NetworkMovesPrinter", ReadLanguage(),
                                               {NetworkPortText(saved), NetworkPortText(*moved)}),
                             this, true});
        if (answer == ConfirmAnswer::Cancel)
            return;
        if (answer == ConfirmAnswer::Decline)
            moved.reset();
    }
    Send(op, NetworkApplyFrames(config), moved);
}

void CNetworkDlg::OnFactoryDefaults() {
    Send(COperation(this, m_factory, ReadPortInfo()),
         NetworkFactoryFrames(std::max(m_interface->currentIndex(), 0)));
}

void CNetworkDlg::Send(const COperation& op, std::vector<QByteArray> frames,
                       std::optional<tagPORTINFO> moved) {
    const tagPORTINFO port = ReadPortInfo();
    const bool applyEnabled = m_apply->isEnabled();
    const bool factoryEnabled = m_factory->isEnabled();
    if (!m_task.Start([port, frames = std::move(frames)] { return SendNetworkFrames(port, frames); },
                      [this, op, moved](int code) { SendFinished(op, code, moved); }))
        return;
    m_applyWasEnabled = applyEnabled;
    m_factoryWasEnabled = factoryEnabled;
    m_apply->setEnabled(false);
    m_factory->setEnabled(false);
    m_busy->show();
}

void CNetworkDlg::SendFinished(const COperation& op, int code, const std::optional<tagPORTINFO>& moved) {
    m_busy->hide();
    m_apply->setEnabled(m_applyWasEnabled);
    m_factory->setEnabled(m_factoryWasEnabled);
    if (code == 0 && moved)
        WritePortInfo(*moved);
    if (code == 0)
        op.Succeeded("RebootEffective", ReadLanguage());
    else
        op.CommFailed(code, ReadLanguage());
}

} // namespace quillory
