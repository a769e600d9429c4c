// network apply, network factory: what the network page sends, on the command line.
#include "cli/CommandGroups.h"

#include "tools/NetworkFrames.h"

#include <CLI/CLI.hpp>

#include <QFile>

#include <arpa/inet.h>
#include <cstring>
#include <optional>
#include <ostream>
#include <unistd.h>

namespace quillory::cli {
namespace {

// The options of "network apply"; an empty optional is an option not given.
struct ApplyOptions {
    std::string dhcp = "off";
    std::string ip = "192.168.1.200";
    std::string mask = "255.255.255.0";
    std::string gateway = "192.168.1.1";
    std::string tcpPort = "9100";
    std::optional<std::string> interface;
    std::optional<std::string> region;
    std::optional<std::string> mode;
    std::optional<int> channel;
    std::optional<std::string> ssid;
    std::optional<std::string> security;
    std::optional<std::string> encryption;
    std::optional<std::string> wepMode;
    std::optional<std::string> key;
    std::optional<std::string> keyFile; // --key-file: the key is read from here instead

    [[nodiscard]] bool AnyWireless() const {
        return region || mode || channel || ssid || security || encryption || wepMode || key || keyFile;
    }
};

struct UsageError {
    QString message;
};

// A file named on the command line that cannot be used (exit 65).
struct InputError {
    QString message;
};

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::array<std::uint8_t, 4> ParseAddress(const std::string& text, const char* option) {
    // Only the dotted form with four decimal fields: "10" or "10.1" are not what anyone means here.
    in_addr address{};
    if (::inet_pton(AF_INET, text.c_str(), &address) != 1)
        throw UsageError{QStringLiteral("%1: not an IPv4 address: %2").arg(QLatin1String(option), Q(text))};
    std::array<std::uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), &address.s_addr, bytes.size()); // network order: first field first
    return bytes;
}

bool OnOff(const std::string& text, const char* option) {
    const QString t = Q(text).toLower();
    if (t == QStringLiteral("on"))
        return true;
    if (t == QStringLiteral("off"))
        return false;
    throw UsageError{QStringLiteral("%1 takes on or off, not %2").arg(QLatin1String(option), Q(text))};
}

// A region by its index in the region table or by its name ("Japan").
int ParseRegion(const std::string& text) {
    bool number = false;
    const int index = Q(text).toInt(&number);
    const auto& labels = RegionLabels();
    if (number) {
        if (index >= 0 && index < int(labels.size()))
            return index;
    } else {
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const QString label = QString::fromLatin1(labels[i]);
            if (label.left(label.indexOf(QStringLiteral(" - ("))).compare(Q(text), Qt::CaseInsensitive) == 0)
                return int(i);
        }
    }
    throw UsageError{QStringLiteral("--region: no region %1 (0 to 75 or a name such as Japan)").arg(Q(text))};
}

int ParseMode(const std::string& text) {
    const QString t = Q(text).toLower();
    if (t == QStringLiteral("infrastructure") || t == QStringLiteral("0"))
        return 0;
    if (t == QStringLiteral("adhoc") || t == QStringLiteral("ad-hoc") || t == QStringLiteral("1"))
        return 1;
    throw UsageError{QStringLiteral("--mode takes infrastructure or adhoc, not %1").arg(Q(text))};
}

// Position of name in list, ignoring case and allowing the short forms given.
int ListPosition(const QStringList& list, const std::string& name, const char* option,
                 const QStringList& shortForms = {}) {
    for (int i = 0; i < list.size(); ++i) {
        if (list[i].compare(Q(name), Qt::CaseInsensitive) == 0 ||
            (i < shortForms.size() && shortForms[i].compare(Q(name), Qt::CaseInsensitive) == 0))
            return i;
    }
    throw UsageError{QStringLiteral("%1 takes one of %2 here, not %3")
                         .arg(QLatin1String(option), list.join(QStringLiteral(", ")), Q(name))};
}

