#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace quillory {

// The debug terminal's document views. In text view a byte may be written as an escape:
// "<\x" two hex digits ">" (six characters) or "<\x" one digit ">" (five); recognition is by
// position only. In hex view every byte is a token of two lower-case hex digits and a space, with
// a CR after the token that ends a multiple of 16 source characters.

// Text view to the bytes it stands for.
[[nodiscard]] QByteArray TextViewToBytes(QByteArrayView text);
// Hex view to the bytes it stands for (CR and LF are ignored; "0D"/"0A" are bytes like any other).
[[nodiscard]] QByteArray HexViewToBytes(QByteArrayView hex);
// Switching a document between the views. The text view made from a hex view escapes '<' as it
// does unprintable bytes, so every switch keeps the bytes the document sends.
[[nodiscard]] QByteArray TextViewToHexView(QByteArrayView text);
[[nodiscard]] QByteArray HexViewToTextView(QByteArrayView hex);
// A text view that stands for exactly these bytes (printable ASCII as itself, '<' and other bytes
// as escapes, CR and LF as line breaks).
[[nodiscard]] QByteArray BytesToTextView(QByteArrayView bytes);

// The reply area. Replies are shown newest first; in hex view as one token per byte.
[[nodiscard]] QString PrependReplyText(const QString& reply, const QString& shown);
[[nodiscard]] QString PrependReplyHex(const QByteArray& reply, const QString& shown);
// The reply area's hex check box: the whole area to hex (a CR LF after every 16th token) and back.
[[nodiscard]] QString ReplyTextToHex(const QString& text);
[[nodiscard]] QString ReplyHexToText(const QString& hex);
// The bytes that Save writes for a view: a hex view's tokens as bytes (zero bytes dropped), a text
// view as it stands.
[[nodiscard]] QByteArray SaveBytes(const QByteArray& content, bool hexView);

} // namespace quillory
