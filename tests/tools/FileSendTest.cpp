#include "tools/FileSend.h"
#include "port/Communication.h"
#include "support/TestEnvironment.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace quillory;

namespace {

// Records what the send does with its connection; fails where told to.
struct Script {
    std::vector<std::string> calls;
    QByteArray written;
    std::vector<tagPORTINFO> ports;
    std::string failAt; // "Open", "SetTimeouts", "Write" or "Close"
};

class RecordingConnection final : public CCommunicationProtocol {
public:
    explicit RecordingConnection(Script& script) : m_script(script) {}
    void Open(tagPORTINFO info) override {
        m_script.ports.push_back(info);
        Step("Open");
    }
    void Read(std::uint8_t*, int, int* count) override {
        *count = 0;
        Step("Read");
    }
    void Write(const std::uint8_t* data, int length, int* count) override {
        m_script.written.append(reinterpret_cast<const char*>(data), length);
        Step("Write " + std::to_string(length));
        *count = length;
    }
    void SetTimeouts(int read, int write) override {
        Step("SetTimeouts " + std::to_string(read) + "," + std::to_string(write));
    }
    void Close() override { Step("Close"); }

private:
    void Step(const std::string& call) {
        m_script.calls.push_back(call);
        if (call.rfind(m_script.failAt, 0) == 0 && !m_script.failAt.empty()) {
            m_script.failAt.clear(); // a second Close in the failure path succeeds
            throw CommunicationException(call.rfind("Open", 0) == 0 ? COMM_OPEN_FAILED : COMM_FAILED,
                                         QStringLiteral("scripted %1").arg(QString::fromStdString(call)));
        }
    }
    Script& m_script;
};

// The calls up to the first Close after the last other call (the factory closes once more when it
// goes, which the interface allows).
std::vector<std::string> Calls(const Script& script) {
    std::vector<std::string> calls = script.calls;
    while (calls.size() >= 2 && calls.back() == "Close" && calls[calls.size() - 2] == "Close")
        calls.pop_back();
    return calls;
}

class FileSend : public ::testing::Test {
protected:
    void SetUp() override {
        CCommunicationFactory::SetConnectionMaker(
            [this](const tagPORTINFO&) { return std::make_unique<RecordingConnection>(m_script); });
        m_port = MakePortInfo(PORT_NET);
        SetPortText(m_port.netAddress, QStringLiteral("127.0.0.1"));
        m_port.netPort = 9100;
    }
    void TearDown() override { CCommunicationFactory::SetConnectionMaker({}); }

    QString File(const QByteArray& content) {
        const QString path = m_dir.filePath(QStringLiteral("file%1.bin").arg(m_files++));
        test::WriteFileBytes(path, content);
        return path;
    }

    Script m_script;
    tagPORTINFO m_port{};
    QTemporaryDir m_dir;
    int m_files = 0;
};

} // namespace

TEST_F(FileSend, SendsTheWholeFileInOneWriteWithLongTimeouts) {
    QByteArray content(70000, '\0');
    for (int i = 0; i < content.size(); ++i)
        content[i] = char(i * 7);
    const FileSendResult result = SendFileToPrinter(File(content), m_port);
    EXPECT_TRUE(result.Ok());
    EXPECT_EQ(Calls(m_script),
              (std::vector<std::string>{"Open", "SetTimeouts 400,400", "Write 70000", "Close"}));
    EXPECT_EQ(m_script.written, content);
    ASSERT_EQ(m_script.ports.size(), 1u);
    EXPECT_TRUE(m_script.ports[0] == m_port);
}

TEST_F(FileSend, EmptyFileIsOneWriteOfLengthZero) {
    EXPECT_TRUE(SendFileToPrinter(File({}), m_port).Ok());
    EXPECT_EQ(Calls(m_script), (std::vector<std::string>{"Open", "SetTimeouts 400,400", "Write 0", "Close"}));
}

TEST_F(FileSend, CommunicationFailuresCarryCodeAndDetailAndReleaseThePort) {
    m_script.failAt = "Open";
    FileSendResult result = SendFileToPrinter(File("x"), m_port);
    EXPECT_EQ(result.status, FileSendStatus::CommunicationFailed);
    EXPECT_EQ(result.code, COMM_OPEN_FAILED);
    EXPECT_EQ(result.detail, "scripted Open");
    EXPECT_EQ(Calls(m_script), (std::vector<std::string>{"Open", "Close"}));

    m_script = {};
    m_script.failAt = "Write";
    result = SendFileToPrinter(File("abc"), m_port);
    EXPECT_EQ(result.code, COMM_FAILED);
    EXPECT_EQ(Calls(m_script).back(), "Close");

    // A failing Close after a good write is a failure too, not a success.
    m_script = {};
    m_script.failAt = "Close";
    result = SendFileToPrinter(File("abc"), m_port);
    EXPECT_EQ(result.status, FileSendStatus::CommunicationFailed);
    EXPECT_EQ(result.code, COMM_FAILED);
}

TEST_F(FileSend, UnreadableFileIsReportedApartAndNeverOpensThePort) {
    for (const QString& path : {m_dir.filePath(QStringLiteral("missing.bin")), m_dir.path()}) {
        const FileSendResult result = SendFileToPrinter(path, m_port);
        EXPECT_EQ(result.status, FileSendStatus::FileUnreadable) << path.toStdString();
        EXPECT_EQ(result.code, 0);
        EXPECT_TRUE(result.detail.startsWith(path));
    }
    EXPECT_TRUE(m_script.calls.empty());
}

TEST_F(FileSend, BlocksFollowTheLineSoThatProgressComesAboutEverySecond) {
    EXPECT_EQ(FileSendBlockBytes(m_port), kFileSendBlockBytes);
    tagPORTINFO serial = MakePortInfo(PORT_COM);
    serial.baudRate = 9600;
    EXPECT_EQ(FileSendBlockBytes(serial), 1024);
    serial.baudRate = 115200;
    EXPECT_EQ(FileSendBlockBytes(serial), 11520);
    serial.baudRate = 921600 * 16;
    EXPECT_EQ(FileSendBlockBytes(serial), kFileSendBlockBytes);

    // A file of two and a half blocks: three writes, progress after each, the total known.
    const QByteArray content(int(kFileSendBlockBytes * 5 / 2), 'b');
    std::vector<std::pair<qint64, qint64>> progress;
    FileSendOptions options;
    options.progress = [&](qint64 sent, qint64 total) { progress.emplace_back(sent, total); };
    ASSERT_TRUE(SendFileToPrinter(File(content), m_port, options).Ok());
    const qint64 size = content.size();
    EXPECT_EQ(progress, (std::vector<std::pair<qint64, qint64>>{
                            {kFileSendBlockBytes, size}, {2 * kFileSendBlockBytes, size}, {size, size}}));
    EXPECT_EQ(m_script.written, content);
}
