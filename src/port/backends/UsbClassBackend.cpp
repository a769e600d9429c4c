#include "port/backends/Backends.h"
#include "port/backends/FdPort.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace quillory {
namespace {

// An IEEE-1284 device id is at most a few hundred bytes; anything longer is cut here.
constexpr qint64 kMaxDeviceIdBytes = 4096;

QString RootFromEnvironment(const char* variable, const QString& fallback) {
    const QString root = qEnvironmentVariable(variable);
    return root.isEmpty() ? fallback : root;
}

struct UsbClassPrinter {
    QString model;
    QString node; // device node path, e.g. /dev/usb/lp0
};

// Printers bound to the kernel's usblp driver, in the order of their minor numbers.
QList<UsbClassPrinter> ScanUsbClassPrinters() {
    const QString sysfs = RootFromEnvironment(kSysfsRootVariable, QStringLiteral("/sys"));
    const QString dev = RootFromEnvironment(kDevRootVariable, QStringLiteral("/dev"));
    QDir classDir(sysfs + QStringLiteral("/class/usbmisc"));
    QStringList entries =
        classDir.entryList({QStringLiteral("lp*")}, QDir::Dirs | QDir::System | QDir::NoDotAndDotDot);
    // lp2 before lp10: by minor number.
    const auto minor = [](const QString& entry) { return entry.mid(2).toUInt(); };
    std::sort(entries.begin(), entries.end(), [&](const QString& a, const QString& b) {
        return minor(a) != minor(b) ? minor(a) < minor(b) : a < b;
    });

    QList<UsbClassPrinter> printers;
    for (const QString& entry : entries) {
        QFile idFile(classDir.filePath(entry + QStringLiteral("/device/ieee1284_id")));
        if (!idFile.open(QIODevice::ReadOnly))
            continue;
        const QByteArray deviceId = idFile.read(kMaxDeviceIdBytes);
        QString model = Ieee1284Field(deviceId, QStringLiteral("MDL"));
        if (model.isEmpty()) // the long form of the key, which some printers use
            model = Ieee1284Field(deviceId, QStringLiteral("MODEL"));
        if (!model.isEmpty())
            printers.append({model, dev + QStringLiteral("/usb/") + entry});
    }
    return printers;
}

class UsbClassBackend final : public CFdStreamPort {
public:
    void Open(tagPORTINFO info) override {
        const QString model = PortText(info.usbClassName);
        if (model.isEmpty())
            throw CommunicationException(COMM_BAD_PARAMETER, QStringLiteral("no USB printer name"));
        const QList<UsbClassPrinter> printers = ScanUsbClassPrinters();
        const auto found =
            std::find_if(printers.begin(), printers.end(),
                         [&](const UsbClassPrinter& printer) { return printer.model == model; });
        if (found == printers.end())
            throw CommunicationException(COMM_OPEN_FAILED,
                                         QStringLiteral("no USB printer \"%1\" is connected").arg(model));
        OpenPath(found->node, O_RDWR);
    }
};

} // namespace

QString Ieee1284Field(const QByteArray& deviceId, const QString& key) {
    // Fields are "KEY:value;" pairs; the text is ASCII in practice, Latin-1 keeps any byte readable.
    const QString text = QString::fromLatin1(deviceId);
    for (const QString& field : text.split(QLatin1Char(';'))) {
        const qsizetype colon = field.indexOf(QLatin1Char(':'));
        if (colon > 0 && field.left(colon).trimmed() == key)
            return field.mid(colon + 1).trimmed();
    }
    return {};
}

QStringList EnumerateUsbClassPrinters() {
    QStringList names;
    for (const UsbClassPrinter& printer : ScanUsbClassPrinters())
        names << printer.model;
    return names;
}

std::unique_ptr<CCommunicationProtocol> MakeUsbClassBackend() {
    return std::make_unique<UsbClassBackend>();
}

} // namespace quillory
