#include "tools/LogoBitmap.h"
#include "support/ScriptedPrinter.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {
CLogoBitmap RandomBitmap(quint32 seed) {
    QRandomGenerator random(seed);
    std::array<std::uint8_t, CLogoBitmap::kBytes> bytes{};
    for (auto& b : bytes)
        b = std::uint8_t(random.bounded(256));
    CLogoBitmap bitmap;
    bitmap.SetBytes(bytes);
    return bitmap;
}
} // namespace

TEST(LogoBitmap, FreshBitmapDownloadsAnEmptyPicture) {
    ScriptedPrinter printer;
    EXPECT_EQ(DownloadLogo(MakePortInfo(PORT_NET), CLogoBitmap()), 0);
    const QList<QByteArray> writes = printer.Writes();
    ASSERT_EQ(writes.size(), 3);
    EXPECT_EQ(writes[0], QByteArray("~WN11@DownLogo,512~"));
    EXPECT_EQ(writes[1], QByteArray(512, '\0'));
    EXPECT_EQ(writes[2], QByteArray("~JR~"));
    EXPECT_EQ(printer.Events()[1], "timeouts 30 30");
}

TEST(LogoBitmap, TheTopLeftDotIsTheFirstBit) {
    CLogoBitmap bitmap;
    EXPECT_TRUE(bitmap.Toggle(0, 0));
    EXPECT_TRUE(bitmap.IsPrinted(0, 0));
    const QByteArray payload = LogoPayload(bitmap);
    EXPECT_EQ(static_cast<unsigned char>(payload[0]), 0x80);
    EXPECT_EQ(payload.mid(1), QByteArray(511, '\0'));
    EXPECT_FALSE(bitmap.Toggle(128, 0));
    EXPECT_FALSE(bitmap.Toggle(0, 32));
    EXPECT_FALSE(bitmap.Toggle(-1, 3));
}

TEST(LogoBitmap, MovesShiftInBlankDots) {
    CLogoBitmap bitmap;
    bitmap.Toggle(0, 5);
    bitmap.MoveLeft();
    EXPECT_EQ(bitmap, CLogoBitmap());
    CLogoBitmap full;
    full.Invert();
    full.MoveLeft();
    for (int y = 0; y < 32; ++y) {
        EXPECT_FALSE(full.IsPrinted(127, y));
        EXPECT_TRUE(full.IsPrinted(126, y));
    }
    bitmap.Toggle(8, 3); // crosses a byte boundary
    bitmap.MoveLeft();
    EXPECT_TRUE(bitmap.IsPrinted(7, 3));
    bitmap.MoveRight();
    bitmap.MoveRight();
    EXPECT_TRUE(bitmap.IsPrinted(9, 3));
    bitmap.MoveUp();
    EXPECT_TRUE(bitmap.IsPrinted(9, 2));
    bitmap.MoveDown();
    bitmap.MoveDown();
    EXPECT_TRUE(bitmap.IsPrinted(9, 4));
    CLogoBitmap bottom;
    bottom.Toggle(3, 31);
    bottom.MoveDown();
    EXPECT_EQ(bottom, CLogoBitmap());
}

TEST(LogoBitmap, MirrorsAndInvertUndoThemselves) {
    const CLogoBitmap original = RandomBitmap(7);
    CLogoBitmap bitmap = original;
    bitmap.MirrorHorizontally();
    EXPECT_NE(bitmap, original);
    bitmap.MirrorHorizontally();
    EXPECT_EQ(bitmap, original);
    bitmap.MirrorVertically();
    bitmap.MirrorVertically();
    EXPECT_EQ(bitmap, original);
    bitmap.Invert();
    bitmap.Invert();
    EXPECT_EQ(bitmap, original);

    CLogoBitmap dot;
    dot.Toggle(3, 1);
    dot.MirrorHorizontally();
    EXPECT_TRUE(dot.IsPrinted(124, 1));
    dot.MirrorVertically();
    EXPECT_TRUE(dot.IsPrinted(124, 30));
}

TEST(LogoBitmap, StreamsRoundTrip) {
    const CLogoBitmap original = RandomBitmap(11);
    const QByteArray stream = LogoStream(original);
    EXPECT_EQ(stream.size(), 535);
    CLogoBitmap loaded;
    ASSERT_TRUE(ParseLogoStream(stream, loaded));
    EXPECT_EQ(loaded, original);
    EXPECT_FALSE(ParseLogoStream(stream.left(534), loaded));
    EXPECT_FALSE(ParseLogoStream("x" + stream.mid(1), loaded));
}
