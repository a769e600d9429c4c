// Questions before what cannot be undone: a factory reset (Cancel the default), an upgrade, and a
// network change that moves the printer away from the saved port.
#include "ToolsUiSupport.h"

#include "app/LanguageTexts.h"
#include "controls/PaperNunberEditEx.h"
#include "sim/VirtualPrinter.h"
#include "support/ScreenFixture.h"
#include "tools/ui/DownLoadDlg.h"
#include "tools/ui/IpAddressEdit.h"
#include "tools/ui/NetworkDlg.h"
#include "tools/ui/ToolsDlg.h"

#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

QString Text(const char* key) {
    return GetMessageText(key, LANGUAGE_ENGLISH);
}

} // namespace

TEST(Confirmations, FactoryResetAsksWithCancelAsTheDefault) {
    PrinterWorld world(INSTRUCTION_VKLZ);
    CToolsDlg page;
    auto* reset = page.ControlAs<QPushButton>(int(CToolsDlg::IDC_FIRST_OPERATION) + int(MAINT_FACTORY_RESET));
    {
        ConfirmationAnswer answer(ConfirmAnswer::Cancel);
        reset->click();
        ASSERT_EQ(answer.questions.size(), 1);
        EXPECT_EQ(answer.questions[0].text, Text("ConfirmFactoryReset"));
        EXPECT_TRUE(answer.questions[0].cancelIsDefault);
        EXPECT_FALSE(page.IsBusy());
    }
    QThread::msleep(50);
    EXPECT_TRUE(world.printer.ReceivedBytes().isEmpty());
    {
        ConfirmationAnswer answer(ConfirmAnswer::Confirm);
        reset->click();
        ASSERT_TRUE(WaitUntil([&] { return !page.IsBusy(); }));
    }
    EXPECT_TRUE(world.printer.WaitForBytes(1, 5000));
    EXPECT_TRUE(world.printer.ReceivedBytes().contains("^JUF"));
    // The other operations ask nothing.
    world.printer.ClearLog();
    ConfirmationAnswer answer(ConfirmAnswer::Cancel);
    page.ControlAs<QPushButton>(int(CToolsDlg::IDC_FIRST_OPERATION) + int(MAINT_FEED))->click();
    ASSERT_TRUE(WaitUntil([&] { return !page.IsBusy(); }));
    EXPECT_TRUE(answer.questions.isEmpty());
    EXPECT_TRUE(world.printer.WaitForBytes(1, 5000));
}

TEST(Confirmations, UpgradeAsksBeforeTheFileGoesOut) {
    PrinterWorld world(INSTRUCTION_VKLZ);
    const QString file = world.env.Path("firmware.bin");
    WriteFileBytes(file, QByteArray(4096, 'F'));
    const FileDialogAnswer chosen(file);
    CMessageCapture messages;
    CDownLoadDlg dialog(LANGUAGE_ENGLISH, ReadPortInfo());
    dialog.ControlAs<QPushButton>(CDownLoadDlg::IDC_OPEN)->click();
    {
        ConfirmationAnswer answer(ConfirmAnswer::Cancel);
        dialog.ControlAs<QPushButton>(CDownLoadDlg::IDC_DOWNLOAD)->click();
        ASSERT_EQ(answer.questions.size(), 1);
        EXPECT_EQ(answer.questions[0].text,
                  FormatMessageText("ConfirmUpgrade", LANGUAGE_ENGLISH, {QDir::toNativeSeparators(file)}));
    }
    QThread::msleep(50);
    EXPECT_TRUE(world.printer.ReceivedBytes().isEmpty());
    EXPECT_TRUE(messages.Texts().isEmpty());
    ConfirmationAnswer answer(ConfirmAnswer::Confirm);
    dialog.ControlAs<QPushButton>(CDownLoadDlg::IDC_DOWNLOAD)->click();
    ASSERT_TRUE(WaitUntil([&] { return !dialog.IsBusy(); }, 30000));
    EXPECT_TRUE(world.printer.WaitForBytes(4096, 5000));
}

TEST(Confirmations, ANetworkChangeThatMovesThePrinterOffersToFollowIt) {
    PrinterWorld world(INSTRUCTION_VKLZ);
    const tagPORTINFO saved = ReadPortInfo();
    CMessageCapture messages;
    CNetworkDlg page;
    page.ApplyLanguage(LANGUAGE_ENGLISH);
    page.ControlAs<QRadioButton>(CNetworkDlg::IDC_DHCP_OFF)->setChecked(true);
    const auto apply = [&] {
        page.ControlAs<QPushButton>(CNetworkDlg::IDC_APPLY)->click();
        ASSERT_TRUE(WaitUntil([&] { return !page.IsBusy(); }));
    };

    // Same address and TCP port: nothing to ask.
    page.ControlAs<CIpAddressEdit>(CNetworkDlg::IDC_IP)->SetAddress({127, 0, 0, 1});
    page.ControlAs<CPaperNunberEditEx>(CNetworkDlg::IDC_PORT)->SetValue(saved.netPort);
    {
        ConfirmationAnswer answer(ConfirmAnswer::Cancel);
        apply();
        EXPECT_TRUE(answer.questions.isEmpty());
    }
    EXPECT_EQ(messages.Texts(), QStringList{Text("RebootEffective")});

    // Another address: said, and Cancel sends nothing.
    page.ControlAs<CIpAddressEdit>(CNetworkDlg::IDC_IP)->SetAddress({127, 0, 0, 2});
    page.ControlAs<CPaperNunberEditEx>(CNetworkDlg::IDC_PORT)->SetValue(9101);
    const QString from = QStringLiteral("127.0.0.1:%1").arg(saved.netPort);
    world.printer.ClearLog();
    {
        ConfirmationAnswer answer(ConfirmAnswer::Cancel);
        apply();
        ASSERT_EQ(answer.questions.size(), 1);
        EXPECT_EQ(answer.questions[0].text,
                  FormatMessageText("NetworkMovesPrinter", LANGUAGE_ENGLISH, {from, "127.0.0.2:9101"}));
        EXPECT_TRUE(answer.questions[0].withDecline);
    }
    QThread::msleep(50);
    EXPECT_TRUE(world.printer.ReceivedBytes().isEmpty());

    // No: the frames go out, the saved port stays.
    {
        ConfirmationAnswer answer(ConfirmAnswer::Decline);
        apply();
    }
    EXPECT_TRUE(world.printer.WaitForBytes(1, 5000));
    EXPECT_EQ(PortText(ReadPortInfo().netAddress), "127.0.0.1");

    // Yes: the saved port follows the printer once the frames were sent.
    {
        ConfirmationAnswer answer(ConfirmAnswer::Confirm);
        apply();
    }
    const tagPORTINFO now = ReadPortInfo();
    EXPECT_EQ(PortText(now.netAddress), "127.0.0.2");
    EXPECT_EQ(now.netPort, 9101);
}