NetworkConfig BuildConfig(const ApplyOptions& o) {
    NetworkConfig config;
    config.dhcp = OnOff(o.dhcp, "--dhcp");
    config.ipAddress = ParseAddress(o.ip, "--ip");
    config.subnetMask = ParseAddress(o.mask, "--mask");
    config.gateway = ParseAddress(o.gateway, "--gateway");
    config.portText = Q(o.tcpPort);

    const QString interface = Q(o.interface.value_or(o.AnyWireless() ? "wireless" : "wired")).toLower();
    if (interface != QStringLiteral("wired") && interface != QStringLiteral("wireless"))
        throw UsageError{QStringLiteral("--interface takes wired or wireless, not %1").arg(interface)};
    config.interfaceIndex = interface == QStringLiteral("wired") ? 0 : 1;
    if (config.interfaceIndex == 0) {
        if (o.AnyWireless())
            throw UsageError{QStringLiteral("the wireless options need --interface wireless")};
        return config;
    }

    config.region = o.region ? ParseRegion(*o.region) : 0;
    config.mode = o.mode ? ParseMode(*o.mode) : 0;
    if (o.channel) {
        if (config.mode == 0)
            throw UsageError{QStringLiteral("--channel is only sent in --mode adhoc")};
        if (*o.channel < 1 || *o.channel > 14)
            throw UsageError{QStringLiteral("--channel takes 1 to 14")};
        config.channelIndex = *o.channel - 1;
    }
    if (o.ssid)
        config.ssid = Q(*o.ssid);

    const bool securityDetails = o.encryption || o.wepMode || o.key || o.keyFile;
    config.security = o.security ? OnOff(*o.security, "--security") : securityDetails;
    if (!config.security) {
        if (securityDetails)
            throw UsageError{QStringLiteral("--encryption, --wep-mode and --key need --security on")};
        return config;
    }
    if (o.encryption)
        config.encryptionIndex = ListPosition(EncryptionMethods(config.mode), *o.encryption, "--encryption");
    if (config.encryptionIndex == 0 && (o.wepMode || o.key || o.keyFile))
        throw UsageError{QStringLiteral("--wep-mode and --key need an --encryption other than NO")};
    if (o.wepMode) {
        config.wepModeIndex = ListPosition(WepModes(config.encryptionIndex), *o.wepMode, "--wep-mode",
                                           config.encryptionIndex < 2
                                               ? QStringList{QStringLiteral("open"), QStringLiteral("shared")}
                                               : QStringList{});
    }
    if (o.key)
        config.key = Q(*o.key);
    return config;
}

// Far more than any key; a larger file is not a key file.
constexpr qint64 kMaxKeyFileBytes = 4096;

// The key of --key-file: the file's text (standard input for "-") without its line end, so that
// "echo KEY > file" and a pipe give the key itself.
QString ReadKeyFile(const std::string& path) {
    QFile file;
    const bool standardInput = path == "-";
    const QString name = standardInput ? QStringLiteral("standard input") : Q(path);
    const bool opened = standardInput
                            ? file.open(STDIN_FILENO, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)
                            : (file.setFileName(Q(path)), file.open(QIODevice::ReadOnly));
    if (!opened)
        throw InputError{QStringLiteral("--key-file: cannot open %1: %2").arg(name, file.errorString())};
    QByteArray bytes = file.read(kMaxKeyFileBytes + 1);
    if (bytes.size() > kMaxKeyFileBytes)
        throw InputError{QStringLiteral("--key-file: %1 is larger than %2 bytes; it holds no key")
                             .arg(name)
                             .arg(kMaxKeyFileBytes)};
    if (file.error() != QFileDevice::NoError)
        throw InputError{QStringLiteral("--key-file: cannot read %1: %2").arg(name, file.errorString())};
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    if (bytes.contains('\n'))
        throw InputError{
            QStringLiteral("--key-file: %1 holds more than one line; a key is one line").arg(name)};
    return QString::fromUtf8(bytes);
}

QString ProblemText(NetworkConfigProblem problem) {
    switch (problem) {
    case NetworkConfigProblem::None:
        break;
    case NetworkConfigProblem::WepKeyLength:
        return QStringLiteral("a WEP key must be 5, 10, 13 or 26 characters long");
    case NetworkConfigProblem::WpaKeyLength:
        return QStringLiteral("a WPA pass phrase must be 8 to 64 characters long");
    case NetworkConfigProblem::SsidTooLong:
        return QStringLiteral("the SSID may be at most 99 bytes long");
    case NetworkConfigProblem::KeyTooLong:
        return QStringLiteral("the key is too long");
    case NetworkConfigProblem::PortOutOfRange:
        return QStringLiteral("--tcp-port takes a number from 0 to 65535");
    }
    return {};
}

