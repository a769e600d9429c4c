#include "ToolsUiSupport.h"

#include "app/ActivityLog.h"
#include "app/LanguageTexts.h"
#include "app/ui/Messages.h"
#include "sim/VirtualPrinter.h"
#include "support/ScriptedPrinter.h"
#include "support/TestEnvironment.h"
#include "tools/ui/ToolsDlg.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <map>

using namespace quillory;
using namespace quillory::test;

namespace {

class ToolsPageTest : public ::testing::Test {
protected:
    TempEnvironment env;
    CMessageCapture messages;

    void SetUp() override {
        InitUserSettings();
        WriteLanguage(LANGUAGE_ENGLISH);
    }
    static void PressAndWait(CToolsDlg& page, QPushButton* button) {
        ASSERT_TRUE(button->isEnabled());
        button->click();
        ASSERT_TRUE(WaitUntil([&] { return !page.IsBusy(); }));
    }
    static void PrintEntry(CToolsDlg& page, int row) {
        page.ControlAs<QListWidget>(CToolsDlg::IDC_LABEL_LIST)->setCurrentRow(row);
        PressAndWait(page, page.ControlAs<QPushButton>(CToolsDlg::IDC_PRINT));
    }
};

// What each button makes a printer of each language receive; a button without a row is disabled.
const std::map<int, std::map<int, QByteArray>>& ExpectedBytes() {
    static const std::map<int, std::map<int, QByteArray>> table{
        {INSTRUCTION_VKLZ,
         {{MAINT_SELF_TEST, "~WC\r\n"},
          {MAINT_FONT_LIST, "^XA^WD*:*.FNT^XZ\r\n"},
          {MAINT_GRAPHIC_LIST, "^XA^WD*:*.PNG^XZ\r\n"},
          {MAINT_FORM_LIST, "^XA^WD*:*.ZPL^XZ\r\n"},
          {MAINT_FEED, "~PH\r\n"},
          {MAINT_CALIBRATE, "~JC\r\n"},
          {MAINT_FACTORY_RESET, "^XZ^JUF^XZ\r\n"},
          {MAINT_RESTART, "~JR\r\n"},
          {MAINT_DUMP_ON, "~JD\r\n"},
          {MAINT_DUMP_OFF, "~JE\r\n"}}},
        {INSTRUCTION_VKLE,
         {{MAINT_SELF_TEST, "U\r\n"},
          {MAINT_FONT_LIST, "EI\r\n"},
          {MAINT_GRAPHIC_LIST, "GI\r\n"},
          {MAINT_FORM_LIST, "FI\r\n"},
          {MAINT_CALIBRATE, "xa\r\n"},
          {MAINT_FACTORY_RESET, "^default\r\n"},
          {MAINT_RESTART, "^@\r\n"},
          {MAINT_DUMP_ON, "dump\r\n"},
          {MAINT_AUTO_OFF, QByteArray("\0\r\n", 3)}}},
        {INSTRUCTION_VKLT,
         {{MAINT_SELF_TEST, "SELFTEST\r\n"},
          {MAINT_FEED, "\x1b!F\r\n"},
          {MAINT_CALIBRATE, "AUTODETECT\r\n"},
          {MAINT_FACTORY_RESET, "INITALPRINTER\r\n"},
          {MAINT_RESTART, "\x1b!R\r\n"},
          {MAINT_DUMP_ON, "\x1b!D \r\n"}}},
        {INSTRUCTION_VKLA,
         {{MAINT_SELF_TEST, "\x02Z\r\n"},
          {MAINT_FEED, "\x02"
                       "F\r\n"},
          {MAINT_CALIBRATE, "\x02JC\r\n"},
          {MAINT_RESTART, "\x01#\r\n"}}},
        {INSTRUCTION_VKLC,
         {{MAINT_SELF_TEST, "! U1 PRN-CONFIG-LIST\r\n"},
          {MAINT_FEED, "\x0c\r\n"},
          {MAINT_CALIBRATE, "! U1 MEDIA-CALIBRATE\r\n"},
          {MAINT_FACTORY_RESET, "RECOVER-FACTORY\r\n"},
          {MAINT_RESTART, "\r\n! U1 do \"device.reset\" \"\"\r\n\x1bh"},
          {MAINT_DUMP_ON, "\r\n! U1 do \"input.capture\" \"print\"\r\n\x1bh"},
          {MAINT_DUMP_OFF, "\r\n! U1 do \"input.capture\" \"off\"\r\n\x1bh"}}},
    };
    return table;
}

} // namespace

