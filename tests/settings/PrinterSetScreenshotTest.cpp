// Pictures of the five print-settings screens, filled from the virtual printer, in every
// language, written to <build>/screenshots for a person to look at.
#include "app/ui/Messages.h"
#include "app/ui/PageFactory.h"
#include "settings/ui/PrinterSetDlgs.h"
#include "support/ScreenFixture.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

TEST(Screenshots, PrinterSettingsScreensInEveryLanguage) {
    const QString folder = ScreenshotFolder();
    for (int instruction = 0; instruction < 5; ++instruction) {
        PrinterWorld world(instruction);
        for (int language = 0; language < 3; ++language) {
            WriteLanguage(language);
            std::unique_ptr<CPrinterSetScreen> screen(
                qobject_cast<CPrinterSetScreen*>(CreatePrinterSetScreen(instruction, nullptr)));
            screen->ApplyLanguage(language);
            screen->resize(610, 470);
            screen->show();
            CMessageCapture messages;
            screen->ControlAs<QPushButton>(screen->Blueprint().readId)->click();
            ASSERT_TRUE(WaitUntil([&] { return !screen->IsBusy(); }));
            ASSERT_EQ(messages.Messages().size(), 1);
            QApplication::processEvents();
            // Everything fits the page rectangle of the main window.
            EXPECT_LE(screen->sizeHint().width(), 610) << instruction << kLanguageSuffixes[language];
            EXPECT_LE(screen->sizeHint().height(), 470) << kLanguageSuffixes[language];
            EXPECT_EQ(OverlappingControls(*screen), QStringList{})
                << instruction << kLanguageSuffixes[language];
            const QPixmap shot = screen->grab();
            ASSERT_FALSE(shot.isNull());
            EXPECT_TRUE(
                shot.save(QStringLiteral("%1/printer_settings_%2_%3.png")
                              .arg(folder, InstructionName(instruction), kLanguageSuffixes[language])));
        }
    }
}
