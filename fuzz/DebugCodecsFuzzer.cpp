// The debug terminal's codecs: every conversion must stay within its input, and the views must
// stand for the same bytes whichever way the document travels between them.
#include "FuzzSupport.h"

#include "tools/DebugCodecs.h"

using namespace quillory;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::InitFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input = fuzz::InputBytes(data, size);

    // Any text: its hex view sends the same bytes, and so does the text view made back from it.
    const QByteArray bytes = TextViewToBytes(input);
    FUZZ_CHECK(bytes.size() <= input.size());
    const QByteArray hexView = TextViewToHexView(input);
    FUZZ_CHECK_EQ(bytes, HexViewToBytes(hexView));
    FUZZ_CHECK_EQ(bytes, TextViewToBytes(HexViewToTextView(hexView)));
    QByteArray withoutZeros = bytes;
    withoutZeros.replace('\0', QByteArray());
    FUZZ_CHECK_EQ(withoutZeros, SaveBytes(hexView, true));

    // Any bytes: the text view made for them stands for exactly them.
    FUZZ_CHECK_EQ(input.toByteArray(), TextViewToBytes(BytesToTextView(input)));

    // Any hex view: switching to text and back keeps the bytes it sends.
    const QByteArray fromHex = HexViewToBytes(input);
    FUZZ_CHECK(fromHex.size() <= input.size());
    FUZZ_CHECK_EQ(fromHex, TextViewToBytes(HexViewToTextView(input)));
    FUZZ_CHECK_EQ(input.toByteArray(), SaveBytes(input.toByteArray(), false));
    (void)SaveBytes(input.toByteArray(), true);

    // The reply area: text to hex and back gives the text (a zero character shows as nothing).
    const QString reply = QString::fromUtf8(input);
    QString replyWithoutZeros = reply;
    replyWithoutZeros.remove(QChar(0));
    FUZZ_CHECK_EQ(replyWithoutZeros.toUtf8(), ReplyHexToText(ReplyTextToHex(reply)).toUtf8());
    (void)ReplyHexToText(reply);
    const qsizetype half = input.size() / 2;
    const QString shown = QString::fromLatin1(input.sliced(half));
    const QString prepended = PrependReplyHex(input.first(half).toByteArray(), shown);
    FUZZ_CHECK(prepended.size() >= half * 3);
    FUZZ_CHECK(PrependReplyText(reply, shown) == reply + shown);
    return 0;
}
