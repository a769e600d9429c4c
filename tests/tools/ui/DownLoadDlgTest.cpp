#include "ToolsUiSupport.h"

#include "app/LanguageTexts.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/Messages.h"
#include "app/ui/PageFactory.h"
#include "sim/VirtualPrinter.h"
#include "support/ScriptedPrinter.h"
#include "support/TestEnvironment.h"
#include "tools/ui/DownLoadDlg.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

tagPORTINFO Loopback(std::uint16_t port) {
    tagPORTINFO info = MakePortInfo(PORT_NET);
    SetPortText(info.netAddress, QStringLiteral("127.0.0.1"));
    info.netPort = port;
    return info;
}

class DownloadTest : public ::testing::Test {
protected:
    TempEnvironment env;
    QString answer;
    FileDialogHook previousDialogs;
    MessageHook previousMessages;
    QStringList shown;     // message texts
    QList<int> barAtShown; // the bar when each message came

    std::unique_ptr<CDownLoadDlg> dialog;

    void SetUp() override {
        InitUserSettings();
        WriteLanguage(LANGUAGE_ENGLISH);
        previousDialogs = SetFileDialogHook([this](const FileDialogRequest&) { return answer; });
        previousMessages = SetMessageHook([this](const ShownMessage& m) {
            shown << m.text;
            barAtShown << (dialog ? dialog->Progress()->value() : -1);
        });
    }
    void TearDown() override {
        dialog.reset();
        SetFileDialogHook(previousDialogs);
        SetMessageHook(previousMessages);
    }
    void Open(const tagPORTINFO& port) {
        dialog = std::make_unique<CDownLoadDlg>(LANGUAGE_ENGLISH, port);
        dialog->show();
    }
    QPushButton* Button(int id) const { return dialog->ControlAs<QPushButton>(id); }
    void Choose(const QString& path) {
        answer = path;
        Button(CDownLoadDlg::IDC_OPEN)->click();
    }
    void DownloadAndWait() {
        Button(CDownLoadDlg::IDC_DOWNLOAD)->click();
        ASSERT_TRUE(WaitUntil([&] { return !dialog->IsBusy(); }, 60000));
    }
    bool ButtonsEnabled() const {
        return Button(CDownLoadDlg::IDC_OPEN)->isEnabled() &&
               Button(CDownLoadDlg::IDC_DOWNLOAD)->isEnabled() &&
               Button(CDownLoadDlg::IDC_CLOSE)->isEnabled();
    }
};

} // namespace

TEST(DownloadProgress, TheLineSaysSentOfTotalRateAndTimeLeft) {
    const QString format = QStringLiteral("%1 of %2 MiB, %3 MiB/s, %4 left");
    EXPECT_EQ(TransferStatusText(format, 2 << 20, 8 << 20, 2000), "2.0 of 8.0 MiB, 1.0 MiB/s, 0:06 left");
    EXPECT_EQ(TransferStatusText(format, 1 << 20, 121 << 20, 1000), "1.0 of 121.0 MiB, 1.0 MiB/s, 2:00 left");
    EXPECT_EQ(TransferStatusText(format, 0, 1 << 20, 0), "0.0 of 1.0 MiB, 0.0 MiB/s, ? left");
    EXPECT_EQ(TransferStatusText(format, 3 << 20, -1, 1000), "3.0 of ? MiB, 3.0 MiB/s, ? left");
}

TEST_F(DownloadTest, ChoosingAndCancellingAFile) {
    Open(Loopback(1));
    EXPECT_FALSE(Button(CDownLoadDlg::IDC_DOWNLOAD)->isEnabled());
    Choose(env.Path("firmware.bin"));
    EXPECT_EQ(dialog->ControlAs<QLineEdit>(CDownLoadDlg::IDC_PATH)->text(), env.Path("firmware.bin"));
    EXPECT_TRUE(Button(CDownLoadDlg::IDC_DOWNLOAD)->isEnabled());
    // A cancelled choice leaves no file behind: nothing shown, nothing to download.
    Choose({});
    EXPECT_TRUE(dialog->Path().isEmpty());
    EXPECT_TRUE(dialog->ControlAs<QLineEdit>(CDownLoadDlg::IDC_PATH)->text().isEmpty());
    EXPECT_FALSE(Button(CDownLoadDlg::IDC_DOWNLOAD)->isEnabled());
}

