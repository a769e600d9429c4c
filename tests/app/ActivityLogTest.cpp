#include "app/ActivityLog.h"

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

ActivityEntry Entry(const QString& operation, ActivityResult result = ActivityResult::Success) {
    return {QDateTime(QDate(2026, 5, 1), QTime(12, 0, 1)),
            QStringLiteral("Connection"),
            operation,
            QStringLiteral("127.0.0.1:9100"),
            result,
            QStringLiteral("Done."),
            QString()};
}

class ActivityLogTest : public ::testing::Test {
protected:
    void SetUp() override { CActivityLog::Instance().Clear(); }
    void TearDown() override { CActivityLog::Instance().Clear(); }
    TempEnvironment env;
};

} // namespace

TEST(ActivityLogFormat, PortsAreNamedAsAnOperatorKnowsThem) {
    tagPORTINFO com = MakePortInfo(PORT_COM);
    SetPortText(com.comName, "COM2");
    com.baudRate = 115200;
    com.dataBits = 7;
    com.stopBits = 2;
    com.parity = 2;
    EXPECT_EQ(DescribePort(com), "COM2 115200 7E2");
    com.stopBits = 1;
    com.parity = 9; // not a parity the lists know
    EXPECT_EQ(DescribePort(com), "COM2 115200 7?1.5");

    tagPORTINFO lpt = MakePortInfo(PORT_LPT);
    SetPortText(lpt.lptName, "LPT1");
    EXPECT_EQ(DescribePort(lpt), "LPT1");
    tagPORTINFO usb = MakePortInfo(PORT_USBCLASS);
    SetPortText(usb.usbClassName, "Label printer 200");
    EXPECT_EQ(DescribePort(usb), "Label printer 200");
    tagPORTINFO api = MakePortInfo(PORT_USBAPI);
    api.usbApiId = 1;
    EXPECT_EQ(DescribePort(api), "QXUSB-2");
    tagPORTINFO queue = MakePortInfo(PORT_DRIVER);
    SetPortText(queue.driverName, "Front desk, 2nd floor");
    EXPECT_EQ(DescribePort(queue), "Front desk, 2nd floor");
    tagPORTINFO net = MakePortInfo(PORT_NET);
    SetPortText(net.netAddress, "127.0.0.1");
    net.netPort = 9100;
    EXPECT_EQ(DescribePort(net), "127.0.0.1:9100");
    EXPECT_EQ(DescribePort(MakePortInfo(5)), "");
}

TEST(ActivityLogFormat, ALineHoldsEveryFieldAndTheDetailAfterTheMessage) {
    ActivityEntry entry = Entry("OK", ActivityResult::Failure);
    entry.message = "The port could not be opened.";
    entry.detail = "127.0.0.1:9100: connection refused";
    EXPECT_EQ(FormatActivityLine(entry, "Failed"),
              QString::fromUtf8("2026-05-01 12:00:01\tConnection\tOK\t127.0.0.1:9100\tFailed\t"
                                "The port could not be opened. \u2014 127.0.0.1:9100: connection refused"));
    // Line breaks and tabs inside a field cannot split the entry.
    entry.detail.clear();
    entry.message = "first\nsecond\tthird\r\nfourth";
    EXPECT_EQ(FormatActivityLine(entry, "Failed").count('\t'), 5);
    EXPECT_TRUE(FormatActivityLine(entry, "Failed").endsWith("first second third fourth"));
    EXPECT_EQ(MessageWithDetail("", "only the detail"), "only the detail");
}

TEST_F(ActivityLogTest, TheLogKeepsEveryEntryInOrderAndSavesThemWithTheLanguagesWords) {
    InitUserSettings();
    CActivityLog& log = CActivityLog::Instance();
    QList<ActivityEntry> seen;
    QObject receiver;
    QObject::connect(&log, &CActivityLog::entryAdded, &receiver, [&](const ActivityEntry& e) { seen << e; });
    log.Add(Entry("Read"));
    log.Add(Entry("Apply", ActivityResult::Failure));
    ASSERT_EQ(log.Count(), 2);
    EXPECT_EQ(seen.size(), 2);
    EXPECT_EQ(log.Entries()[1].operation, "Apply");

    const QString chinese = FormatActivityLog(log.Entries(), log.Dropped(), LANGUAGE_SIMPLIFIED_CHINESE);
    const QStringList lines = chinese.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(QString::fromUtf8("\t成功\t")));
    EXPECT_TRUE(lines[1].contains(QString::fromUtf8("\t失败\t")));
    EXPECT_TRUE(FormatActivityLog(log.Entries(), 0, LANGUAGE_ENGLISH).contains("\tFailed\t"));
    EXPECT_EQ(FormatActivityLog({}, 0, LANGUAGE_ENGLISH), "");
}

TEST_F(ActivityLogTest, ALongSessionKeepsTheNewestEntriesAndSaysHowManyWentAway) {
    InitUserSettings();
    CActivityLog& log = CActivityLog::Instance();
    for (qsizetype i = 0; i < CActivityLog::kMaxEntries + 3; ++i)
        log.Add(Entry(QString::number(i)));
    EXPECT_EQ(log.Count(), CActivityLog::kMaxEntries);
    EXPECT_EQ(log.Dropped(), 3);
    EXPECT_EQ(log.Entries().constFirst().operation, "3");
    const QString text = FormatActivityLog(log.Entries(), log.Dropped(), LANGUAGE_ENGLISH);
    EXPECT_TRUE(text.startsWith(GetMessageText("ActivityDropped", LANGUAGE_ENGLISH).arg(3) + '\n'));
    log.Clear();
    EXPECT_EQ(log.Count(), 0);
    EXPECT_EQ(log.Dropped(), 0);
}

TEST_F(ActivityLogTest, EntriesFromAWorkerThreadReachAReceiverOnItsOwnThread) {
    CActivityLog& log = CActivityLog::Instance();
    QThread* receivedOn = nullptr;
    QObject receiver;
    QObject::connect(&log, &CActivityLog::entryAdded, &receiver,
                     [&](const ActivityEntry&) { receivedOn = QThread::currentThread(); });
    QThread* worker = QThread::create([&] { log.Add(Entry("Search")); });
    worker->start();
    worker->wait();
    delete worker;
    for (int i = 0; i < 20 && !receivedOn; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(receivedOn, QThread::currentThread());
    EXPECT_EQ(log.Count(), 1);
}
