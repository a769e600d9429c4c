#pragma once

#include "port/Communication.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace quillory {

// One backend per port kind, chosen from tagPORTINFO::portType by CreateBackend.
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeSerialBackend();
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeParallelBackend();
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeUsbClassBackend();
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeUsbApiBackend();
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeDriverBackend();
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeNetBackend();
// A connection for a description of no known kind: Open fails with code 2.
[[nodiscard]] std::unique_ptr<CCommunicationProtocol> MakeInvalidBackend();

// Enumerations behind EnumUsbClass, CountUsbApi and SearchNet. They throw CommunicationException.
[[nodiscard]] QStringList EnumerateUsbClassPrinters();
[[nodiscard]] int CountUsbApiPrinters();
[[nodiscard]] QStringList SearchNetworkPrinters(int mode);

// Writes names, each ended by "@", into a zeroed buffer; names that would not fit whole are left
// out. Returns the number of names written.
int FillAtList(char* buffer, int capacity, const QStringList& names);

} // namespace quillory
