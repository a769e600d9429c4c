#include "cli/PortAddress.h"

#include <QStringList>

#include <array>

namespace quillory::cli {
namespace {

// Fields hold one character less than their size: the terminating NUL.
constexpr qsizetype kShortNameChars = 19;
constexpr qsizetype kLongNameChars = 259;

struct SerialField {
    const char* name;
    int defaultValue;
    int minimum;
    int maximum;
};

// BAUD, BITS, STOP, PARITY and FLOW in their order; the defaults are those of a first run.
constexpr std::array<SerialField, 5> kSerialFields = {{
    {"baud rate", 9600, 1, 4000000},
    {"data bits", 8, 5, 8},
    {"stop bits", 0, 0, 2},
    {"parity", 0, 0, 4},
    {"flow control", 1, 0, 2},
}};

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
    const QList<QStringView> parts = rest.split(u':');
    if (parts.size() > 1 + qsizetype(kSerialFields.size()))
        return Error(QStringLiteral("com takes at most NAME:BAUD:BITS:STOP:PARITY:FLOW"));
    QString error;
    const auto name = Name(parts[0], kShortNameChars, "serial port name", &error);
    if (!name)
        return Error(error);
    std::array<int, 5> values{};
    for (std::size_t i = 0; i < kSerialFields.size(); ++i) {
        const SerialField& field = kSerialFields[i];
        if (qsizetype(i) + 1 >= parts.size()) {
            values[i] = field.defaultValue;
            continue;
        }
        const auto value = Decimal(parts[qsizetype(i) + 1]);
        if (!value || *value < field.minimum || *value > field.maximum)
            return Error(QStringLiteral("the %1 must be a number from %2 to %3")
                             .arg(QLatin1String(field.name))
                             .arg(field.minimum)
                             .arg(field.maximum));
        values[i] = *value;
    }
    tagPORTINFO info = MakePortInfo(PORT_COM);
    SetPortText(info.comName, *name);
    info.baudRate = values[0];
    info.dataBits = values[1];
    info.stopBits = values[2];
    info.parity = values[3];
    info.flowControl = values[4];
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
