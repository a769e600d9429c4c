#include "port/PortTiming.h"

#include <QMutex>

#include <cmath>

namespace quillory {
namespace {
QMutex gSourceMutex;
std::function<PortTiming()> gSource;
} // namespace

void SetPortTimingSource(std::function<PortTiming()> source) {
    QMutexLocker lock(&gSourceMutex);
    gSource = std::move(source);
}

PortTiming CurrentPortTiming() {
    std::function<PortTiming()> source;
    {
        QMutexLocker lock(&gSourceMutex);
        source = gSource;
    }
    return source ? source() : PortTiming{};
}

int SerialGapMs(int baudRate, int dataBits, bool parity, double stopBits) {
    if (baudRate <= 0)
        return 0;
    const double bitsPerCharacter = 1.0 + dataBits + (parity ? 1.0 : 0.0) + stopBits;
    return int(std::ceil(3.5 * bitsPerCharacter * 1000.0 / baudRate));
}

} // namespace quillory