TEST_F(DownloadTest, EmptyAndLargeFilesArriveUnchanged) {
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    Open(Loopback(printer.TcpPort()));
    QByteArray large(5 * 1024 * 1024 + 7, '\0');
    std::uint32_t state = 99;
    for (char& c : large) {
        state = state * 1664525u + 1013904223u;
        c = char(state >> 24);
    }
    const QString success = GetMessageText("DownloadSuccess", LANGUAGE_ENGLISH);
    int connections = 0;
    for (const QByteArray& content : {QByteArray(), large}) {
        printer.ClearLog();
        shown.clear();
        barAtShown.clear();
        const QString path = env.Path(QStringLiteral("upgrade-%1.bin").arg(content.size()));
        WriteFileBytes(path, content);
        Choose(path);
        DownloadAndWait();
        ASSERT_TRUE(printer.WaitForBytes(content.size(), 20000));
        EXPECT_TRUE(printer.ReceivedBytes() == content) << content.size();
        EXPECT_EQ(printer.ConnectionCount(), ++connections);
        EXPECT_EQ(shown, QStringList{success});
        EXPECT_EQ(barAtShown, QList<int>{CDownLoadDlg::kProgressSteps});
        EXPECT_EQ(dialog->Progress()->value(), 0);
        EXPECT_TRUE(ButtonsEnabled());
    }
}

TEST_F(DownloadTest, ARefusedConnectionEndsWithItsMessageAndTheButtonsBack) {
    Open(Loopback(DeadPort()));
    const QString path = env.Path("label.prn");
    WriteFileBytes(path, "^XA^FDx^FS^XZ\r\n");
    Choose(path);
    DownloadAndWait();
    EXPECT_EQ(shown, QStringList{GetMessageText("OpenPortError", LANGUAGE_ENGLISH)});
    EXPECT_EQ(barAtShown, QList<int>{0});
    EXPECT_TRUE(ButtonsEnabled());
}

TEST_F(DownloadTest, AnUnreadableFileSendsNothingAndSaysSo) {
    ScriptedPrinter printer;
    Open(Loopback(1));
    Choose(env.Path("gone.bin"));
    DownloadAndWait();
    EXPECT_EQ(printer.Connections(), 0);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(GetMessageText("OpenFileFail", LANGUAGE_ENGLISH)));
    EXPECT_TRUE(ButtonsEnabled());
}

TEST_F(DownloadTest, StaysOpenWhileTheFileIsOnItsWay) {
    QSemaphore release;
    CCommunicationFactory::SetConnectionMaker(
        [&](const tagPORTINFO&) { return std::make_unique<HeldConnection>(release); });
    std::unique_ptr<QDialog> made = CreateDownloadDialog(LANGUAGE_ENGLISH, Loopback(1), nullptr);
    ASSERT_NE(qobject_cast<CDownLoadDlg*>(made.get()), nullptr);
    made.reset();

    Open(Loopback(1));
    const QString path = env.Path("firmware.bin");
    WriteFileBytes(path, "firmware");
    Choose(path);
    Button(CDownLoadDlg::IDC_DOWNLOAD)->click();
    ASSERT_TRUE(dialog->IsBusy());
    EXPECT_FALSE(Button(CDownLoadDlg::IDC_OPEN)->isEnabled());
    EXPECT_FALSE(Button(CDownLoadDlg::IDC_DOWNLOAD)->isEnabled());
    EXPECT_FALSE(Button(CDownLoadDlg::IDC_CLOSE)->isEnabled());
    EXPECT_TRUE(Button(CDownLoadDlg::IDC_CANCEL)->isEnabled());
    dialog->reject();
    EXPECT_FALSE(dialog->close());
    EXPECT_TRUE(dialog->isVisible());

    release.release();
    ASSERT_TRUE(WaitUntil([&] { return !dialog->IsBusy(); }));
    EXPECT_EQ(shown, QStringList{GetMessageText("DownloadSuccess", LANGUAGE_ENGLISH)});
    CCommunicationFactory::SetConnectionMaker({});
    EXPECT_TRUE(dialog->close());
}