int Send(CliContext& context, const std::vector<QByteArray>& frames) {
    return context.WithPort([&](const tagPORTINFO& port) {
        if (const int code = SendNetworkFrames(port, frames); code != 0)
            return context.PrinterFailure(code, {});
        context.out << "The network settings were sent. They take effect after the printer restarts."
                    << std::endl;
        return kExitOk;
    });
}

int Apply(CliContext& context, const ApplyOptions& given) {
    NetworkConfig config;
    try {
        ApplyOptions options = given;
        if (options.keyFile) {
            if (options.key)
                throw UsageError{QStringLiteral("give the key with --key or --key-file, not both")};
            options.key = ReadKeyFile(*options.keyFile).toStdString();
        }
        config = BuildConfig(options);
    } catch (const UsageError& e) {
        return context.Fail(kExitUsage, e.message);
    } catch (const InputError& e) {
        return context.Fail(kExitBadInput, e.message);
    }
    if (const NetworkConfigProblem problem = ValidateNetworkConfig(config);
        problem != NetworkConfigProblem::None)
        return context.Fail(kExitUsage, ProblemText(problem));
    return Send(context, NetworkApplyFrames(config));
}

} // namespace

void RegisterNetworkCommands(CLI::App& app, CliContext& context) {
    CLI::App* network = app.add_subcommand("network", "Configure the printer's network interface");
    network->require_subcommand(1);

    auto options = std::make_shared<ApplyOptions>();
    CLI::App* apply = network->add_subcommand(
        "apply", "Send the network settings (the printer takes them when it restarts); wireless options "
                 "imply --interface wireless");
    apply->add_option("--dhcp", options->dhcp, "on or off")->capture_default_str();
    apply->add_option("--ip", options->ip, "Static IPv4 address")->capture_default_str();
    apply->add_option("--mask", options->mask, "Subnet mask")->capture_default_str();
    apply->add_option("--gateway", options->gateway, "Default gateway")->capture_default_str();
    apply->add_option("--tcp-port", options->tcpPort, "Raw printing TCP port, 0 to 65535 (empty: not sent)")
        ->capture_default_str();
    apply->add_option("--interface", options->interface, "wired or wireless");
    apply->add_option("--region", options->region, "Region: index 0 to 75 or name (default 0)");
    apply->add_option("--mode", options->mode, "infrastructure or adhoc (default infrastructure)");
    apply->add_option("--channel", options->channel, "Radio channel 1 to 14 (ad hoc only)");
    apply->add_option("--ssid", options->ssid, "Network name (default defaultSSID)");
    apply->add_option("--security", options->security, "on or off (on when --encryption is given)");
    apply->add_option("--encryption", options->encryption,
                      "NO, WEP, WPA-PSK, WPA2-PSK (infrastructure) or NO, WEP, WPANONE (ad hoc)");
    apply->add_option("--wep-mode", options->wepMode, "open or shared (WEP); TKIP or AES (WPA)");
    apply->add_option(
        "--key", options->key,
        "WEP key or WPA pass phrase (visible to other users in the process list: prefer --key-file)");
    apply
        ->add_option("--key-file", options->keyFile,
                     "Read the key from this file, - for standard input (one line; its line end is dropped)")
        ->type_name("FILE");
    apply->callback(
        [&context, options] { context.action = [&context, options] { return Apply(context, *options); }; });

    auto wired = std::make_shared<bool>(false);
    CLI::App* factory =
        network->add_subcommand("factory", "Return the printer's network settings to factory defaults");
    factory->add_flag("--wired", *wired, "The printer has the wired interface only");
    factory->callback([&context, wired] {
        context.action = [&context, wired] { return Send(context, NetworkFactoryFrames(*wired ? 0 : 1)); };
    });
}

} // namespace quillory::cli
