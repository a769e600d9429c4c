#include "tools/imaging/LogoImport.h"
#include "support/BadInputFiles.h"
#include "support/TestEnvironment.h"
#include "tools/imaging/CxImage.h"
#include "tools/imaging/PictureCheck.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

// 256 x 64 white picture with a black block over the top-left quarter of its width and height.
QImage Picture() {
    QImage image(256, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(0, 0, 64, 16, Qt::black);
    return image;
}

CLogoBitmap Expected() {
    CLogoBitmap bitmap;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x)
            bitmap.Toggle(x, y);
    return bitmap;
}

} // namespace

TEST(LogoImport, EveryOfferedFormatConvertsToTheSameLogo) {
    TempEnvironment env;
    for (const char* format : {"bmp", "png", "jpg", "tif", "ico"}) {
        const QString path = env.Path(QString("picture.%1").arg(format));
        QImage picture = Picture();
        if (QByteArray(format) == "ico")
            picture = picture.scaled(256, 64); // icons keep the size
        ASSERT_TRUE(picture.save(path, format, 100)) << format;
        CLogoBitmap bitmap;
        QString error;
        ASSERT_TRUE(PictureFileToLogo(path, bitmap, &error)) << format << " " << error.toStdString();
        EXPECT_EQ(bitmap, Expected()) << format;
    }
}

TEST(LogoImport, ThresholdIsGreyLevel128AndTransparencyIsBlank) {
    QImage image(128, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(0, 0, qRgb(127, 127, 127));
    image.setPixel(1, 0, qRgb(128, 128, 128));
    image.setPixel(2, 0, qRgba(0, 0, 0, 255));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    CLogoBitmap bitmap;
    ASSERT_TRUE(PictureToLogo(png, bitmap));
    EXPECT_TRUE(bitmap.IsPrinted(0, 0));
    EXPECT_FALSE(bitmap.IsPrinted(1, 0));
    EXPECT_TRUE(bitmap.IsPrinted(2, 0));
    EXPECT_FALSE(bitmap.IsPrinted(3, 0));
    EXPECT_FALSE(bitmap.IsPrinted(0, 1));
}

TEST(LogoImport, TheEncodedBmpHasItsPixelsAtByte62BottomUp) {
    QImage image(128, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(0, 31, qRgb(0, 0, 0)); // bottom-left
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    CxImage cx;
    ASSERT_TRUE(
        cx.Decode(reinterpret_cast<const std::uint8_t*>(bmp.constData()), std::uint32_t(bmp.size()), 1));
    ASSERT_TRUE(cx.Threshold(128));
    ASSERT_TRUE(cx.Resample(128, 32, 1));
    std::uint8_t* out = nullptr;
    std::int32_t size = 0;
    ASSERT_TRUE(cx.Encode(out, size, 1));
    EXPECT_EQ(size, 62 + 512);
    EXPECT_EQ(out[0], 'B');
    EXPECT_EQ(out[10], 62);
    EXPECT_EQ(out[62], 0x7F); // first stored row is the bottom one; its first dot is black
    EXPECT_EQ(out[62 + 16], 0xFF);
    CxImage::FreeMemory(out);
}

TEST(LogoImport, AnUnreadablePictureLeavesTheLogoAlone) {
    TempEnvironment env;
    CLogoBitmap bitmap;
    bitmap.Toggle(5, 5);
    const CLogoBitmap before = bitmap;
    EXPECT_FALSE(PictureToLogo("not a picture", bitmap));
    EXPECT_FALSE(PictureToLogo({}, bitmap));
    QString error;
    EXPECT_FALSE(PictureFileToLogo(env.Path("missing.png"), bitmap, &error));
    EXPECT_FALSE(error.isEmpty());
    WriteFileBytes(env.Path("broken.png"), QByteArray("\x89PNG\r\n\x1a\n broken", 16));
    EXPECT_FALSE(PictureFileToLogo(env.Path("broken.png"), bitmap, &error));
    EXPECT_EQ(bitmap, before);
}

namespace {

QByteArray Encoded(const char* format) {
    QImage image(128, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(3, 3, qRgb(0, 0, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

void Put32(QByteArray& bytes, int at, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i));
}

} // namespace

TEST(LogoImport, PicturesCutShortOrPointingOutsideTheFileAreRefused) {
    TempEnvironment env;
    CLogoBitmap bitmap;
    bitmap.Toggle(9, 9);
    const CLogoBitmap before = bitmap;
    for (const char* format : {"bmp", "png", "jpg", "ico"}) {
        const QByteArray whole = Encoded(format);
        CLogoBitmap converted;
        ASSERT_TRUE(PictureToLogo(whole, converted)) << format;
        EXPECT_TRUE(PictureStructureIsSound(whole)) << format;
        for (const qsizetype cut : {whole.size() - 1, whole.size() - 16, whole.size() / 2, qsizetype(20)}) {
            EXPECT_FALSE(PictureToLogo(whole.left(cut), bitmap)) << format << " cut to " << cut;
        }
    }
    QByteArray bmp = Encoded("bmp");
    Put32(bmp, 10, 0x7fffffff); // pixel data "at" 2 GB
    EXPECT_FALSE(PictureToLogo(bmp, bitmap));
    bmp = Encoded("bmp");
    Put32(bmp, 22, 5000); // rows beyond the end
    EXPECT_FALSE(PictureToLogo(bmp, bitmap));
    QByteArray ico = Encoded("ico");
    Put32(ico, 6 + 12, 0x7fffff00); // image data beyond the end
    EXPECT_FALSE(PictureToLogo(ico, bitmap));
    EXPECT_EQ(bitmap, before);

    // Devices, pipes and pictures larger than any picture are not read at all.
    for (const BadInputFile& bad : RefusedInputFiles(env.Root(), InputFileKind::Picture)) {
        const PictureImport result = ImportPictureFile(bad.path, bitmap);
        EXPECT_NE(result.file, InputFileProblem::None) << bad.what;
        EXPECT_FALSE(result.converted);
    }
    EXPECT_EQ(bitmap, before);
}
