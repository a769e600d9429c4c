#include "port/StreamPort.h"
#include "port/backends/Backends.h"
#include "port/backends/FdPort.h"

#include <QSerialPortInfo>

#include <unistd.h>

namespace quillory {
namespace {

// List positions of the port screens mapped to line settings. A row marked unsupported is a
// setting the serial driver of this system cannot do; it is refused rather than replaced.
struct StopBitsRow {
    int choice;
    QSerialPort::StopBits value;
    bool supported;
    const char* text;
};
constexpr StopBitsRow kStopBits[] = {
    {0, QSerialPort::OneStop, true, "1"},
    {1, QSerialPort::OneAndHalfStop, false, "1.5"},
    {2, QSerialPort::TwoStop, true, "2"},
};

struct ParityRow {
    int choice;
    QSerialPort::Parity value;
};
constexpr ParityRow kParities[] = {
    {0, QSerialPort::NoParity},   {1, QSerialPort::OddParity},   {2, QSerialPort::EvenParity},
    {3, QSerialPort::MarkParity}, {4, QSerialPort::SpaceParity},
};

struct FlowRow {
    int choice;
    QSerialPort::FlowControl value;
};
constexpr FlowRow kFlows[] = {
    {0, QSerialPort::NoFlowControl},
    {1, QSerialPort::HardwareControl},
    {2, QSerialPort::SoftwareControl},
};

struct SerialErrorRow {
    QSerialPort::SerialPortError error;
    tagCOMMUNICATIONEXCEPTION code;
};
// Anything else while open is an open failure, anything else later a communication failure.
constexpr SerialErrorRow kOpenErrors[] = {
    {QSerialPort::DeviceNotFoundError, COMM_OPEN_FAILED},
    {QSerialPort::PermissionError, COMM_ACCESS_DENIED},
    {QSerialPort::OpenError, COMM_OPEN_FAILED},
    {QSerialPort::UnsupportedOperationError, COMM_BAD_PARAMETER},
};

template <typename Row, std::size_t N>
const Row* FindChoice(const Row (&rows)[N], int choice) {
    for (const Row& row : rows) {
        if (row.choice == choice)
            return &row;
    }
    return nullptr;
}

// QSerialPort keeps what it takes in its own queue; this much is enough to keep any line busy
// between two waits, and bounds what a write holds in memory.
constexpr qint64 kSerialQueueBytes = 16 * 1024;
// Bytes the port reads ahead on its own (while a write waits); beyond it the line's flow control
// holds the printer.
constexpr qint64 kSerialReadBuffer = 64 * 1024;

class SerialBackend final : public CStreamPort {
public:
    ~SerialBackend() override { Close(); }

    void Open(tagPORTINFO info) override {
        const QString name = SerialPortName(info);
        const QString path = SerialDevicePath(name);
        if (path.isEmpty())
            throw CommunicationException(COMM_BAD_PARAMETER,
                                         QStringLiteral("\"%1\" is not a serial port name").arg(name));
        const auto settings = SerialLineSettingsOf(info);
        if (const QString* why = std::get_if<QString>(&settings))
            throw CommunicationException(COMM_BAD_PARAMETER, QStringLiteral("%1: %2").arg(path, *why));
        Close();
        m_path = path;
        m_port.setPortName(path);
        m_port.clearError();
        m_port.setReadBufferSize(kSerialReadBuffer);
        if (!m_port.open(QIODevice::ReadWrite)) {
            const tagCOMMUNICATIONEXCEPTION code = OpenErrorCode(path);
            QString why = m_port.errorString();
            if (code == COMM_ACCESS_DENIED) {
                if (const QString hint = AccessHint(path); !hint.isEmpty())
                    why += QStringLiteral(", ") + hint;
            }
            throw CommunicationException(code, QStringLiteral("%1: %2").arg(path, why));
        }
        const SerialLineSettings& line = std::get<SerialLineSettings>(settings);
        Apply(line, path);
        const bool parity = line.parity != QSerialPort::NoParity;
        const double stop = line.stopBits == QSerialPort::TwoStop ? 2.0 : 1.0;
        m_lineGapMs = SerialGapMs(line.baudRate, int(line.dataBits), parity, stop);
    }

    void Close() override {
        if (m_port.isOpen())
            m_port.close();
        ResetStream();
    }

protected:
    qint64 ReceiveSome(std::uint8_t* into, qint64 max, int waitMs) override {
        m_port.clearError();
        if (m_port.bytesAvailable() == 0 && !m_port.waitForReadyRead(waitMs)) {
            ThrowIfBroken();
            return 0;
        }
        const qint64 n = m_port.read(reinterpret_cast<char*>(into), max);
        if (n < 0)
            throw CommunicationException(COMM_FAILED,
                                         QStringLiteral("%1: %2").arg(m_path, m_port.errorString()));
        return n;
    }

