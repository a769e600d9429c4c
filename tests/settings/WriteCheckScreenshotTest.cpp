// Pictures of the questions before irreversible writes and of the messages after a checked write,
// in every language, for a person to look at (<build>/screenshots/write_check); the checks only make
// sure they are drawn.
#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/Messages.h"
#include "app/ui/PageFactory.h"
#include "app/ui/QtTranslations.h"
#include "controls/PaperNunberEditEx.h"
#include "instruction/BackupFiles.h"
#include "settings/ui/PrinterSetScreen.h"
#include "support/ScreenFixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

using namespace quillory;
using namespace quillory::test;

namespace {

void Save(QWidget& widget, const QString& name) {
    widget.show();
    QApplication::processEvents();
    const QPixmap shot = widget.grab();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(ScreenshotFolder(QStringLiteral("write_check")) + QLatin1Char('/') + name +
                          QStringLiteral(".png")));
    widget.hide();
}

// The box ShowMessage would show for a captured message.
void SaveMessage(const ShownMessage& message, const QString& name) {
    QMessageBox box(message.icon == MessageIcon::Information ? QMessageBox::Information
                                                             : QMessageBox::Warning,
                    QStringLiteral("Quillory"), message.text, QMessageBox::Ok);
    Save(box, name);
}

} // namespace

TEST(WriteCheckScreenshots, QuestionsAndCheckedWritesInEveryLanguage) {
    PrinterWorld world(INSTRUCTION_VKLZ);
    for (int language = 0; language < 3; ++language) {
        WriteLanguage(language);
        UseQtTranslations(language);
        const QString suffix = QString::fromLatin1(kLanguageSuffixes[language]);
        const QString time = BackupTimeText(QDateTime(QDate(2026, 12, 9), QTime(10, 15)));
        const struct {
            const char* name;
            Confirmation question;
        } questions[] = {
            {"confirm_eeprom_apply", {GetMessageText("ConfirmEepromApply", language), nullptr}},
            {"confirm_eeprom_restore",
             {FormatMessageText("ConfirmEepromRestore", language, {time}), nullptr}},
            {"confirm_factory_reset",
             {GetMessageText("ConfirmFactoryReset", language), nullptr, false, true}},
            {"confirm_upgrade",
             {FormatMessageText("ConfirmUpgrade", language, {"/home/op/firmware/VKLZ-2.1.bin"}), nullptr}},
            {"confirm_network_move",
             {FormatMessageText("NetworkMovesPrinter", language, {"192.168.1.200:9100", "192.168.1.50:9100"}),
              nullptr, true}},
        };
        for (const auto& q : questions) {
            const std::unique_ptr<QMessageBox> box(MakeConfirmationBox(q.question));
            EXPECT_EQ(box->defaultButton() == box->button(QMessageBox::Cancel), q.question.cancelIsDefault);
            Save(*box, QString::fromLatin1(q.name) + QLatin1Char('_') + suffix);
        }

        // The messages of a settings Apply that was verified, and of one the printer did not take
        // wholly.
        std::unique_ptr<CPrinterSetScreen> screen(
            qobject_cast<CPrinterSetScreen*>(CreatePrinterSetScreen(INSTRUCTION_VKLZ, nullptr)));
        screen->ApplyLanguage(language);
        CMessageCapture messages;
        const auto press = [&](int id) {
            screen->ControlAs<QPushButton>(id)->click();
            ASSERT_TRUE(WaitUntil([&] { return !screen->IsBusy(); }));
        };
        press(1574);
        screen->ControlAs<CPaperNunberEditEx>(1015)->SetValue(9);
        messages.Clear();
        press(1575);
        ASSERT_EQ(messages.Messages().size(), 1);
        EXPECT_TRUE(messages.Messages()[0].text.contains(GetMessageText("WriteVerified", language)));
        SaveMessage(messages.Messages()[0], "settings_verified_" + suffix);

        sim::Faults faults;
        faults.ignoreWrites = {0x12, 0x47};
        world.printer.SetFaults(faults);
        screen->ControlAs<CPaperNunberEditEx>(1015)->SetValue(4);
        screen->ControlAs<CPaperNunberEditEx>(1568)->SetValue(640);
        messages.Clear();
        press(1575);
        world.printer.SetFaults({});
        ASSERT_EQ(messages.Messages().size(), 1);
        EXPECT_EQ(messages.Messages()[0].icon, MessageIcon::Warning);
        SaveMessage(messages.Messages()[0], "settings_not_taken_" + suffix);
        // The screen with its Restore backup button, offered now that backups were kept.
        EXPECT_TRUE(screen->Control(kSettingsRestoreId)->isEnabled());
        screen->resize(760, 560);
        Save(*screen, "settings_screen_" + suffix);
    }
    UseQtTranslations(LANGUAGE_ENGLISH);
    WriteLanguage(LANGUAGE_ENGLISH);
}
