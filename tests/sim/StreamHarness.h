#pragma once

#include "sim/CommandStream.h"
#include "sim/PrinterModel.h"

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace quillory::sim::test {

// A printer without any transport: bytes in, replies out.
struct StreamPrinter {
    explicit StreamPrinter(int instructionIndex) : model(instructionIndex), stream(instructionIndex) {}

    // The replies to bytes, joined.
    QByteArray Send(QByteArrayView bytes) {
        Replies replies;
        stream.Feed(bytes, model, replies);
        return replies.join();
    }
    // Sends bytes in pieces of at most chunk bytes.
    QByteArray SendInPieces(QByteArrayView bytes, qsizetype chunk) {
        QByteArray out;
        for (qsizetype i = 0; i < bytes.size(); i += chunk)
            out += Send(bytes.sliced(i, std::min(chunk, bytes.size() - i)));
        return out;
    }
    // A bit-field read as the host sends it; nothing when the reply is not four hex digits + CR LF.
    std::optional<unsigned> ReadBits(int address, int first, int last) {
        const QByteArray reply =
            Send(QByteArray("~WN00@eep,r,") + QByteArray::number(address, 16).rightJustified(2, '0') + ',' +
                 QByteArray::number(first) + ',' + QByteArray::number(last) + "~\r\n");
        return HexWord(reply);
    }
    // A VKLA word read (STX K e).
    std::optional<unsigned> ReadWord(int address) {
        return HexWord(
            Send("\x02Ke" + QByteArray::number(address, 16).toUpper().rightJustified(2, '0') + "\r\n"));
    }
    static std::optional<unsigned> HexWord(const QByteArray& reply) {
        bool ok = false;
        const unsigned value = reply.left(4).toUInt(&ok, 16);
        if (reply.size() != 6 || !reply.endsWith("\r\n") || !ok)
            return std::nullopt;
        return value;
    }

    PrinterModel model;
    CommandStream stream;
};

} // namespace quillory::sim::test
