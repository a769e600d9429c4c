#include "port/PortAbilities.h"

#include "app/LanguageTexts.h"

namespace quillory {

bool PortCanRead(const tagPORTINFO& port) {
    return port.portType != PORT_LPT && port.portType != PORT_DRIVER;
}

QString PortAddressText(const tagPORTINFO& port) {
    switch (port.portType) {
    case PORT_COM:
        return QStringLiteral("com:") + SerialPortName(port);
    case PORT_LPT:
        return QStringLiteral("lpt:") + PortText(port.lptName);
    case PORT_USBCLASS:
        return QStringLiteral("usb:") + PortText(port.usbClassName);
    case PORT_USBAPI:
        return QStringLiteral("usbapi:%1").arg(qint64(port.usbApiId) + 1);
    case PORT_DRIVER:
        return QStringLiteral("driver:") + PortText(port.driverName);
    case PORT_NET:
        return QStringLiteral("net:%1:%2").arg(PortText(port.netAddress)).arg(port.netPort);
    default:
        return QStringLiteral("port type %1").arg(port.portType);
    }
}

QString PortCannotReadText(const tagPORTINFO& port, int languageIndex) {
    return FormatMessageText("PortCannotRead", languageIndex, {PortAddressText(port)});
}

} // namespace quillory
