#include "tools/NetworkFrames.h"

#include "instruction/Exchange.h"

namespace quillory {
namespace {

const QByteArray kHeader("\x1d\x99\x42\x45\x92\x99", 6);

QByteArray Bytes(const std::array<std::uint8_t, 4>& a) {
    return QByteArray(reinterpret_cast<const char*>(a.data()), 4);
}

bool PortTextValid(const QString& text, int& port) {
    bool ok = false;
    port = text.trimmed().toInt(&ok);
    return ok && port >= 0 && port <= 65535;
}

} // namespace

QByteArray NetworkFrame(std::uint8_t command, const QByteArray& data) {
    QByteArray frame = kHeader;
    frame += char(command);
    frame += char(std::uint8_t(data.size()));
    frame += data;
    unsigned sum = 0;
    for (char c : frame)
        sum += static_cast<unsigned char>(c);
    frame += char(sum & 0xFF);
    return frame;
}

QByteArray StaticAddressFrame(const NetworkConfig& config) {
    return kHeader + 'I' + Bytes(config.ipAddress) + Bytes(config.subnetMask) + Bytes(config.gateway);
}

int SecurityTypeCode(int encryptionIndex, int mode) {
    if (mode == 0)
        return encryptionIndex > 1 ? encryptionIndex + 1 : encryptionIndex;
    return encryptionIndex;
}

QStringList EncryptionMethods(int mode) {
    if (mode == 0)
        return {QStringLiteral("NO"), QStringLiteral("WEP"), QStringLiteral("WPA-PSK"),
                QStringLiteral("WPA2-PSK")};
    return {QStringLiteral("NO"), QStringLiteral("WEP"), QStringLiteral("WPANONE")};
}

QStringList WepModes(int encryptionIndex) {
    if (encryptionIndex < 2)
        return {QStringLiteral("Open System"), QStringLiteral("Share Key")};
    return {QStringLiteral("TKIP"), QStringLiteral("AES")};
}

NetworkConfigProblem ValidateNetworkConfig(const NetworkConfig& config) {
    int port = 0;
    if (!config.portText.trimmed().isEmpty() && !PortTextValid(config.portText, port))
        return NetworkConfigProblem::PortOutOfRange;
    if (config.interfaceIndex == 0)
        return NetworkConfigProblem::None;
    if (config.ssid.toLocal8Bit().size() > 99)
        return NetworkConfigProblem::SsidTooLong;
    if (config.security) {
        const qsizetype length = config.key.size();
        if (config.encryptionIndex == 1 && length != 5 && length != 10 && length != 13 && length != 26)
            return NetworkConfigProblem::WepKeyLength;
        if (config.encryptionIndex > 1 && (length < 8 || length > 64))
            return NetworkConfigProblem::WpaKeyLength;
        if (config.key.toLocal8Bit().size() > 255)
            return NetworkConfigProblem::KeyTooLong;
    }
    return NetworkConfigProblem::None;
}

std::vector<QByteArray> NetworkApplyFrames(const NetworkConfig& config) {
    std::vector<QByteArray> frames{NetworkFrame('Q', QByteArray(1, config.dhcp ? '\x01' : '\x00'))};
    if (!config.dhcp)
        frames.push_back(StaticAddressFrame(config));
    int port = 0;
    if (!config.portText.trimmed().isEmpty() && PortTextValid(config.portText, port)) {
        QByteArray bigEndian;
        bigEndian += char(port >> 8);
        bigEndian += char(port & 0xFF);
        frames.push_back(NetworkFrame('W', bigEndian));
    }
    if (config.interfaceIndex != 0) {
        frames.push_back(NetworkFrame('s', QByteArray(1, char(config.region))));
        frames.push_back(NetworkFrame('p', QByteArray(1, char(config.mode))));
        if (config.mode != 0)
            frames.push_back(NetworkFrame('r', QByteArray(1, char(config.channelIndex + 1))));
        frames.push_back(NetworkFrame('q', config.ssid.toLocal8Bit()));
        if (config.security) {
            frames.push_back(NetworkFrame(
                't', QByteArray(1, char(SecurityTypeCode(config.encryptionIndex, config.mode)))));
            if (config.encryptionIndex != 0) {
                frames.push_back(NetworkFrame('u', QByteArray(1, char(config.wepModeIndex))));
                frames.push_back(NetworkFrame('w', config.key.toLocal8Bit()));
            }
        }
    }
    return frames;
}

std::vector<QByteArray> NetworkFactoryFrames(int interfaceIndex) {
    std::vector<QByteArray> frames{NetworkFrame('X', {})};
    if (interfaceIndex == 0)
        frames.push_back("~WN00@eep,w,37,2,0,1\r\n");
    return frames;
}

int SendNetworkFrames(const tagPORTINFO& port, const std::vector<QByteArray>& frames) {
    return RunExchange(port, [&](CExchange& x) {
        x.Open(kStandardTimeouts);
        for (const QByteArray& frame : frames)
            x.Write(frame);
    });
}

const std::array<const char*, 76>& RegionLabels() {
    static constexpr std::array<const char*, 76> labels{
        "<default> - (1-13)",
        "Argentina - (1-11)",
        "Austria - (1-13)",
        "Bahrain - (1-13)",
        "Belares - (1-13)",
        "Belgium - (1-13)",
        "Bolivio - (1-13)",
        "Brazil - (1-11)",
        "Bulgaria - (1-13)",
        "Canada - (1-11)",
        "Chile - (1-13)",
        "China - (1-13)",
        "Colombia - (1-11)",
        "Costa Rica - (1-13)",
        "Croatia - (1-13)",
        "Cyprus - (1-13)",
        "Czech Republic - (1-13)",
        "Denmark - (1-13)",
        "Ecuador - (1-13)",
        "Egypt - (1-13)",
        "Estonia - (1-13)",
        "Finland - (1-13)",
        "France - (10-13)",
        "Germany - (1-13)",
        "Greece - (1-13)",
        "Hong Kong - (1-13)",
        "Hungary - (1-13)",
        "Iceland - (1-13)",
        "India - (1-13)",
        "Indonesia - (1-13)",
        "Ireland - (1-13)",
        "Israel - (3-9)",
        "Italy - (1-13)",
        "Japan - (1-14)",
        "Jordan - (10-13)",
        "Kuwait - (1-13)",
        "Latvia - (1-13)",
        "Lebanon - (1-13)",
        "Liechenstein - (1-13)",
        "Lithuania - (1-13)",
        "Luxembourg - (1-13)",
        "Macedonia, The Former Yugoslav Republic of - (1-13)",
        "Malaysia - (1-13)",
        "Mexico - (1-11)",
        "Morocco - (1-13)",
        "Netherlands - (1-13)",
        "New Zealand - (1-13)",
        "Nigeria - (1-13)",
        "Norway - (1-13)",
        "Panama - (1-13)",
        "Paraguay - (1-13)",
        "Peru - (1-13)",
        "Phlippines - (1-13)",
        "Poland - (1-13)",
        "Portugal - (1--13)",
        "Puerto Rico - (1-13)",
        "Romania - (1-13)",
        "Russia - (1-13)",
        "Saudi Arabia - (1-13)",
        "Singapore - (1-13)",
        "Slovakia - (1-13)",
        "Slovenia - (1-13)",
        "South Africa - (1-13)",
        "South Korea - (1-13)",
        "Spain - (10-11)",
        "Sweden - (1-13)",
        "Switzerland - (1-13)",
        "Taiwan - (1-11)",
        "Thailand - (1-13)",
        "Turkey - (1-13)",
        "United Arab Emirates - (1-13)",
        "United Kingdom - (1-13)",
        "United States of America - (1-11)",
        "Uruguay - (1-13)",
        "Venezuela - (1-13)",
        "Yugoslavia - (1-11)",
    };
    return labels;
}

std::optional<tagPORTINFO> PortAfterNetworkApply(const tagPORTINFO& saved, const NetworkConfig& config) {
    if (saved.portType != PORT_NET)
        return std::nullopt;
    tagPORTINFO moved = saved;
    bool changed = false;
    if (!config.dhcp) {
        const auto& ip = config.ipAddress;
        const QString address = QStringLiteral("%1.%2.%3.%4").arg(ip[0]).arg(ip[1]).arg(ip[2]).arg(ip[3]);
        if (address != PortText(saved.netAddress).trimmed()) {
            SetPortText(moved.netAddress, address);
            changed = true;
        }
    }
    bool isNumber = false;
    const int tcpPort = config.portText.trimmed().toInt(&isNumber);
    if (isNumber && tcpPort != saved.netPort) {
        moved.netPort = tcpPort;
        changed = true;
    }
    if (!changed)
        return std::nullopt;
    return moved;
}

QString NetworkPortText(const tagPORTINFO& port) {
    return QStringLiteral("%1:%2").arg(PortText(port.netAddress).trimmed()).arg(port.netPort);
}

} // namespace quillory