TEST_F(ToolsPageTest, EveryButtonOfEveryLanguageSendsItsOperation) {
    for (const auto& [instruction, expected] : ExpectedBytes()) {
        sim::VirtualPrinter printer(instruction);
        ASSERT_TRUE(printer.StartTcp(0));
        UseLoopbackPrinter(printer.TcpPort(), instruction);
        CToolsDlg page;
        page.PageShown();
        for (int op = 0; op < kMaintenanceCount; ++op) {
            const auto row = expected.find(op);
            QPushButton* button = page.OperationButton(op);
            EXPECT_EQ(button->isEnabled(), row != expected.end())
                << InstructionName(instruction).toStdString() << " operation " << op;
            if (row == expected.end())
                continue;
            printer.ClearLog();
            PressAndWait(page, button);
            ASSERT_TRUE(printer.WaitForBytes(row->second.size(), 5000));
            EXPECT_EQ(printer.ReceivedBytes(), row->second)
                << InstructionName(instruction).toStdString() << " operation " << op;
        }
    }
    // No success message for any of them.
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join('|').toStdString();
}

TEST_F(ToolsPageTest, AnUnknownLanguageIndexWorksAsVklc) {
    sim::VirtualPrinter printer(INSTRUCTION_VKLC);
    ASSERT_TRUE(printer.StartTcp(0));
    UseLoopbackPrinter(printer.TcpPort(), 7);
    CToolsDlg page;
    page.PageShown();
    EXPECT_TRUE(page.OperationButton(MAINT_DUMP_OFF)->isEnabled());
    EXPECT_FALSE(page.OperationButton(MAINT_FONT_LIST)->isEnabled());
    PressAndWait(page, page.OperationButton(MAINT_SELF_TEST));
    ASSERT_TRUE(printer.WaitForBytes(22, 5000));
    EXPECT_EQ(printer.ReceivedBytes(), "! U1 PRN-CONFIG-LIST\r\n");

    printer.ClearLog();
    PrintEntry(page, 10);
    const QByteArray sample = ReadFileBytes(BuildProgramFolder() + "/Sample/VKLC/Print_QR.dat");
    ASSERT_FALSE(sample.isEmpty());
    ASSERT_TRUE(printer.WaitForBytes(sample.size(), 5000));
    EXPECT_EQ(printer.ReceivedBytes(), sample);
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(ToolsPageTest, TestLabelsGoOutUnchangedInOneWrite) {
    const struct {
        int instruction;
        const char* action; // what the printer reports for a printed label; nullptr: not told
    } languages[] = {{INSTRUCTION_VKLZ, nullptr},
                     {INSTRUCTION_VKLE, "print"},
                     {INSTRUCTION_VKLT, "print"},
                     {INSTRUCTION_VKLA, "label"},
                     {INSTRUCTION_VKLC, nullptr}};
    for (const auto& language : languages) {
        sim::VirtualPrinter printer(language.instruction);
        ASSERT_TRUE(printer.StartTcp(0));
        UseLoopbackPrinter(printer.TcpPort(), language.instruction);
        CToolsDlg page;
        const QString folder =
            BuildProgramFolder() + "/Sample/" + InstructionName(language.instruction) + "/";
        for (int row = 0; row < int(kTestLabels.size()); ++row) {
            const QByteArray sample = ReadFileBytes(folder + kTestLabels[std::size_t(row)] + ".dat");
            ASSERT_FALSE(sample.isEmpty()) << kTestLabels[std::size_t(row)];
            printer.ClearLog();
            PrintEntry(page, row);
            ASSERT_TRUE(printer.WaitForBytes(sample.size(), 5000));
            EXPECT_EQ(printer.ReceivedBytes(), sample) << kTestLabels[std::size_t(row)];
            if (language.action) {
                EXPECT_TRUE(printer.Actions().contains(language.action))
                    << InstructionName(language.instruction).toStdString() << " "
                    << kTestLabels[std::size_t(row)];
            }
        }
        EXPECT_EQ(printer.ConnectionCount(), int(kTestLabels.size()));
    }
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(ToolsPageTest, MissingEmptyOrUnselectedSamples) {
    // This installation has only an empty text label.
    const QString samples = env.ProgramFolder() + "/Sample";
    ASSERT_TRUE(QFile::remove(samples));
    ASSERT_TRUE(QDir().mkpath(samples + "/VKLZ"));
    WriteFileBytes(samples + "/VKLZ/Print_Text.dat", {});
    WriteInstruction(INSTRUCTION_VKLZ);
    ScriptedPrinter printer;
    CToolsDlg page;

    // Nothing chosen: nothing happens.
    page.ControlAs<QPushButton>(CToolsDlg::IDC_PRINT)->click();
    ASSERT_TRUE(WaitUntil([&] { return !page.IsBusy(); }));
    EXPECT_EQ(printer.Connections(), 0);
    EXPECT_TRUE(messages.Texts().isEmpty());

    // A sample that is not there is said so, with its path and why; nothing goes out.
    PrintEntry(page, 1);
    EXPECT_EQ(printer.Connections(), 0);
    ASSERT_EQ(messages.Messages().size(), 1);
    EXPECT_EQ(messages.Texts()[0], GetMessageText("OpenFileFail", LANGUAGE_ENGLISH));
    EXPECT_TRUE(messages.Messages()[0].detail.contains("Print_Image.dat: no such file"))
        << messages.Messages()[0].detail.toStdString();
    messages.Clear();

    PrintEntry(page, 0);
    EXPECT_EQ(printer.Events(), (QStringList{"open", "timeouts 30 30", "write 0", "close"}));
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(ToolsPageTest, FailuresShowTheirMessage) {
    UseLoopbackPrinter(DeadPort(), INSTRUCTION_VKLT);
    CToolsDlg page;
    PressAndWait(page, page.OperationButton(MAINT_RESTART));
    PrintEntry(page, 0);
    const QString openFailed = GetMessageText("OpenPortError", LANGUAGE_ENGLISH);
    EXPECT_EQ(messages.Texts(), (QStringList{openFailed, openFailed}));
    // The page is usable again afterwards.
    EXPECT_TRUE(page.OperationButton(MAINT_RESTART)->isEnabled());
    EXPECT_TRUE(page.ControlAs<QPushButton>(CToolsDlg::IDC_PRINT)->isEnabled());
}

TEST_F(ToolsPageTest, EveryOutcomeReachesTheActivityLogAndOnlyFailuresOpenABox) {
    CActivityLog::Instance().Clear();
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    UseLoopbackPrinter(printer.TcpPort(), INSTRUCTION_VKLZ);
    const QString port = QStringLiteral("127.0.0.1:%1").arg(printer.TcpPort());
    CToolsDlg page;
    PressAndWait(page, page.OperationButton(MAINT_FEED));
    EXPECT_TRUE(messages.Texts().isEmpty()) << "the fed label shows it worked";
    ASSERT_EQ(CActivityLog::Instance().Count(), 1);
    ActivityEntry entry = CActivityLog::Instance().Entries()[0];
    EXPECT_EQ(entry.result, ActivityResult::Success);
    EXPECT_EQ(entry.operation, page.OperationButton(MAINT_FEED)->text());
    EXPECT_EQ(entry.port, port);
    EXPECT_EQ(entry.message, GetMessageText("CommandSent", LANGUAGE_ENGLISH));

    PrintEntry(page, 0);
    entry = CActivityLog::Instance().Entries().constLast();
    EXPECT_EQ(entry.result, ActivityResult::Success);
    EXPECT_EQ(entry.message, GetMessageText("LabelSent", LANGUAGE_ENGLISH));
    EXPECT_TRUE(entry.operation.endsWith(kTestLabels[0]));

    // A printer that turns every connection away.
    printer.SetFaults({.refuseConnections = true});
    PressAndWait(page, page.OperationButton(MAINT_FEED));
    ASSERT_EQ(messages.Texts().size(), 1);
    entry = CActivityLog::Instance().Entries().constLast();
    EXPECT_EQ(entry.result, ActivityResult::Failure);
    EXPECT_EQ(entry.port, port);
    EXPECT_EQ(entry.message, messages.Texts()[0]);
    EXPECT_NE(entry.message, GetMessageText("CommandSent", LANGUAGE_ENGLISH));
    // The box and the log say which port failed and why.
    EXPECT_TRUE(entry.detail.startsWith(port + ": ")) << entry.detail.toStdString();
    EXPECT_EQ(messages.Messages()[0].detail, entry.detail);
    EXPECT_EQ(CActivityLog::Instance().Count(), 3);

    // Nobody listens at all: the system's reason.
    const int dead = DeadPort();
    UseLoopbackPrinter(std::uint16_t(dead), INSTRUCTION_VKLZ);
    PressAndWait(page, page.OperationButton(MAINT_FEED));
    entry = CActivityLog::Instance().Entries().constLast();
    EXPECT_EQ(entry.result, ActivityResult::Failure);
    EXPECT_EQ(entry.detail, QStringLiteral("127.0.0.1:%1: Connection refused").arg(dead));
    CActivityLog::Instance().Clear();
}
