// Printers that answer junk: of the right length, without end, far too much, or a byte every few
// milliseconds whatever is asked. Every reading operation must end with code 3 in bounded time
// and memory, and no backup or settings file may be replaced by what it read.
#include "TimingContract.h"

#include "cli/CommandGroups.h"
#include "port/Communication.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sstream>
#include <sys/resource.h>

using namespace quillory;
using namespace quillory::test;

namespace {

struct Junk {
    const char* name;
    sim::Faults faults;
};

const Junk kJunk[] = {
    {"RightLength", {.garbage = true}},
    {"Endless", {.endless = true}},
    {"HugeReply", {.hugeReplyBytes = 1 << 20}},
    {"ByteEvery4ms", {.trickleMs = 4}},
};

// The longest any one operation may take against junk: a reply read ends at its buffer, a drain
// gives up after two seconds without quiet.
constexpr qint64 kOperationBoundMs = 15000;
constexpr long kMemoryBoundKiB = 100 * 1024;

using Param = std::tuple<int, int>; // junk, language

class JunkReplies : public ::testing::TestWithParam<Param> {
protected:
    TempEnvironment env;
};

int RunCliSettingsSave(std::uint16_t port, int language, const QString& file) {
    const std::string address = QStringLiteral("net:127.0.0.1:%1").arg(port).toStdString();
    const std::string lang = InstructionName(language).toStdString();
    const std::string path = file.toStdString();
    const char* args[] = {"quillory-cli", "--port",   address.c_str(), "--lang",
                          lang.c_str(),   "settings", "save",          path.c_str()};
    std::ostringstream out;
    std::ostringstream err;
    return cli::RunCli(int(std::size(args)), args, out, err);
}

} // namespace

TEST_P(JunkReplies, EveryReadingOperationFailsAndKeepsWhatWasThere) {
    const auto [junkIndex, language] = GetParam();
    const Junk& junk = kJunk[junkIndex];
    rusage before{};
    ASSERT_EQ(getrusage(RUSAGE_SELF, &before), 0);
    sim::VirtualPrinter printer(language);
    printer.SetLogInMemory(false);
    ASSERT_TRUE(printer.StartTcp(0));
    const tagPORTINFO port = TcpPort(printer.TcpPort());

    std::unique_ptr<CInstructionProtocol> object = MakeInstruction(language);
    ASSERT_EQ(object->BackupEeprom(port), 0);
    const QByteArray backup = ReadFileBytes(object->BackupFilePath());
    const QString settingsFile = env.Path("good.set");
    ASSERT_EQ(RunCliSettingsSave(printer.TcpPort(), language, settingsFile), 0);
    const QByteArray settings = ReadFileBytes(settingsFile);

    printer.SetFaults(junk.faults);
    const auto timed = [&](const char* what, const std::function<int()>& operation) {
        QElapsedTimer clock;
        clock.start();
        const int code = operation();
        EXPECT_LT(clock.elapsed(), kOperationBoundMs) << what;
        EXPECT_EQ(code, 3) << what << ": " << LastCommunicationFailure().toStdString();
    };
    timed("ReadSettings", [&] { return object->ReadSettings(port); });
    timed("BackupEeprom", [&] { return object->BackupEeprom(port); });
    if (language == 3) {
        timed("PrintFontList", [&] { return object->PrintFontList(port); });
        timed("PrintGraphicList", [&] { return object->PrintGraphicList(port); });
    } else {
        timed("ReadNetworkSettings", [&] {
            try {
                (void)object->ReadNetworkSettings(port);
                return 0;
            } catch (const CommunicationException& e) {
                return e.GetErrorCode();
            }
        });
    }
    timed("settings save",
          [&] { return RunCliSettingsSave(printer.TcpPort(), language, settingsFile) - 10; });

    EXPECT_EQ(ReadFileBytes(object->BackupFilePath()), backup);
    EXPECT_EQ(ReadFileBytes(settingsFile), settings);
    rusage usage{};
    ASSERT_EQ(getrusage(RUSAGE_SELF, &usage), 0);
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's shadow memory alone is about this much: what the exchanges added counts.
    EXPECT_LT(usage.ru_maxrss - before.ru_maxrss, kMemoryBoundKiB) << "growth of resident memory in KiB";
#else
    EXPECT_LT(usage.ru_maxrss, kMemoryBoundKiB) << "peak resident memory in KiB";
#endif
}

INSTANTIATE_TEST_SUITE_P(Printers, JunkReplies,
                         ::testing::Combine(::testing::Range(0, int(std::size(kJunk))),
                                            ::testing::Range(0, 5)),
                         [](const ::testing::TestParamInfo<Param>& info) {
                             return std::string(kJunk[std::get<0>(info.param)].name) + "_" +
                                    InstructionName(std::get<1>(info.param)).toStdString();
                         });
