#include "app/ui/DemoMode.h"

#include "app/AppSettings.h"
#include "sim/VirtualPrinter.h"

namespace quillory {
namespace {
constexpr int kDemoLatencyMs = 20;
constexpr int kDemoJitterMs = 10;
} // namespace

CDemoMode::CDemoMode() = default;

CDemoMode::~CDemoMode() {
    if (m_printer)
        m_printer->Stop();
}

bool CDemoMode::Start(QString* error) {
    if (!m_folder.isValid()) {
        *error = QStringLiteral("cannot create a temporary folder for the demo settings");
        return false;
    }
    // Everything the program stores goes to the private folder for this run.
    qputenv("XDG_CONFIG_HOME", m_folder.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_folder.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("QUILLORY_EEPBAK_DIR", m_folder.filePath(QStringLiteral("EEPbak")).toLocal8Bit());

    m_printer = std::make_unique<sim::VirtualPrinter>(INSTRUCTION_VKLZ);
    // A real printer takes a moment to answer; the demo does too, so that the desktop always
    // meets real timing and never relies on instant replies.
    sim::Faults timing;
    timing.latencyMs = kDemoLatencyMs;
    timing.jitterMs = kDemoJitterMs;
    m_printer->SetFaults(timing);
    m_printer->AttachEepromFile(m_folder.filePath(QStringLiteral("printer-eeprom.eep")));
    if (!m_printer->StartTcp(0)) {
        *error = QStringLiteral("cannot start the demo printer on a loopback port");
        return false;
    }
    m_port = m_printer->TcpPort();
    if (const std::uint16_t search = m_printer->StartSearchResponder(0))
        qputenv("QUILLORY_SEARCH_TARGETS", QByteArrayLiteral("127.0.0.1:") + QByteArray::number(search));

    InitUserSettings();
    WriteWizard(0);
    WriteInstruction(INSTRUCTION_VKLZ);
    tagPORTINFO port = ReadPortInfo();
    port.portType = PORT_NET;
    SetPortText(port.netAddress, QStringLiteral("127.0.0.1"));
    port.netPort = m_port;
    WritePortInfo(port);
    return true;
}

} // namespace quillory
