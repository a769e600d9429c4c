// The EEPROM screen asks before it writes, reads back what it wrote, and restores any kept backup.
#include "EepromScreenTestSupport.h"
#include "app/ui/BackupChooser.h"
#include "eeprom/EepromDiff.h"
#include "instruction/BackupFiles.h"

#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

constexpr int kEntry = 19; // a number entry of the VKLZ pages
constexpr int kApply = 1371;
constexpr int kRead = 1370;
constexpr int kRestore = 1374;

int PrinterValue(const sim::VirtualPrinter& printer, int entry) {
    const BitParameter& p = BitParameters(INSTRUCTION_VKLZ)[std::size_t(entry)];
    return int(DecodeBits(printer.EepromWord(p.address), p.first, p.last));
}

// Chooses among the kept backups while it lives, and keeps what it was offered.
class BackupChoice {
public:
    explicit BackupChoice(int index) {
        m_previous = SetBackupChooserHook([this, index](const QStringList& choices) {
            offered = choices;
            return index;
        });
    }
    ~BackupChoice() { SetBackupChooserHook(std::move(m_previous)); }
    QStringList offered;

private:
    BackupChooserHook m_previous;
};

} // namespace

TEST(EepromWriteCheck, ApplyAsksFirstAndCancelSendsNothing) {
    PrinterWorld world(INSTRUCTION_VKLZ);
    auto screen = MakeEepromScreen(INSTRUCTION_VKLZ);
    CMessageCapture messages;
    Press(*screen, kRead);
    SetNumber(*screen, kEntry, 150);
    world.printer.ClearLog();
    messages.Clear();
    const int connections = world.printer.ConnectionCount();
    {
        ConfirmationAnswer answer(ConfirmAnswer::Cancel);
        Press(*screen, kApply);
        ASSERT_EQ(answer.questions.size(), 1);
        EXPECT_EQ(answer.questions[0].text, Message("ConfirmEepromApply"));
        EXPECT_FALSE(answer.questions[0].cancelIsDefault);
    }
    QThread::msleep(50);
    EXPECT_EQ(world.printer.ConnectionCount(), connections);
    EXPECT_TRUE(world.printer.ReceivedBytes().isEmpty());
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST(EepromWriteCheck, AValueThePrinterDoesNotTakeIsListedWithBothValues) {
    PrinterWorld world(INSTRUCTION_VKLZ);
    auto screen = MakeEepromScreen(INSTRUCTION_VKLZ);
    CMessageCapture messages;
    Press(*screen, kRead);
    const BitParameter& p = BitParameters(INSTRUCTION_VKLZ)[kEntry];
    const int before = PrinterValue(world.printer, kEntry);
    ASSERT_NE(before, 150);
    sim::Faults faults;
    faults.ignoreWrites = {p.address};
    world.printer.SetFaults(faults);
    SetNumber(*screen, kEntry, 150);
    messages.Clear();
    Press(*screen, kApply);
    ASSERT_EQ(messages.Messages().size(), 1);
    const ShownMessage& shown = messages.Messages()[0];
    EXPECT_EQ(shown.icon, MessageIcon::Warning);
    EXPECT_TRUE(shown.text.contains(Message("WriteNotTaken").section("%1", 0, 0)))
        << shown.text.toStdString();
    const QString key = EepromParameterKey(INSTRUCTION_VKLZ, kEntry);
    EXPECT_TRUE(shown.text.contains(key)) << shown.text.toStdString();
    EXPECT_TRUE(shown.text.contains(QStringLiteral("written 150, the printer holds %1").arg(before)))
        << shown.text.toStdString();
    EXPECT_FALSE(shown.text.contains(Message("WriteVerified")));
}

TEST(EepromWriteCheck, RestoreChoosesAmongTheKeptBackupsByTime) {
    PrinterWorld world(INSTRUCTION_VKLZ);
    auto screen = MakeEepromScreen(INSTRUCTION_VKLZ);
    CMessageCapture messages;
    Press(*screen, kRead);
    const int first = PrinterValue(world.printer, kEntry);
    const QString newest = screen->Instruction().BackupFilePath();
    // The first backup was taken a while ago; the printer changed since and is read again.
    {
        QFile file(newest);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
    }
    SetNumber(*screen, kEntry, 150);
    Press(*screen, kApply);
    Press(*screen, kRead);
    ASSERT_EQ(PrinterValue(world.printer, kEntry), 150);
    const std::vector<BackupEntry> kept = ListBackups(newest);
    ASSERT_EQ(kept.size(), 2u);

    messages.Clear();
    BackupChoice choice(1);
    ConfirmationAnswer answer(ConfirmAnswer::Confirm);
    Press(*screen, kRestore);
    EXPECT_EQ(choice.offered, BackupChoiceTexts(kept, LANGUAGE_ENGLISH));
    EXPECT_TRUE(choice.offered[0].endsWith("(newest)"));
    ASSERT_EQ(answer.questions.size(), 1);
    EXPECT_EQ(answer.questions[0].text,
              FormatMessageText("ConfirmEepromRestore", LANGUAGE_ENGLISH, {BackupTimeText(kept[1].time)}));
    EXPECT_EQ(PrinterValue(world.printer, kEntry), first);
    EXPECT_EQ(messages.Texts(), QStringList{Message("RebootEffective") + "\n" + Message("WriteVerified")});
}
