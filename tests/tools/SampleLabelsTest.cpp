// The shipped test labels: every entry of the tools page has a file for every language, each a
// whole job of its language, and the pictures inside carry exactly as many bytes as they announce
// (a printer that reads a byte count would otherwise swallow the commands after the picture).
#include "support/TestEnvironment.h"
#include "tools/Maintenance.h"

#include <QRegularExpression>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

QByteArray Sample(const char* language, const char* label) {
    return ReadFileBytes(QStringLiteral("%1/Sample/%2/%3.dat").arg(BuildProgramFolder(), language, label));
}

// A binary picture announced by pattern, whose two groups are its row bytes and its rows: the
// size it announces, and that size again when the next line starts right after it (-1 if not).
struct RawPicture {
    qsizetype announced = -1;
    qsizetype actual = -1;
};

RawPicture FindRawPicture(const QByteArray& file, const QByteArray& pattern) {
    const QRegularExpression re(QString::fromLatin1(pattern));
    const QString text = QString::fromLatin1(file);
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return {};
    const qsizetype start = m.capturedEnd();
    const qsizetype announced = m.captured(1).toLongLong() * m.captured(2).toLongLong();
    const bool lineFollows = file.mid(start + announced, 2) == "\r\n";
    return {announced, lineFollows ? announced : -1};
}

} // namespace

TEST(SampleLabels, EveryLanguageHasEveryLabelAsAWholeJob) {
    const struct {
        const char* language;
        QByteArray begins;
        QByteArray ends;
    } languages[] = {
        {"VKLZ", "^XA\r\n", "^XZ\r\n"},
        {"VKLE", "\r\nN\r\n", "\r\nP1\r\n"},
        {"VKLT", "SIZE ", "\r\nPRINT 1,1\r\n"},
        {"VKLC", "! 0 200 200 ", "\r\nFORM\r\nPRINT\r\n"},
        {"VKLA", "\x02L\r\n", "\r\nQ0001\r\nE\r\n"},
    };
    for (const auto& l : languages) {
        for (const char* label : kTestLabels) {
            const QByteArray file = Sample(l.language, label);
            ASSERT_FALSE(file.isEmpty()) << l.language << "/" << label;
            // The stored picture of the VKLA image label comes before its format.
            const QByteArray job = file.mid(file.indexOf(l.begins));
            EXPECT_TRUE(file.indexOf(l.begins) >= 0 && job.startsWith(l.begins))
                << l.language << "/" << label;
            EXPECT_TRUE(file.endsWith(l.ends)) << l.language << "/" << label;
            EXPECT_EQ(file.count(l.ends), 1) << l.language << "/" << label;
        }
    }
}

TEST(SampleLabels, PicturesCarryTheBytesTheyAnnounce) {
    // Hexadecimal pictures: "^GFA,total,total,row," and "EG row height x y".
    const QString vklz = QString::fromLatin1(Sample("VKLZ", "Print_Image"));
    const QRegularExpressionMatch gf =
        QRegularExpression(QStringLiteral("\\^GFA,(\\d+),(\\d+),(\\d+),([0-9A-F]*)\\^FS")).match(vklz);
    ASSERT_TRUE(gf.hasMatch());
    EXPECT_EQ(gf.captured(1), gf.captured(2));
    EXPECT_EQ(gf.captured(4).size(), 2 * gf.captured(1).toInt());
    EXPECT_EQ(gf.captured(1).toInt() % gf.captured(3).toInt(), 0);

    const QString vklc = QString::fromLatin1(Sample("VKLC", "Print_Image"));
    const QRegularExpressionMatch eg =
        QRegularExpression(QStringLiteral("EG (\\d+) (\\d+) \\d+ \\d+ ([0-9A-F]*)\r\n")).match(vklc);
    ASSERT_TRUE(eg.hasMatch());
    EXPECT_EQ(eg.captured(3).size(), 2 * eg.captured(1).toInt() * eg.captured(2).toInt());

    // Binary pictures: row bytes times rows, then the next line.
    const RawPicture gw = FindRawPicture(Sample("VKLE", "Print_Image"), "GW\\d+,\\d+,(\\d+),(\\d+),");
    EXPECT_GT(gw.announced, 0);
    EXPECT_EQ(gw.actual, gw.announced);
    const RawPicture bitmap =
        FindRawPicture(Sample("VKLT", "Print_Image"), "BITMAP \\d+,\\d+,(\\d+),(\\d+),0,");
    EXPECT_GT(bitmap.announced, 0);
    EXPECT_EQ(bitmap.actual, bitmap.announced);

    // VKLA stores a one-bit BMP by name before placing it: the BMP's own size field must fit.
    const QByteArray vkla = Sample("VKLA", "Print_Image");
    const QByteArray store = "\x02IDBQLOGO\r\n";
    ASSERT_TRUE(vkla.startsWith(store));
    const QByteArray bmp = vkla.mid(store.size(), vkla.indexOf("\r\n\x02L\r\n") - store.size());
    ASSERT_TRUE(bmp.startsWith("BM"));
    const auto fileSize = qFromLittleEndian<quint32>(bmp.constData() + 2);
    EXPECT_EQ(qsizetype(fileSize), bmp.size());
    EXPECT_TRUE(vkla.contains("1Y1100000300020QLOGO\r\n"));
}
