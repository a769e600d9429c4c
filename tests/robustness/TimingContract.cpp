#include "TimingContract.h"

#include "port/Communication.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QThread>

namespace quillory::test {

void FillDistinctImage(sim::VirtualPrinter& printer, int seed) {
    const int words = printer.InstructionIndex() == 3 ? 126 : 256;
    std::uint32_t state = std::uint32_t(seed) * 2654435761u + 1u;
    for (int address = 0; address < words; ++address) {
        state = state * 1664525u + 1013904223u;
        printer.SetEepromWord(address, std::uint16_t(state >> 16));
    }
}

namespace {

// The bytes the printer received for one operation, once the line has been quiet for a while
// (an operation's last writes may still be on their way when it returns).
QByteArray SettledLog(sim::VirtualPrinter& printer) {
    qsizetype size = -1;
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 300) {
        const qsizetype now = printer.ReceivedBytes().size();
        if (now != size) {
            size = now;
            quiet.restart();
        }
        QThread::msleep(20);
    }
    return printer.ReceivedBytes();
}

} // namespace

Reading ReadEverything(int language, const tagPORTINFO& port, sim::VirtualPrinter& printer) {
    Reading r;
    const auto noteFailure = [&r](const char* what, int code) {
        if (code != 0)
            r.failures << QStringLiteral("%1: %2").arg(QLatin1String(what), LastCommunicationFailure());
        return code;
    };
    std::unique_ptr<CInstructionProtocol> object = MakeInstruction(language);
    r.settingsCode = noteFailure("ReadSettings", object->ReadSettings(port));
    r.settings = SettingsFields(object->GetSettingsRecord());
    r.backupCode = noteFailure("BackupEeprom", object->BackupEeprom(port));
    r.image = object->GetEepromImage();
    r.backupFile = ReadFileBytes(object->BackupFilePath());
    if (language != 3) {
        try {
            r.network = object->ReadNetworkSettings(port);
            r.networkCode = 0;
        } catch (const CommunicationException& e) {
            r.networkCode = e.GetErrorCode();
            r.failures << QStringLiteral("ReadNetworkSettings: ") + e.Detail();
        }
    } else {
        SettledLog(printer);
        printer.ClearLog();
        r.fontListCode = noteFailure("PrintFontList", object->PrintFontList(port));
        r.fontLabel = SettledLog(printer);
        printer.ClearLog();
        r.graphicListCode = noteFailure("PrintGraphicList", object->PrintGraphicList(port));
        r.graphicLabel = SettledLog(printer);
    }
    return r;
}

QString Difference(const Reading& expected, const Reading& actual) {
    QStringList out;
    const auto code = [&](const char* what, int e, int a) {
        if (e != a)
            out << QStringLiteral("%1 code %2, expected %3").arg(QLatin1String(what)).arg(a).arg(e);
    };
    code("ReadSettings", expected.settingsCode, actual.settingsCode);
    code("BackupEeprom", expected.backupCode, actual.backupCode);
    code("ReadNetworkSettings", expected.networkCode, actual.networkCode);
    code("PrintFontList", expected.fontListCode, actual.fontListCode);
    code("PrintGraphicList", expected.graphicListCode, actual.graphicListCode);
    if (!out.isEmpty() && !actual.failures.isEmpty())
        out << QStringLiteral("failures: ") + actual.failures.join(QStringLiteral(" / "));
    for (std::size_t i = 0; i < expected.settings.size() && i < actual.settings.size(); ++i) {
        if (expected.settings[i].second != actual.settings[i].second)
            out << QStringLiteral("%1 = %2, expected %3")
                       .arg(expected.settings[i].first, actual.settings[i].second.toString(),
                            expected.settings[i].second.toString());
    }
    for (std::size_t i = 0; i < expected.image.size() && i < actual.image.size(); ++i) {
        if (expected.image[i] != actual.image[i])
            out << QStringLiteral("word %1 = %2, expected %3")
                       .arg(i, 2, 16)
                       .arg(actual.image[i])
                       .arg(expected.image[i]);
    }
    if (expected.backupFile != actual.backupFile)
        out << QStringLiteral("the backup files differ");
    if (expected.network.ipAddress != actual.network.ipAddress ||
        expected.network.subnetMask != actual.network.subnetMask ||
        expected.network.gateway != actual.network.gateway || expected.network.port != actual.network.port)
        out << QStringLiteral("the network settings differ");
    if (expected.fontLabel != actual.fontLabel)
        out << QStringLiteral("the font list label differs");
    if (expected.graphicLabel != actual.graphicLabel)
        out << QStringLiteral("the graphic list label differs");
    return out.join(QStringLiteral("; "));
}

tagPORTINFO TcpPort(std::uint16_t port) {
    tagPORTINFO info = MakePortInfo(PORT_NET);
    SetPortText(info.netAddress, QStringLiteral("127.0.0.1"));
    info.netPort = port;
    return info;
}

tagPORTINFO SerialLine(const QString& device, int baud) {
    tagPORTINFO info = MakePortInfo(PORT_COM);
    SetPortText(info.comName, device);
    info.baudRate = baud;
    info.dataBits = 8;
    return info;
}

TimingScope::TimingScope(const PortTiming& timing) {
    SetPortTimingSource([timing] { return timing; });
}

TimingScope::~TimingScope() {
    SetPortTimingSource({});
}

} // namespace quillory::test
