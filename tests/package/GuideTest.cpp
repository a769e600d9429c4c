// The user guides and the README: every picture they show exists at the size they announce,
// in the language of the guide, every link inside a guide leads somewhere, and both guides
// explain the same pages.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

const QString kGuideFolder = QStringLiteral(QUILLORY_TEST_SOURCE_DIR "/resources/Guide");

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString Attribute(const QString& tag, const QString& name) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("\\b%1=\"([^\"]*)\"").arg(name)).match(tag);
    return match.hasMatch() ? match.captured(1) : QString();
}

QStringList Tags(const QString& html, const QString& element) {
    QStringList tags;
    for (const QRegularExpressionMatch& match :
         QRegularExpression(QStringLiteral("<%1\\b[^>]*>").arg(element)).globalMatch(html))
        tags << match.captured(0);
    return tags;
}

QSet<QString> Ids(const QString& html) {
    QSet<QString> ids;
    for (const QRegularExpressionMatch& match :
         QRegularExpression(QStringLiteral("\\bid=\"([^\"]+)\"")).globalMatch(html))
        ids.insert(match.captured(1));
    return ids;
}

// The sections a reader of either guide looks for: one per page and dialog of the program, the
// command line and the demo mode.
const QStringList kSections = {
    "window", "wizard", "port", "driver",   "print-settings",   "password", "eeprom",       "network",
    "debug",  "tools",  "logo", "download", "program-settings", "help",     "command-line", "demo"};

struct GuideCase {
    const char* file;
    const char* imageFolder; // the guide's own language
};

void PrintTo(const GuideCase& guide, std::ostream* out) {
    *out << guide.file;
}

class Guide : public ::testing::TestWithParam<GuideCase> {};

} // namespace

TEST_P(Guide, ShowsItsOwnLanguagesPicturesAtTheirSizeAndEveryLinkLeadsSomewhere) {
    const QString html = ReadText(kGuideFolder + QLatin1Char('/') + QLatin1String(GetParam().file));
    ASSERT_FALSE(html.isEmpty());
    const QStringList images = Tags(html, QStringLiteral("img"));
    EXPECT_GE(images.size(), 15);
    for (const QString& tag : images) {
        const QString source = Attribute(tag, QStringLiteral("src"));
        EXPECT_TRUE(
            source.startsWith(QStringLiteral("images/") + QLatin1String(GetParam().imageFolder) + '/') ||
            source.startsWith(QStringLiteral("images/zh_TW/")))
            << source.toStdString() << " is not in the guide's language";
        EXPECT_FALSE(Attribute(tag, QStringLiteral("alt")).isEmpty()) << source.toStdString();
        QImageReader reader(kGuideFolder + QLatin1Char('/') + source);
        ASSERT_TRUE(reader.canRead()) << source.toStdString();
        EXPECT_EQ(reader.size(), QSize(Attribute(tag, QStringLiteral("width")).toInt(),
                                       Attribute(tag, QStringLiteral("height")).toInt()))
            << source.toStdString();
    }
    const QSet<QString> ids = Ids(html);
    for (const QString& tag : Tags(html, QStringLiteral("a"))) {
        const QString target = Attribute(tag, QStringLiteral("href"));
        if (target.startsWith(QLatin1Char('#'))) {
            EXPECT_TRUE(ids.contains(target.mid(1))) << target.toStdString();
        }
    }
    for (const QString& section : kSections)
        EXPECT_TRUE(ids.contains(section)) << GetParam().file << " has no section " << section.toStdString();
}

INSTANTIATE_TEST_SUITE_P(EnglishAndChinese, Guide,
                         ::testing::Values(GuideCase{"Guide_EN.html", "en"},
                                           GuideCase{"Guide_CN.html", "zh_CN"}),
                         [](const auto& info) {
                             return std::string(info.param.imageFolder == std::string("en") ? "English"
                                                                                            : "Chinese");
                         });

TEST(GuidePictures, BothGuidesExplainTheSameSectionsWithTheSamePictures) {
    const QString english = ReadText(kGuideFolder + "/Guide_EN.html");
    const QString chinese = ReadText(kGuideFolder + "/Guide_CN.html");
    EXPECT_EQ(Ids(english), Ids(chinese));
    QStringList englishPictures, chinesePictures;
    for (const QString& tag : Tags(english, "img"))
        englishPictures << QFileInfo(Attribute(tag, "src")).fileName();
    for (const QString& tag : Tags(chinese, "img"))
        chinesePictures << QFileInfo(Attribute(tag, "src")).fileName();
    EXPECT_EQ(englishPictures, chinesePictures);
}

TEST(GuidePictures, EveryPictureIsShownAndThePicturesStaySmall) {
    QString shown = ReadText(kGuideFolder + "/Guide_EN.html") + ReadText(kGuideFolder + "/Guide_CN.html");
    const QString readme = ReadText(QStringLiteral(QUILLORY_TEST_SOURCE_DIR "/README.md"));
    ASSERT_FALSE(readme.isEmpty());
    // The README shows pictures of the guide from the top of the repository.
    for (const QRegularExpressionMatch& match :
         QRegularExpression(QStringLiteral("\\]\\((resources/Guide/images/[^)]+)\\)")).globalMatch(readme)) {
        EXPECT_TRUE(QFileInfo(QStringLiteral(QUILLORY_TEST_SOURCE_DIR "/") + match.captured(1)).isFile())
            << match.captured(1).toStdString();
        shown += QStringLiteral("\"") + match.captured(1).mid(QStringLiteral("resources/Guide/").size());
    }
    EXPECT_TRUE(readme.contains("resources/Guide/images/en/")) << "the README shows no screenshot";

    qint64 total = 0;
    QDirIterator it(kGuideFolder + "/images", {"*"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo picture(it.next());
        const QString relative = QDir(kGuideFolder).relativeFilePath(picture.filePath());
        EXPECT_TRUE(shown.contains("\"" + relative)) << relative.toStdString() << " is shown nowhere";
        EXPECT_LE(picture.size(), 150 * 1024) << relative.toStdString();
        total += picture.size();
    }
    EXPECT_GT(total, 0);
    EXPECT_LE(total, 3 * 1024 * 1024);
}
