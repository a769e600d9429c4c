// Pictures of every page of the five EEPROM screens, filled from the virtual printer, in every
// language, written to <build>/screenshots for a person to look at.
#include "EepromScreenTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

using namespace quillory;
using namespace quillory::test;

TEST(Screenshots, EepromPagesInEveryLanguage) {
    const QString folder = ScreenshotFolder();
    for (int instruction = 0; instruction < 5; ++instruction) {
        PrinterWorld world(instruction);
        for (int language = 0; language < 3; ++language) {
            WriteLanguage(language);
            std::unique_ptr<CEepromScreen> screen(
                qobject_cast<CEepromScreen*>(CreateEepromScreen(instruction, nullptr)));
            screen->ApplyLanguage(language);
            screen->resize(610, 470);
            screen->show();
            CMessageCapture messages;
            screen->ControlAs<QPushButton>(screen->Blueprint().readId)->click();
            ASSERT_TRUE(WaitUntil([&] { return !screen->IsBusy(); }, 30000));
            ASSERT_EQ(messages.Messages().size(), 1);
            for (int tab = 0; tab < screen->Tabs()->count(); ++tab) {
                screen->Tabs()->setCurrentIndex(tab);
                QApplication::processEvents();
                // Everything fits the page rectangle of the main window.
                EXPECT_LE(screen->sizeHint().width(), 610) << instruction << kLanguageSuffixes[language];
                EXPECT_LE(screen->sizeHint().height(), 470) << kLanguageSuffixes[language];
                EXPECT_EQ(OverlappingControls(*screen->Tabs()->Pages()[std::size_t(tab)]), QStringList{})
                    << instruction << " page " << tab + 1 << " " << kLanguageSuffixes[language];
                EXPECT_EQ(OverlappingControls(*screen), QStringList{});
                const QPixmap shot = screen->grab();
                ASSERT_FALSE(shot.isNull());
                EXPECT_TRUE(shot.save(QStringLiteral("%1/eeprom_%2_page%3_%4.png")
                                          .arg(folder, InstructionName(instruction))
                                          .arg(tab + 1)
                                          .arg(kLanguageSuffixes[language])));
            }
        }
    }
}