    qint64 SendSome(const std::uint8_t* data, qint64 length, int waitMs) override {
        m_port.clearError();
        const qint64 room = kSerialQueueBytes - m_port.bytesToWrite();
        if (room > 0) {
            const qint64 n = m_port.write(reinterpret_cast<const char*>(data), std::min(length, room));
            if (n < 0)
                throw CommunicationException(COMM_FAILED,
                                             QStringLiteral("%1: %2").arg(m_path, m_port.errorString()));
            if (n > 0)
                return n;
        }
        WaitForQueuedOutput(waitMs);
        return 0;
    }

    [[nodiscard]] qint64 QueuedOutput() const override { return m_port.bytesToWrite(); }

    void WaitForQueuedOutput(int waitMs) override {
        if (m_port.bytesToWrite() > 0 && !m_port.waitForBytesWritten(waitMs))
            ThrowIfBroken();
    }

    [[nodiscard]] int LineGapMs() const override { return m_lineGapMs; }
    [[nodiscard]] QString Describe() const override { return m_path; }

    void RequireOpen() const override {
        if (!m_port.isOpen())
            throw CommunicationException(COMM_FAILED, QStringLiteral("the serial port is not open"));
    }

private:
    void Apply(const SerialLineSettings& settings, const QString& path) {
        const bool applied = m_port.setBaudRate(settings.baudRate) && m_port.setDataBits(settings.dataBits) &&
                             m_port.setParity(settings.parity) && m_port.setStopBits(settings.stopBits) &&
                             m_port.setFlowControl(settings.flowControl);
        if (!applied) {
            const QString why = m_port.errorString();
            m_port.close();
            throw CommunicationException(COMM_BAD_PARAMETER,
                                         QStringLiteral("%1: line settings refused: %2").arg(path, why));
        }
    }

    // QSerialPort reports a busy device as a permission error; tell the two apart.
    tagCOMMUNICATIONEXCEPTION OpenErrorCode(const QString& path) const {
        for (const SerialErrorRow& row : kOpenErrors) {
            if (row.error != m_port.error())
                continue;
            if (row.code == COMM_ACCESS_DENIED && ::access(path.toLocal8Bit().constData(), R_OK | W_OK) == 0)
                return COMM_OPEN_FAILED;
            return row.code;
        }
        return COMM_OPEN_FAILED;
    }

    void ThrowIfBroken() {
        const QSerialPort::SerialPortError error = m_port.error();
        if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
            throw CommunicationException(COMM_FAILED,
                                         QStringLiteral("%1: %2").arg(m_path, m_port.errorString()));
    }

    QSerialPort m_port;
    QString m_path;
    int m_lineGapMs = 0;
};

} // namespace

QString SerialDevicePath(const QString& name) {
    return MapPortName(name, QStringLiteral("COM"), QStringLiteral("/dev/ttyS"));
}

std::variant<SerialLineSettings, QString> SerialLineSettingsOf(const tagPORTINFO& info) {
    SerialLineSettings settings;
    if (info.baudRate <= 0)
        return QStringLiteral("baud rate %1 is not possible").arg(info.baudRate);
    settings.baudRate = info.baudRate;
    if (info.dataBits < 5 || info.dataBits > 8)
        return QStringLiteral("%1 data bits are not possible").arg(info.dataBits);
    settings.dataBits = QSerialPort::DataBits(info.dataBits);
    const StopBitsRow* stop = FindChoice(kStopBits, info.stopBits);
    if (!stop)
        return QStringLiteral("stop-bit choice %1 is not known").arg(info.stopBits);
    if (!stop->supported)
        return QStringLiteral("%1 stop bits are not supported by this system").arg(QLatin1String(stop->text));
    settings.stopBits = stop->value;
    const ParityRow* parity = FindChoice(kParities, info.parity);
    if (!parity)
        return QStringLiteral("parity choice %1 is not known").arg(info.parity);
    settings.parity = parity->value;
    const FlowRow* flow = FindChoice(kFlows, info.flowControl);
    if (!flow)
        return QStringLiteral("flow-control choice %1 is not known").arg(info.flowControl);
    settings.flowControl = flow->value;
    return settings;
}

QStringList SystemSerialPortNames() {
    QStringList names;
    const QString dev = QStringLiteral("/dev/");
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        const QString location = port.systemLocation();
        names << (location.startsWith(dev) ? location.mid(dev.size()) : location);
    }
    return names;
}

std::unique_ptr<CCommunicationProtocol> MakeSerialBackend() {
    return std::make_unique<SerialBackend>();
}

} // namespace quillory
