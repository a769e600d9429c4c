#include "app/AppSettings.h"
#include "app/ui/Messages.h"
#include "port/ui/COMSetDlg.h"
#include "port/ui/DriverSetDlg.h"
#include "port/ui/LPTSetDlg.h"
#include "port/ui/NetworkSetDlg.h"
#include "port/ui/PortControls.h"
#include "port/ui/PrinterSearch.h"
#include "port/ui/USBSetDlg.h"
#include "support/TestEnvironment.h"

#include "../FakePort.h"
#include "PortUiTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

using namespace quillory;
using namespace quillory::test;

namespace {

class SubPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitUserSettings();
        WriteLanguage(LANGUAGE_ENGLISH);
    }
    TempEnvironment env;
};

tagPORTINFO SerialInfo(const QString& name, int baud) {
    tagPORTINFO info = MakePortInfo(PORT_COM);
    SetPortText(info.comName, name);
    info.baudRate = baud;
    info.dataBits = 7;
    info.stopBits = 2;
    info.parity = 4;
    info.flowControl = 0;
    return info;
}

} // namespace

TEST_F(SubPageTest, SerialShowsAndBuildsTheSavedDescription) {
    CCOMSetDlg page;
    page.ApplyLanguage(LANGUAGE_ENGLISH);
    auto* baud = page.ControlAs<QComboBox>(CCOMSetDlg::IDC_BAUD);
    page.ShowPortInfo(SerialInfo("COM3", 115200));
    EXPECT_EQ(baud->currentIndex(), 7);
    EXPECT_EQ(page.BuildPortInfo(), SerialInfo("COM3", 115200));

    // A rate the list does not offer leaves the choice as it was.
    page.ShowPortInfo(SerialInfo("COM3", 14400));
    EXPECT_EQ(baud->currentIndex(), 7);

    // A saved port that is not attached now joins the list, so confirming keeps it.
    page.ShowPortInfo(SerialInfo("ttyUSB7", 9600));
    EXPECT_EQ(PortText(page.BuildPortInfo().comName), "ttyUSB7");
    EXPECT_EQ(page.BuildPortInfo().baudRate, 9600);
}

