#pragma once

// Running the command line in a test: in this process, or as its own program.
#include "cli/CommandGroups.h"
#include "port/PortInfo.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"

#include <QProcess>

#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

namespace quillory::test {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// The command line run in this process.
inline CliRun RunInProcess(std::vector<const char*> args) {
    args.insert(args.begin(), "quillory-cli");
    std::ostringstream out;
    std::ostringstream err;
    CliRun run;
    run.status = cli::RunCli(int(args.size()), args.data(), out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// The command line as its own program.
inline CliRun RunProgram(const TempEnvironment& env, const QStringList& args) {
    QProcess process;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("XDG_CONFIG_HOME", env.ConfigFolder());
    e.insert("XDG_DATA_HOME", env.Path("data"));
    e.insert("QUILLORY_PROGRAM_DIR", env.ProgramFolder());
    e.insert("QUILLORY_SEARCH_TARGETS", "127.0.0.1:1");
    process.setProcessEnvironment(e);
    process.start(BuildProgramFolder() + "/quillory-cli", args);
    CliRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

inline QString NetPortAddress(std::uint16_t port) {
    return QStringLiteral("net:127.0.0.1:%1").arg(port);
}

// A command-line test against a virtual printer of the parameter's language on loopback TCP; the
// parameter is the language's index or holds it (its member index).
template <typename Param>
int LanguageOfParam(const Param& param) {
    if constexpr (std::is_same_v<Param, int>)
        return param;
    else
        return param.index;
}

template <typename Param = int>
class VirtualPrinterCliOf : public ::testing::TestWithParam<Param> {
protected:
    TempEnvironment env;
    sim::VirtualPrinter printer{LanguageOfParam(this->GetParam())};
    std::string port;
    std::string lang = InstructionName(LanguageOfParam(this->GetParam())).toStdString();

    void SetUp() override {
        ASSERT_TRUE(printer.StartTcp(0));
        port = NetPortAddress(printer.TcpPort()).toStdString();
    }
    CliRun Run(std::vector<const char*> args) {
        args.insert(args.begin(), {"--port", port.c_str(), "--lang", lang.c_str()});
        return RunInProcess(args);
    }
};
using VirtualPrinterCli = VirtualPrinterCliOf<>;

} // namespace quillory::test
