// Draws the skin pictures of the main window and the wizard, and the program icon for the
// desktop's icon theme. Run by the build:
//     quillory-skingen SKIN-FOLDER [ICON-THEME-FOLDER]
// The icon theme folder receives <size>x<size>/apps/quillory.png for every size of kIconSizes.
// Everything is drawn with paths, so no window system or font is needed.
#include "Pictograms.h"

#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cstdio>

namespace quillory::skin {
namespace {

enum class State { Normal, Hover, Click, Disable };
constexpr std::array<State, 4> kStates{State::Normal, State::Hover, State::Click, State::Disable};
constexpr std::array<const char*, 4> kStateNames{"Normal", "Hover", "Click", "Disable"};

// The palette: deep blue chrome, a teal accent for what is selected.
const QColor kBarTop(0x17, 0x2f, 0x4a);
const QColor kBarBottom(0x21, 0x47, 0x6c);
const QColor kSideTop(0x1c, 0x33, 0x4d);
const QColor kSideBottom(0x15, 0x26, 0x3a);
const QColor kAccentLight(0x2c, 0xc0, 0xcc);
const QColor kAccentDark(0x15, 0x8d, 0xa2);
const QColor kWorkArea(0xdc, 0xe2, 0xe9);
const QColor kPageBorder(0xb3, 0xbe, 0xca);
const QColor kPageGrey(240, 240, 240);

QImage NewImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QColor White(int alpha) {
    return QColor(255, 255, 255, alpha);
}

QLinearGradient Vertical(qreal top, qreal bottom, const QColor& a, const QColor& b) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

void FillRounded(QPainter& p, const QRectF& r, qreal radius, const QBrush& fill, const QColor& border) {
    p.setBrush(fill);
    p.setPen(border.alpha() ? QPen(border, 1) : Qt::NoPen);
    p.drawRoundedRect(r, radius, radius);
}

QColor PictogramColor(State state) {
    return state == State::Disable ? QColor(0x8f, 0xa0, 0xb4, 150)
                                   : White(state == State::Normal ? 235 : 255);
}

// Top-bar button: pictogram above the caption, which the button draws itself from y 46.
QImage TopButton(int width, int height, State state, Pictogram pictogram) {
    QImage image = NewImage(width, height);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face(1.5, 1.5, width - 3, height - 3);
    if (state == State::Hover)
        FillRounded(p, face, 8, White(34), White(70));
    else if (state == State::Click)
        FillRounded(p, face, 8, Vertical(0, height, kAccentLight, kAccentDark), White(90));
    const qreal size = 30;
    pictogram(p, QRectF((width - size) / 2.0, 8, size, size), PictogramColor(state));
    return image;
}

// Small caption-row button; closing turns red under the pointer.
QImage CaptionButton(State state, Pictogram pictogram, bool danger) {
    constexpr int kWidth = 30, kHeight = 24;
    QImage image = NewImage(kWidth, kHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face(0.5, 0.5, kWidth - 1, kHeight - 1);
    if (state == State::Hover)
        FillRounded(p, face, 5, danger ? QColor(0xe0, 0x45, 0x3f) : White(40), QColor(Qt::transparent));
    else if (state == State::Click)
        FillRounded(p, face, 5, danger ? QColor(0xb3, 0x2e, 0x2a) : QColor(0, 0, 0, 60),
                    QColor(Qt::transparent));
    const QColor color = state == State::Disable  ? White(70)
                         : state == State::Normal ? White(215)
                                                  : White(255);
    pictogram(p, QRectF((kWidth - 13) / 2.0, (kHeight - 13) / 2.0, 13, 13), color);
    return image;
}

// Left-menu button; its caption is drawn by the button 10 pixels from the top.
QImage MenuButton(State state) {
    constexpr int kWidth = 152, kHeight = 34;
    QImage image = NewImage(kWidth, kHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face(0.5, 0.5, kWidth - 1, kHeight - 1);
    switch (state) {
    case State::Normal:
        FillRounded(p, face, 6, White(16), White(30));
        break;
    case State::Hover:
        FillRounded(p, face, 6, White(42), White(70));
        break;
    case State::Click:
        FillRounded(p, face, 6, Vertical(0, kHeight, kAccentLight, kAccentDark), White(80));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(5, 9, 3.5, kHeight - 18), 1.5, 1.5);
        break;
    case State::Disable:
        FillRounded(p, face, 6, White(8), QColor(Qt::transparent));
        break;
    }
    return image;
}

// A large faint emblem as a watermark.
void Watermark(QPainter& p, const QRectF& where, int alpha) {
    QImage mark = NewImage(int(where.width()), int(where.height()));
    {
        QPainter m(&mark);
        m.setRenderHint(QPainter::Antialiasing);
        DrawEmblem(m, QRectF(0, 0, where.width(), where.height()), false);
    }
    p.save();
    p.setOpacity(alpha / 255.0);
    p.drawImage(where.topLeft(), mark);
    p.restore();
}

QImage Background() {
    constexpr int kWidth = 800, kHeight = 600;
    constexpr int kBar = 104;
    constexpr int kSide = 170;
    QImage image = NewImage(kWidth, kHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), kWorkArea);

    // Top bar with a soft light from the upper left.
    p.fillRect(QRect(0, 0, kWidth, kBar), Vertical(0, kBar, kBarTop, kBarBottom));
    QRadialGradient glow(QPointF(120, -40), 420);
    glow.setColorAt(0, White(34));
    glow.setColorAt(1, White(0));
    p.fillRect(QRect(0, 0, kWidth, kBar), glow);
    // A faint band behind the six large buttons.
    FillRounded(p, QRectF(208.5, 30.5, 542, 70), 10, White(12), White(22));
    p.fillRect(QRect(0, kBar, kWidth, 3), Vertical(kBar, kBar + 3, kAccentLight, kAccentDark));

    // Left menu column.
    p.fillRect(QRect(0, kBar + 3, kSide, kHeight - kBar - 3), Vertical(kBar, kHeight, kSideTop, kSideBottom));
    p.fillRect(QRect(kSide - 1, kBar + 3, 1, kHeight - kBar - 3), QColor(0, 0, 0, 60));
    Watermark(p, QRectF(20, 420, 130, 130), 14);

    // Emblem at the top left; the window writes the program's name beside it.
    QImage shadow = NewImage(60, 60);
    {
        QPainter s(&shadow);
        s.setRenderHint(QPainter::Antialiasing);
        s.setPen(Qt::NoPen);
        s.setBrush(QColor(0, 0, 0, 70));
        s.drawRoundedRect(QRectF(6, 8, 46, 46), 11, 11);
    }
    p.drawImage(QPointF(12, 24), shadow);
    DrawEmblem(p, QRectF(18, 30, 46, 46), true);

    // The page area: a light sheet with a hairline frame and a soft shadow below it.
    const QRectF page(180, 110, 610, 470);
    for (int i = 1; i <= 4; ++i) {
        p.setPen(QPen(QColor(0x50, 0x60, 0x70, 22 - i * 4), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(page.adjusted(-0.5 - i, -0.5 - i + 1, 0.5 + i, 0.5 + i + 1), 3 + i, 3 + i);
    }
    p.fillRect(page, kPageGrey);
    p.setPen(QPen(kPageBorder, 1));
    p.drawRect(page.adjusted(-0.5, -0.5, 0.5, 0.5));
    return image;
}

QImage WizardBackground() {
    constexpr int kWidth = 525, kHeight = 400;
    constexpr int kHeader = 96;
    QImage image = NewImage(kWidth, kHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), QColor(0xf4, 0xf6, 0xf8));
    p.fillRect(QRect(0, 0, kWidth, kHeader), Vertical(0, kHeader, kBarTop, kBarBottom));
    QRadialGradient glow(QPointF(80, -30), 360);
    glow.setColorAt(0, White(34));
    glow.setColorAt(1, White(0));
    p.fillRect(QRect(0, 0, kWidth, kHeader), glow);
    p.fillRect(QRect(0, kHeader, kWidth, 3), Vertical(kHeader, kHeader + 3, kAccentLight, kAccentDark));
    DrawEmblem(p, QRectF(kWidth - 74, 22, 52, 52), true);
    // A quiet footer band for the buttons.
    p.fillRect(QRect(0, kHeight - 56, kWidth, 56), QColor(0xe8, 0xec, 0xf0));
    p.fillRect(QRect(0, kHeight - 57, kWidth, 1), QColor(0xcb, 0xd3, 0xdc));
    return image;
}

// The sizes the desktop asks a hicolor icon theme for.
constexpr std::array<int, 8> kIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

QImage ProgramIcon(int size) {
    QImage image = NewImage(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Small icons use the whole square: a margin of a fraction of a pixel only blurs the edge.
    const qreal margin = size >= 32 ? size / 16.0 : 0.0;
    DrawEmblem(p, QRectF(margin, margin, size - 2 * margin, size - 2 * margin), true);
    return image;
}

struct TopRow {
    const char* name;
    int width;
    int height;
    Pictogram pictogram;
};

struct CaptionRow {
    const char* name;
    Pictogram pictogram;
    bool danger;
};

bool Save(const QImage& image, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "quillory-skingen: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace
} // namespace quillory::skin

int main(int argc, char** argv) {
    using namespace quillory::skin;
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: quillory-skingen SKIN-FOLDER [ICON-THEME-FOLDER]\n");
        return 64;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "quillory-skingen: cannot create %s\n", argv[1]);
        return 1;
    }

    const std::array<TopRow, 6> top{{
        {"PrinterSet", 72, 61, &DrawPrinter},
        {"Font", 91, 61, &DrawFontsAndGraphics},
        {"Status", 72, 62, &DrawStatusMonitor},
        {"Updata", 72, 61, &DrawUpgrade},
        {"Tools", 72, 61, &DrawToolbox},
        {"selectprinter", 72, 61, &DrawConnect},
    }};
    const std::array<CaptionRow, 5> caption{{
        {"Min", &DrawMinimise, false},
        {"Close", &DrawClose, true},
        {"MainSet", &DrawGear, false},
        {"About", &DrawInfo, false},
        {"Help", &DrawQuestion, false},
    }};

    bool ok = Save(Background(), folder, QStringLiteral("background.png"));
    ok = Save(WizardBackground(), folder, QStringLiteral("wizardbackground.png")) && ok;
    ok = Save(ProgramIcon(256), folder, QStringLiteral("Quillory.png")) && ok;
    for (std::size_t s = 0; s < kStates.size(); ++s) {
        const QString state = QString::fromLatin1(kStateNames[s]);
        for (const TopRow& row : top)
            ok = Save(TopButton(row.width, row.height, kStates[s], row.pictogram), folder,
                      QString::fromLatin1(row.name) + state + QStringLiteral(".png")) &&
                 ok;
        for (const CaptionRow& row : caption)
            ok = Save(CaptionButton(kStates[s], row.pictogram, row.danger), folder,
                      QString::fromLatin1(row.name) + state + QStringLiteral(".png")) &&
                 ok;
        ok = Save(MenuButton(kStates[s]), folder, QStringLiteral("menu") + state + QStringLiteral(".png")) &&
             ok;
    }
    if (argc == 3) {
        const QDir theme(QString::fromLocal8Bit(argv[2]));
        for (const int size : kIconSizes) {
            const QString folder = QStringLiteral("%1x%1/apps").arg(size);
            if (!theme.mkpath(folder)) {
                std::fprintf(stderr, "quillory-skingen: cannot create %s\n",
                             qPrintable(theme.filePath(folder)));
                ok = false;
                continue;
            }
            ok = Save(ProgramIcon(size), QDir(theme.filePath(folder)), QStringLiteral("quillory.png")) && ok;
        }
    }
    return ok ? 0 : 1;
}
