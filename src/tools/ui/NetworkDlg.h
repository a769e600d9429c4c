#pragma once

#include "app/ui/BackgroundTask.h"
#include "app/ui/Page.h"
#include "tools/NetworkFrames.h"

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace quillory {

class CIpAddressEdit;
class COperation;
class CPaperNunberEditEx;

// Page 3: the printer's wired and wireless network settings, sent as network parameter frames.
class CNetworkDlg : public CPage {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_APPLY = 1002, // the main window disables these two for VKLA printers
        IDC_FACTORY = 1004,
        IDC_INTERFACE = 1005,
        IDC_INTERFACE_LABEL = 1006,
        IDC_DHCP_ON = 1007,
        IDC_DHCP_OFF = 1008,
        IDC_IP = 1009,
        IDC_IP_LABEL = 1010,
        IDC_MASK = 1011,
        IDC_MASK_LABEL = 1012,
        IDC_GATEWAY = 1013,
        IDC_GATEWAY_LABEL = 1014,
        IDC_PORT = 1015,
        IDC_PORT_LABEL = 1016,
        IDC_REGION = 1017,
        IDC_REGION_LABEL = 1018,
        IDC_MODE = 1019,
        IDC_MODE_LABEL = 1020,
        IDC_CHANNEL = 1021,
        IDC_CHANNEL_LABEL = 1022,
        IDC_SSID = 1023,
        IDC_SSID_LABEL = 1024,
        IDC_SECURITY = 1025,
        IDC_ENCRYPTION = 1026,
        IDC_ENCRYPTION_LABEL = 1027,
        IDC_WEP_MODE = 1028,
        IDC_WEP_MODE_LABEL = 1029,
        IDC_KEY = 1030,
        IDC_KEY_LABEL = 1031,
        IDC_WIRED_GROUP = 1032,
        IDC_WIRELESS_GROUP = 1033,
        IDC_SHOW_KEY = 1034,
    };
    // How far Apply and Restore move when the wireless settings appear or disappear.
    static constexpr int kButtonShift = 220;

    explicit CNetworkDlg(QWidget* parent = nullptr);

    // What Apply would send, from the page as it stands.
    [[nodiscard]] NetworkConfig CollectConfig();
    [[nodiscard]] bool IsBusy() const { return m_task.IsBusy(); }

    // Keeps the operator's choices in the lists the language file fills when the language changes.
    void ApplyLanguage(int languageIndex) override;

private:
    void BuildWiredGroup();
    void BuildWirelessGroup();
    void FillBuiltInLists();

    void OnApply();
    void OnFactoryDefaults();
    // moved: the saved port to write once the frames were sent (the printer moves there).
    void Send(const COperation& op, std::vector<QByteArray> frames, std::optional<tagPORTINFO> moved = {});
    void SendFinished(const COperation& op, int code, const std::optional<tagPORTINFO>& moved);

    void OnInterfaceChanged(int index);
    void OnDhcpToggled();
    void OnModeChanged(int mode);
    void EnableChannel();
    void OnEncryptionChanged(int index);
    void UpdateSecurityControls();
    void ShowProblem(const COperation& op, NetworkConfigProblem problem);

    QComboBox* m_interface = nullptr;
    QRadioButton* m_dhcpOn = nullptr;
    QRadioButton* m_dhcpOff = nullptr;
    CIpAddressEdit* m_ip = nullptr;
    CIpAddressEdit* m_mask = nullptr;
    CIpAddressEdit* m_gateway = nullptr;
    CPaperNunberEditEx* m_port = nullptr;
    QGroupBox* m_wireless = nullptr;
    QComboBox* m_region = nullptr;
    QComboBox* m_mode = nullptr;
    QComboBox* m_channel = nullptr;
    QLabel* m_channelLabel = nullptr;
    QLineEdit* m_ssid = nullptr;
    QCheckBox* m_security = nullptr;
    QComboBox* m_encryption = nullptr;
    QLabel* m_encryptionLabel = nullptr;
    QComboBox* m_wepMode = nullptr;
    QLabel* m_wepModeLabel = nullptr;
    QLineEdit* m_key = nullptr;
    QCheckBox* m_showKey = nullptr;
    QLabel* m_keyLabel = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_factory = nullptr;
    QProgressBar* m_busy = nullptr;

    int m_lastInterface = 0;
    // Enabled states of Apply and Restore before a run, given back when it ends (the main window
    // decides them by command language).
    bool m_applyWasEnabled = true;
    bool m_factoryWasEnabled = true;
    CBackgroundTask m_task;
};

} // namespace quillory
