#include "port/PortInfo.h"

#include "app/NumberText.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace quillory {

tagPORTINFO MakePortInfo(std::int32_t portType) {
    tagPORTINFO info;
    std::memset(&info, 0, sizeof info);
    info.portType = portType;
    return info;
}

void SetPortText(char16_t* field, std::size_t capacity, const QString& text) {
    if (capacity == 0)
        return;
    std::size_t length = std::min<std::size_t>(std::size_t(text.size()), capacity - 1);
    if (length > 0 && length < std::size_t(text.size()) &&
        QChar::isHighSurrogate(text.at(length - 1).unicode()))
        --length;
    std::fill(field, field + capacity, u'\0');
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), length, field);
}

QString PortText(const char16_t* field, std::size_t capacity) {
    const char16_t* end = std::find(field, field + capacity, u'\0');
    return QString::fromUtf16(field, end - field);
}

namespace {
constexpr std::array<std::int32_t, 6> kFileTypeToCode{PORT_COM,    PORT_LPT, PORT_USBCLASS,
                                                      PORT_USBAPI, PORT_NET, PORT_DRIVER};
} // namespace

std::int32_t PortTypeFromFileType(int fileType) {
    if (fileType < 0 || fileType >= int(kFileTypeToCode.size()))
        return 0;
    return kFileTypeToCode[std::size_t(fileType)];
}

int FileTypeFromPortType(std::int32_t portType) {
    const auto it = std::find(kFileTypeToCode.begin(), kFileTypeToCode.end(), portType);
    return it == kFileTypeToCode.end() ? -1 : int(it - kFileTypeToCode.begin());
}

QString InstructionName(int instructionIndex) {
    static const std::array<const char*, 5> names{"VKLZ", "VKLE", "VKLT", "VKLA", "VKLC"};
    if (instructionIndex < 0 || instructionIndex >= int(names.size()))
        return {};
    return QString::fromLatin1(names[std::size_t(instructionIndex)]);
}

namespace {
// Port numbers are the digits from the fourth character on ("COM12" gives 12, "COM" gives 0).
int NumberAfterPrefix(const QString& name) {
    return name.size() > 3 ? ParseLeadingInt(QStringView(name).mid(3)) : 0;
}
} // namespace

QString FormatPortString(const tagPORTINFO& info, int instructionIndex) {
    const QString name = InstructionName(instructionIndex);
    switch (info.portType) {
    case PORT_COM:
        return QStringLiteral("%1,COM,%2,%3,%4,%5,%6,%7")
            .arg(name)
            .arg(NumberAfterPrefix(SerialPortName(info)))
            .arg(info.baudRate)
            .arg(info.dataBits)
            .arg(info.stopBits)
            .arg(info.parity)
            .arg(info.flowControl);
    case PORT_LPT:
        return QStringLiteral("%1,LPT,%2").arg(name).arg(NumberAfterPrefix(PortText(info.lptName)));
    case PORT_USBCLASS:
        return name + QStringLiteral(",USBClass,") + PortText(info.usbClassName);
    case PORT_USBAPI:
        return QStringLiteral("%1,USBAPI,%2").arg(name).arg(info.usbApiId);
    case PORT_DRIVER:
        return name + QStringLiteral(",DRIVER,") + PortText(info.driverName);
    case PORT_NET:
        return name + QStringLiteral(",NET,") + PortText(info.netAddress) + QLatin1Char(',') +
               QString::number(info.netPort);
    default:
        return {};
    }
}

QString SerialPortName(const tagPORTINFO& info) {
    const QString longName = PortText(info.comLongName);
    return longName.isEmpty() ? PortText(info.comName) : longName;
}

void SetSerialPortName(tagPORTINFO& info, const QString& name) {
    const bool fits = name.size() < qsizetype(std::size(info.comName));
    SetPortText(info.comName, fits ? name : QString());
    SetPortText(info.comLongName, fits ? QString() : name);
}

bool operator==(const tagPORTINFO& a, const tagPORTINFO& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace quillory
