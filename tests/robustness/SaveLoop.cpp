// Saves one kind of file over and over, alternating two versions, until it is killed:
//   save-loop settings|eeprom|config FOLDER
// The settings and EEPROM files go to FOLDER/target; the configuration is the user settings file.
#include "app/AppSettings.h"
#include "instruction/VKLZInstruction.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

using namespace quillory;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 64;
    const QString kind = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString target = folder + QStringLiteral("/target");
    CVKLZInstruction vklz;
    for (unsigned round = 0;; ++round) {
        const bool second = round % 2;
        if (kind == QLatin1String("settings")) {
            VKLZSettings s;
            s.PaperWidth = second ? 222 : 111;
            vklz.SetSettings(s);
            if (!vklz.SaveSettingsFile(target))
                return 1;
        } else if (kind == QLatin1String("eeprom")) {
            if (!vklz.LoadEepromFile(folder +
                                     (second ? QStringLiteral("/b.eep") : QStringLiteral("/a.eep"))) ||
                !vklz.SaveEepromFile(target))
                return 1;
        } else {
            tagPORTINFO port = ReadPortInfo();
            port.portType = PORT_NET;
            SetPortText(port.netAddress, second ? QStringLiteral("127.0.0.2") : QStringLiteral("127.0.0.1"));
            WritePortInfo(port);
        }
    }
}
