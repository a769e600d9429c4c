#pragma once

#include "app/NumberText.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <cstdint>

namespace quillory::test {

// A minimal printer for unit tests: answers the version query, bit-field and word reads, the
// whole-EEPROM dump requests and the ini queries from an image. Replies follow the printers' form:
// four hex digits and CR LF.
struct WordModel {
    std::array<std::uint16_t, 256> image{};
    QByteArray version = "FV1.00 test";
    QByteArray printerName = "QL-200";
    QByteArray printerNameZorv = "Q200";
    QByteArray tphAdj = "adj";
    QByteArray idText = "LABEL-01";
    QList<QByteArray> reads; // the read commands seen, in order

    static QByteArray Hex4(unsigned v) {
        return QByteArray::number(v & 0xFFFF, 16).rightJustified(4, '0') + "\r\n";
    }

    QByteArray operator()(const QByteArray& w) {
        if (w == "~WN01@version~\r\n" || w == "\x02v\r\n")
            return version;
        if (w.startsWith("~WN00@eep,r,") && w.endsWith("~\r\n")) {
            reads << w;
            const QList<QByteArray> parts = w.mid(12, w.size() - 15).split(',');
            const unsigned address = ParseLeadingHex(parts.value(0));
            const int first = parts.value(1).toInt();
            const int last = parts.value(2).toInt();
            const unsigned word = image[address & 0xFF];
            const unsigned width = unsigned(last - first + 1);
            return Hex4((word >> first) & ((1u << width) - 1u));
        }
        if (w.startsWith("~WN00@eep,r,") && w.size() == 20)
            return Hex4(image[ParseLeadingHex(w.mid(12, 2))]);
        if (w == "~WN00@ini,r,PrinterName~")
            return printerName;
        if (w == "~WN00@ini,r,PrinterNameZorv~")
            return printerNameZorv;
        if (w == "~WN00@ini,r,TphAdj~")
            return tphAdj;
        if (w.startsWith("\x02Ke")) {
            reads << w;
            return Hex4(image[ParseLeadingHex(w.mid(3, 2))]);
        }
        if (w == "\x1dI\x99\r\n")
            return idText + "\r\nOK\r\n";
        return {};
    }
};

} // namespace quillory::test