TEST_F(DownloadTest, ProgressFollowsTheBytesASlowPrinterTakesAndCancelStopsCleanly) {
    Open(Loopback(1));
    // Blocks go out one by one; the third is held until the test has looked at the bar.
    QSemaphore release;
    release.release(2);
    CCommunicationFactory::SetConnectionMaker(
        [&](const tagPORTINFO&) { return std::make_unique<HeldConnection>(release); });
    const QString path = env.Path("firmware.bin");
    WriteFileBytes(path, QByteArray(int(4 * kFileSendBlockBytes), 'f'));
    Choose(path);
    Button(CDownLoadDlg::IDC_DOWNLOAD)->click();
    ASSERT_TRUE(WaitUntil([&] { return dialog->Progress()->value() == CDownLoadDlg::kProgressSteps / 2; }));
    EXPECT_TRUE(dialog->StatusText().startsWith("2.0 of 4.0 MiB, ")) << dialog->StatusText().toStdString();
    EXPECT_TRUE(dialog->StatusText().endsWith(" left")) << dialog->StatusText().toStdString();

    Button(CDownLoadDlg::IDC_CANCEL)->click();
    release.release(); // the block in progress ends; no further block goes out
    ASSERT_TRUE(WaitUntil([&] { return !dialog->IsBusy(); }));
    CCommunicationFactory::SetConnectionMaker({});
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], GetMessageText("DownloadCancelled", LANGUAGE_ENGLISH).arg(3 * kFileSendBlockBytes));
    EXPECT_EQ(dialog->Progress()->value(), 0);
    EXPECT_TRUE(ButtonsEnabled());
    EXPECT_FALSE(Button(CDownLoadDlg::IDC_CANCEL)->isEnabled());
}

TEST_F(DownloadTest, AgainstASlowReadingPrinterTheBarMovesAndCancelLeavesTheRestUnsent) {
    sim::VirtualPrinter printer(INSTRUCTION_VKLZ);
    ASSERT_TRUE(printer.StartTcp(0));
    printer.SetLogInMemory(false);
    // 2 MiB a second: the 24 MiB file would take twelve seconds.
    printer.SetFaults({.readRate = 2 * 1024 * 1024});
    Open(Loopback(printer.TcpPort()));
    const QString path = env.Path("firmware.bin");
    WriteFileBytes(path, QByteArray(24 * 1024 * 1024, 'u'));
    Choose(path);
    Button(CDownLoadDlg::IDC_DOWNLOAD)->click();
    // Loopback buffers take the first megabytes at once; the bar then follows the printer.
    ASSERT_TRUE(WaitUntil([&] { return dialog->Progress()->value() > 0; }, 10000));
    const int early = dialog->Progress()->value();
    EXPECT_LT(early, CDownLoadDlg::kProgressSteps);
    EXPECT_TRUE(dialog->StatusText().contains(" of 24.0 MiB, ")) << dialog->StatusText().toStdString();
    Button(CDownLoadDlg::IDC_CANCEL)->click();
    ASSERT_TRUE(WaitUntil([&] { return !dialog->IsBusy(); }, 30000));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(GetMessageText("DownloadCancelled", LANGUAGE_ENGLISH).left(20)));
    EXPECT_TRUE(ButtonsEnabled());
    QThread::msleep(300);
    EXPECT_FALSE(printer.WaitForBytes(24 * 1024 * 1024, 500)) << "the rest of the file was not sent";
}
