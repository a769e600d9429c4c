#include "cli/Trace.h"

#include "port/PortAbilities.h"

#include <QTime>

#include <ostream>

namespace quillory::cli {
namespace {

constexpr int kBytesPerLine = 16;

QString Now() {
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
}

} // namespace

void TraceWatcher::Line(const QString& text) {
    const std::lock_guard lock(m_mutex);
    m_err << (Now() + QLatin1Char(' ') + text).toStdString() << '\n' << std::flush;
}

void TraceWatcher::Dump(const char* direction, QByteArrayView bytes) {
    const QString time = Now();
    std::string lines;
    for (qsizetype offset = 0; offset < bytes.size(); offset += kBytesPerLine) {
        const QByteArrayView part =
            bytes.sliced(offset, std::min<qsizetype>(kBytesPerLine, bytes.size() - offset));
        QString hex;
        QString text;
        for (const char c : part) {
            const auto byte = static_cast<unsigned char>(c);
            hex += QStringLiteral("%1 ").arg(byte, 2, 16, QLatin1Char('0'));
            // Only printable ASCII as it is: the trace goes to a terminal.
            text += byte >= 0x20 && byte < 0x7f ? QChar(byte) : QChar(u'.');
        }
        lines += QStringLiteral("%1 %2 %3  %4 |%5|\n")
                     .arg(time, QLatin1String(direction))
                     .arg(offset, 4, 16, QLatin1Char('0'))
                     .arg(hex, -3 * kBytesPerLine)
                     .arg(text)
                     .toStdString();
    }
    const std::lock_guard lock(m_mutex);
    m_err << lines << std::flush;
}

void TraceWatcher::Opened(const tagPORTINFO& port) {
    Line(QStringLiteral("open ") + PortAddressText(port));
}

void TraceWatcher::Sent(QByteArrayView bytes) {
    Dump("send", bytes);
}

void TraceWatcher::Received(QByteArrayView bytes) {
    Dump("recv", bytes);
}

void TraceWatcher::Discarded(qint64 count) {
    Line(QStringLiteral("drop %1 bytes that had arrived unasked").arg(count));
}

void TraceWatcher::Closed() {
    Line(QStringLiteral("close"));
}

void TraceWatcher::Failed(const char* operation, const CommunicationException& error) {
    Line(QStringLiteral("%1 failed: code %2 %3")
             .arg(QLatin1String(operation))
             .arg(error.GetErrorCode())
             .arg(error.Detail()));
}

} // namespace quillory::cli