TEST_F(SubPageTest, SerialNameTypedWithoutAListChoiceIsSavedEmpty) {
    CCOMSetDlg page;
    page.ApplyLanguage(LANGUAGE_ENGLISH);
    auto* name = page.ControlAs<CChoiceCombo>(CCOMSetDlg::IDC_NAME);
    ASSERT_GE(name->count(), 8);
    EXPECT_EQ(name->itemText(7), "COM8");
    EXPECT_EQ(PortText(page.BuildPortInfo().comName), "COM1");

    name->lineEdit()->clear();
    QTest::keyClicks(name->lineEdit(), "ttyACM0");
    EXPECT_EQ(PortText(page.BuildPortInfo().comName), "");

    name->setCurrentIndex(2);
    EXPECT_EQ(PortText(page.BuildPortInfo().comName), "COM3");
    // Editing the chosen name is typing too.
    QTest::keyClick(name->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(PortText(page.BuildPortInfo().comName), "");
}

TEST_F(SubPageTest, SerialChoicesSurviveTheTextsBeingAppliedAgain) {
    CCOMSetDlg page;
    page.ApplyLanguage(LANGUAGE_ENGLISH);
    page.ShowPortInfo(SerialInfo("COM5", 57600));
    const tagPORTINFO before = page.BuildPortInfo();
    page.ApplyLanguage(LANGUAGE_SIMPLIFIED_CHINESE);
    EXPECT_EQ(page.BuildPortInfo(), before);
    EXPECT_EQ(page.ControlAs<QComboBox>(CCOMSetDlg::IDC_PARITY)->currentText(), QString::fromUtf8("空格"));
}

TEST_F(SubPageTest, ParallelNameIsTakenAsTypedAndCutToTheField) {
    CLPTSetDlg page;
    auto* name = page.ControlAs<QComboBox>(CLPTSetDlg::IDC_NAME);
    EXPECT_EQ(PortText(page.BuildPortInfo().lptName), "LPT1");
    name->lineEdit()->clear();
    QTest::keyClicks(name->lineEdit(), "usb/lp0");
    const tagPORTINFO info = page.BuildPortInfo();
    EXPECT_EQ(info.portType, PORT_LPT);
    EXPECT_EQ(PortText(info.lptName), "usb/lp0");

    tagPORTINFO saved = MakePortInfo(PORT_LPT);
    SetPortText(saved.lptName, "LPT4");
    page.ShowPortInfo(saved);
    EXPECT_EQ(page.BuildPortInfo(), saved);
    name->setEditText(QString(40, 'p'));
    EXPECT_EQ(PortText(page.BuildPortInfo().lptName).size(), 19);
}

TEST_F(SubPageTest, UsbListsUsbApiPrintersWhenNoClassPrinterIsAttached) {
    FakePortScope fake;
    fake.world->usbApiCount = 2;
    CUSBSetDlg page;
    auto* list = page.ControlAs<QComboBox>(CUSBSetDlg::IDC_PRINTERS);
    page.FillListIfEmpty();
    ASSERT_EQ(ItemTexts(list), QStringList({"QXUSB-1", "QXUSB-2"}));
    EXPECT_EQ(list->currentIndex(), 0);
    list->setCurrentIndex(1);
    const tagPORTINFO info = page.BuildPortInfo();
    EXPECT_EQ(info.portType, PORT_USBAPI);
    EXPECT_EQ(info.usbApiId, 1);
    EXPECT_EQ(info, [] {
        tagPORTINFO expected = MakePortInfo(PORT_USBAPI);
        expected.usbApiId = 1;
        return expected;
    }());

    // The list is not asked again while it has entries; dropping it down always asks.
    page.FillListIfEmpty();
    EXPECT_EQ(fake.world->Calls().count("count"), 1);
    fake.world->usbClassNames = {"A", "B"};
    list->showPopup();
    list->hidePopup();
    EXPECT_EQ(ItemTexts(list), QStringList({"A", "B"}));
    EXPECT_EQ(page.BuildPortInfo().portType, PORT_USBCLASS);
    EXPECT_EQ(PortText(page.BuildPortInfo().usbClassName), "A");
}

TEST_F(SubPageTest, UsbBuildsWhatItShowsBeforeAnyListing) {
    CUSBSetDlg page;
    tagPORTINFO api = MakePortInfo(PORT_USBAPI);
    api.usbApiId = 1;
    page.ShowPortInfo(api);
    EXPECT_EQ(page.ControlAs<QComboBox>(CUSBSetDlg::IDC_PRINTERS)->currentText(), "QXUSB-2");
    EXPECT_EQ(page.BuildPortInfo(), api)
        << "the second printer stays the second, though it is the only entry";

    tagPORTINFO usbClass = MakePortInfo(PORT_USBCLASS);
    SetPortText(usbClass.usbClassName, "QL-200 Label");
    page.ShowPortInfo(usbClass);
    EXPECT_EQ(page.BuildPortInfo(), usbClass);

    CUSBSetDlg fresh;
    EXPECT_EQ(fresh.BuildPortInfo(), MakePortInfo(PORT_USBCLASS));
}

TEST_F(SubPageTest, NetworkSearchListsBothRoundsAndFreesTheAddressBox) {
    FakePortScope fake;
    fake.world->mode2Addresses = {"10.0.0.5"};
    fake.world->mode3Addresses = {"10.0.0.6"};
    CNetworkSetDlg page;
    auto* search = page.ControlAs<QPushButton>(CNetworkSetDlg::IDC_SEARCH);
    auto* bar = page.ControlAs<QProgressBar>(CNetworkSetDlg::IDC_PROGRESS);
    page.show();
    search->click();
    EXPECT_FALSE(search->isEnabled());
    EXPECT_TRUE(bar->isVisible());
    ASSERT_TRUE(WaitUntil([&] { return !page.PrinterSearch().IsRunning(); }));
    auto* address = page.ControlAs<QComboBox>(CNetworkSetDlg::IDC_ADDRESS);
    EXPECT_EQ(ItemTexts(address), QStringList({"10.0.0.5", "10.0.0.6"}));
    EXPECT_EQ(address->currentIndex(), 0);
    EXPECT_TRUE(address->isEnabled());
    EXPECT_TRUE(search->isEnabled());
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(fake.world->Calls(), QStringList({"search 2", "close", "search 3", "close"}));
}

TEST_F(SubPageTest, SearchFailureIsShownInTheLanguageHeldAtItsStart) {
    FakePortScope fake;
    fake.world->searchError = COMM_FAILED;
    CMessageCapture messages;
    CNetworkSetDlg page;
    page.PrinterSearch().Start(LANGUAGE_SIMPLIFIED_CHINESE, &page);
    WriteLanguage(LANGUAGE_ENGLISH);
    ASSERT_TRUE(WaitUntil([&] { return !page.PrinterSearch().IsRunning(); }));
    EXPECT_EQ(messages.Texts(),
              QStringList({GetMessageText("CommunicationFail", LANGUAGE_SIMPLIFIED_CHINESE)}));
    EXPECT_FALSE(fake.world->Calls().contains("search 3")) << "a failed round ends the search";
    EXPECT_TRUE(page.Control(CNetworkSetDlg::IDC_ADDRESS)->isEnabled());
}

TEST_F(SubPageTest, ProgressClimbsByFivePerTickAndRestsAtNinetyFive) {
    FakePortScope fake;
    QSemaphore gate;
    fake.world->searchGate = &gate;
    QProgressBar bar;
    CPrinterSearch search(&bar);
    ASSERT_TRUE(search.Start(LANGUAGE_ENGLISH, nullptr));
    EXPECT_EQ(search.Timer().interval(), 1300);
    int ticks = 0;
    while (search.Timer().isActive() && ticks < 100) {
        search.Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 19);
    EXPECT_EQ(bar.value(), 95);
    gate.release(2);
    ASSERT_TRUE(WaitUntil([&] { return !search.IsRunning(); }));
}

TEST_F(SubPageTest, DriverBuildsAQueueOrAChosenNetworkAddress) {
    NoPrintService noPrintService;
    CDriverSetDlg page;
    page.ApplyLanguage(LANGUAGE_ENGLISH);
    EXPECT_TRUE(page.ControlAs<QRadioButton>(CDriverSetDlg::IDC_LOCAL)->isChecked());
    // Without a print service there is nothing to list, and nothing to complain about.
    page.FillListIfEmpty();
    EXPECT_EQ(page.ControlAs<QComboBox>(CDriverSetDlg::IDC_PRINTERS)->count(), 0);
    EXPECT_EQ(page.BuildPortInfo(), MakePortInfo(PORT_DRIVER));
    tagPORTINFO queue = MakePortInfo(PORT_DRIVER);
    SetPortText(queue.driverName, "Label, front desk");
    page.ShowPortInfo(queue);
    EXPECT_EQ(page.BuildPortInfo(), queue);

    page.ControlAs<QRadioButton>(CDriverSetDlg::IDC_NETWORK)->click();
    EXPECT_TRUE(page.Control(CDriverSetDlg::IDC_SEARCH)->isVisibleTo(&page));
    EXPECT_FALSE(page.Control(CDriverSetDlg::IDC_PRINTERS)->isVisibleTo(&page));
    auto* address = page.ControlAs<CChoiceCombo>(CDriverSetDlg::IDC_ADDRESS);
    EXPECT_TRUE(address->isEnabled()) << "an address can be typed before any search";
    QTest::keyClicks(address->lineEdit(), "192.0.2.9");
    page.ControlAs<QSpinBox>(CDriverSetDlg::IDC_PORT)->setValue(9101);
    tagPORTINFO net = page.BuildPortInfo();
    EXPECT_EQ(net.portType, PORT_NET);
    EXPECT_EQ(PortText(net.netAddress), "192.0.2.9") << "a typed address counts as a found one";
    EXPECT_EQ(net.netPort, 9101);

    // A saved NET description (driver mode) is shown in network mode.
    SetPortText(net.netAddress, "192.0.2.9");
    CDriverSetDlg other;
    other.ShowPortInfo(net);
    EXPECT_TRUE(other.ControlAs<QRadioButton>(CDriverSetDlg::IDC_NETWORK)->isChecked());
    EXPECT_EQ(other.BuildPortInfo(), net);
}

TEST_F(SubPageTest, InstallStartsTheSetupProgramWithoutArgumentsAndAMissingOneIsReported) {
    // A Driver folder of this test's own, with a Setup that records how it was started.
    const QString driver = env.ProgramFolder() + "/Driver";
    QFile::remove(driver);
    QDir().mkpath(driver);
    const QString record = env.Path("setup.args");
    WriteFileBytes(driver + "/Setup",
                   "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$PWD\" > '" + record.toUtf8() + "'\n");
    QFile::setPermissions(driver + "/Setup", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    CMessageCapture messages;
    CDriverSetDlg page;
    page.ControlAs<QPushButton>(CDriverSetDlg::IDC_INSTALL)->click();
    ASSERT_TRUE(WaitUntil([&] { return !ReadFileBytes(record).isEmpty(); }));
    EXPECT_EQ(ReadFileBytes(record), "0|" + QDir(driver).canonicalPath().toUtf8() + "\n");

    page.ControlAs<QPushButton>(CDriverSetDlg::IDC_UNINSTALL)->click();
    EXPECT_EQ(messages.Texts(), QStringList({GetMessageText("DriverSetupError", LANGUAGE_ENGLISH)}));
    EXPECT_FALSE(messages.Texts().value(0).isEmpty());
}

TEST_F(SubPageTest, DriverRefusesASecondSearchWhileOneRuns) {
    FakePortScope fake;
    QSemaphore gate;
    fake.world->searchGate = &gate;
    fake.world->mode2Addresses = {"10.0.0.5"};
    CDriverSetDlg page;
    EXPECT_TRUE(page.Search());
    EXPECT_FALSE(page.Search());
    gate.release(2);
    ASSERT_TRUE(WaitUntil([&] { return !page.PrinterSearch().IsRunning(); }));
    EXPECT_EQ(fake.world->Calls().count("search 2"), 1);
    EXPECT_EQ(ItemTexts(page.ControlAs<QComboBox>(CDriverSetDlg::IDC_ADDRESS)), QStringList({"10.0.0.5"}));
}

TEST_F(SubPageTest, LeavingWhileASearchRunsIsSafe) {
    FakePortScope fake;
    QSemaphore gate;
    fake.world->searchGate = &gate;
    fake.world->mode2Addresses = {"10.0.0.5"};
    for (int kind = 0; kind < 2; ++kind) {
        std::unique_ptr<CPortSubPage> page;
        if (kind == 0) {
            auto* net = new CNetworkSetDlg;
            net->Search();
            page.reset(net);
        } else {
            auto* driver = new CDriverSetDlg;
            driver->Search();
            page.reset(driver);
        }
        // The round ends while the sub-page is being destroyed; its result goes nowhere.
        std::thread releaser([&gate] {
            QThread::msleep(50);
            gate.release();
        });
        page.reset();
        releaser.join();
        Settle();
    }
}
