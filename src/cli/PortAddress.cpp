#include "cli/PortAddress.h"

#include "port/LineSettings.h"

#include <QStringList>

#include <array>

namespace quillory::cli {
namespace {

// Fields hold one character less than their size: the terminating NUL.
constexpr qsizetype kShortNameChars = 19;
constexpr qsizetype kLongNameChars = 259;

ParsedPortAddress Error(const QString& why) {
    return {std::nullopt, why};
}

// Plain decimal digits only: no sign, no blanks.
std::optional<int> Decimal(QStringView text) {
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

std::optional<QString> Name(QStringView text, qsizetype maxChars, const char* what, QString* error) {
    if (text.trimmed().isEmpty()) {
        *error = QStringLiteral("the %1 is missing").arg(QLatin1String(what));
        return std::nullopt;
    }
    if (text.size() > maxChars) {
        *error = QStringLiteral("the %1 is longer than %2 characters").arg(QLatin1String(what)).arg(maxChars);
        return std::nullopt;
    }
    return text.toString();
}

ParsedPortAddress Net(QStringView rest) {
    const qsizetype colon = rest.lastIndexOf(u':');
    if (colon < 0)
        return Error(QStringLiteral("net needs HOST:PORT"));
    QStringView host = rest.first(colon);
    if (host.size() >= 2 && host.startsWith(u'[') && host.endsWith(u']'))
        host = host.sliced(1, host.size() - 2);
    const auto port = Decimal(rest.sliced(colon + 1));
    if (!port || *port < 1 || *port > 65535)
        return Error(QStringLiteral("the TCP port must be a number from 1 to 65535"));
    QString error;
    const auto name = Name(host, kLongNameChars, "host", &error);
    if (!name)
        return Error(error);
    if (name->contains(u' '))
        return Error(QStringLiteral("the host must not contain blanks"));
    tagPORTINFO info = MakePortInfo(PORT_NET);
    SetPortText(info.netAddress, *name);
    info.netPort = *port;
    return {info, {}};
}

ParsedPortAddress Com(QStringView rest) {
    QList<QStringView> parts = rest.split(u':');
    // A path may hold colons itself (/dev/serial/by-path/pci-0000:00:14.0-...): of a path, only
    // the numbers at the end are line settings.
    if (rest.startsWith(u'/')) {
        qsizetype numbers = 0;
        while (numbers < qsizetype(kLineSettings.size()) && numbers + 1 < parts.size() &&
               Decimal(parts[parts.size() - 1 - numbers]))
            ++numbers;
        const qsizetype nameParts = parts.size() - numbers;
        const QStringView name =
            rest.first(parts[nameParts - 1].data() + parts[nameParts - 1].size() - rest.data());
        parts = parts.sliced(nameParts);
        parts.prepend(name);
    }
    if (parts.size() > 1 + qsizetype(kLineSettings.size()))
        return Error(QStringLiteral("com takes at most NAME:BAUD:BITS:STOP:PARITY:FLOW"));
    QString error;
    const auto name = Name(parts[0], kMaxSerialNameChars, "serial port name", &error);
    if (!name)
        return Error(error);
    tagPORTINFO info = MakePortInfo(PORT_COM);
    SetSerialPortName(info, *name);
    SetNewPortLineSettings(info);
    for (std::size_t i = 0; i < kLineSettings.size() && qsizetype(i) + 1 < parts.size(); ++i) {
        const LineSettingRow& field = kLineSettings[i];
        const auto value = Decimal(parts[qsizetype(i) + 1]);
        if (!value || *value < field.minimum || *value > field.maximum)
            return Error(QStringLiteral("the %1 must be a number from %2 to %3, not \"%4\"")
                             .arg(QLatin1String(field.name))
                             .arg(field.minimum)
                             .arg(field.maximum)
                             .arg(parts[qsizetype(i) + 1]));
        info.*field.field = *value;
    }
    return {info, {}};
}

} // namespace

ParsedPortAddress ParsePortAddress(QStringView text) {
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0)
        return Error(QStringLiteral("a port is KIND:..., KIND one of net, com, lpt, usb, usbapi, driver"));
    const QString kind = text.first(colon).toString().toLower();
    const QStringView rest = text.sliced(colon + 1);
    QString error;
    if (kind == u"net")
        return Net(rest);
    if (kind == u"com")
        return Com(rest);
    if (kind == u"lpt" || kind == u"usb" || kind == u"driver") {
        const bool lpt = kind == u"lpt";
        const auto name = Name(rest, lpt ? kShortNameChars : kLongNameChars,
                               lpt              ? "parallel port name"
                               : kind == u"usb" ? "printer name"
                                                : "queue name",
                               &error);
        if (!name)
            return Error(error);
        tagPORTINFO info = MakePortInfo(lpt ? PORT_LPT : kind == u"usb" ? PORT_USBCLASS : PORT_DRIVER);
        if (lpt)
            SetPortText(info.lptName, *name);
        else if (kind == u"usb")
            SetPortText(info.usbClassName, *name);
        else
            SetPortText(info.driverName, *name);
        return {info, {}};
    }
    if (kind == u"usbapi") {
        const auto number = Decimal(rest);
        if (!number || *number < 1)
            return Error(QStringLiteral("usbapi takes the printer's number from \"usb list\", 1 or more"));
        tagPORTINFO info = MakePortInfo(PORT_USBAPI);
        info.usbApiId = *number - 1;
        return {info, {}};
    }
    return Error(QStringLiteral("unknown port kind \"%1\" (net, com, lpt, usb, usbapi, driver)").arg(kind));
}

} // namespace quillory::cli
