#pragma once

#include "port/Communication.h"
#include "port/backends/NetworkSearch.h" // kSearchTargetsVariable

#include <QByteArray>
#include <QList>
#include <QSerialPort>
#include <QString>
#include <QStringList>

#include <memory>
#include <variant>

namespace quillory {

// One backend per port kind, chosen from tagPORTINFO::portType by CreateBackend.
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeSerialBackend();
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeParallelBackend();
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeUsbClassBackend();
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeUsbApiBackend();
// DRIVER: Open starts one raw job, Write appends, Close hands the job to the queue and throws
// (code 3) when that fails. A job whose stream failed or that received nothing is cancelled.
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeDriverBackend();
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeNetBackend();
// A connection for a description of no known kind: Open fails with code 2.
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeInvalidBackend();

// Enumerations behind EnumUsbClass, CountUsbApi and SearchNet. They throw CommunicationException.
[[nodiscard]] QStringList EnumerateUsbClassPrinters();
[[nodiscard]] int CountUsbApiPrinters();

// Writes names, each ended by "@", into a zeroed buffer; names that would not fit whole are left
// out. Returns the number of names written.
int FillAtList(char* buffer, int capacity, const QStringList& names);

// Environment overrides, so that tests can stand in a fake device tree or loopback peers.
inline constexpr char kSysfsRootVariable[] = "QUILLORY_SYSFS_ROOT"; // default /sys
inline constexpr char kDevRootVariable[] = "QUILLORY_DEV_ROOT";     // default /dev (USB-class nodes)

// --- serial (COM) ---

// Device path of a serial port name: "COMn" gives /dev/ttyS(n-1), an absolute path stands as it
// is, any other name is taken below /dev ("ttyUSB0", "pts/3"). Empty for a name that cannot be
// a device (empty, "COM0", a ".." component).
[[nodiscard]] QString SerialDevicePath(const QString& name);

struct SerialLineSettings {
    qint32 baudRate = 9600;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::FlowControl flowControl = QSerialPort::NoFlowControl;
};
// The line settings of a description (stop bits 0/1/2 = 1/1.5/2; parity 0..4 = none, odd, even,
// mark, space; flow 0..2 = none, RTS/CTS, XON/XOFF; data bits 5..8), or why they cannot be used
// on this system.
[[nodiscard]] std::variant<SerialLineSettings, QString> SerialLineSettingsOf(const tagPORTINFO& info);

// Serial ports the system reports, named as a description's comName needs them ("ttyS0").
[[nodiscard]] QStringList SystemSerialPortNames();

// --- parallel (LPT) ---

// "LPTn" gives /dev/lp(n-1); otherwise as SerialDevicePath.
[[nodiscard]] QString ParallelDevicePath(const QString& name);

// --- USB class (kernel usblp) ---

// The value of one field ("MDL") of an IEEE-1284 device id ("MFG:X;MDL:Y;..."); empty if absent.
[[nodiscard]] QString Ieee1284Field(const QByteArray& deviceId, const QString& key);

// --- driver (print queues) ---

// Local print queues whose make-and-model begins with "KMT-", in the order the print service
// lists them. Throws CommunicationException (code 4 when the print service cannot be reached).
[[nodiscard]] QStringList ListDriverPrinters();

} // namespace quillory
