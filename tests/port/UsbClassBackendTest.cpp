#include "port/backends/Backends.h"

#include "BackendTestSupport.h"
#include "support/PtyPair.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace quillory;
using namespace quillory::test;

namespace {

// A fake sysfs and /dev: printers are class/usbmisc/lpN/device/ieee1284_id, nodes dev/usb/lpN.
class FakeUsbTree {
public:
    FakeUsbTree() {
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
        qputenv(kSysfsRootVariable, m_dir.filePath("sys").toLocal8Bit());
        qputenv(kDevRootVariable, m_dir.filePath("dev").toLocal8Bit());
        QDir().mkpath(m_dir.filePath("dev/usb"));
    }
    ~FakeUsbTree() {
        qunsetenv(kSysfsRootVariable);
        qunsetenv(kDevRootVariable);
    }
    void AddPrinter(const QString& lp, const QByteArray& deviceId) {
        const QString folder = m_dir.filePath("sys/class/usbmisc/" + lp + "/device");
        QDir().mkpath(folder);
        WriteFileBytes(folder + "/ieee1284_id", deviceId);
    }
    // The device node of lp as a link to target (a pty slave or a file).
    void AddNode(const QString& lp, const QString& target) { QFile::link(target, NodePath(lp)); }
    [[nodiscard]] QString NodePath(const QString& lp) const { return m_dir.filePath("dev/usb/" + lp); }

private:
    QTemporaryDir m_dir;
};

tagPORTINFO UsbClassInfo(const QString& model) {
    tagPORTINFO info = MakePortInfo(PORT_USBCLASS);
    SetPortText(info.usbClassName, model);
    return info;
}

} // namespace

TEST(UsbClass, DeviceIdFieldsAreFoundByKey) {
    const QByteArray id = "MFG:Quillory;CMD:VKLZ,VKLE;MDL:QL-200 Label;CLS:PRINTER;";
    EXPECT_EQ(Ieee1284Field(id, "MDL"), "QL-200 Label");
    EXPECT_EQ(Ieee1284Field(id, "MFG"), "Quillory");
    EXPECT_EQ(Ieee1284Field(" MDL: Spaced ;", "MDL"), "Spaced");
    EXPECT_EQ(Ieee1284Field("MODEL:Long form;", "MDL"), "");
    EXPECT_EQ(Ieee1284Field("XMDL:Other;MDL", "MDL"), "");
    EXPECT_EQ(Ieee1284Field({}, "MDL"), "");
}

TEST(UsbClass, PrintersAreListedByModelInMinorOrder) {
    FakeUsbTree tree;
    tree.AddPrinter("lp10", "MFG:Q;MDL:Tenth;");
    tree.AddPrinter("lp2", "MFG:Q;MDL:Second;");
    tree.AddPrinter("lp0", "MFG:Q;MDL:First;");
    tree.AddPrinter("lp1", "MFG:Q;CLS:PRINTER;"); // no model: not listed
    tree.AddPrinter("lp3", "MODEL:Long Form;");
    EXPECT_EQ(EnumerateUsbClassPrinters(), QStringList({"First", "Second", "Long Form", "Tenth"}));

    // Through the connection: "@"-ended names in a zeroed buffer, never more than fits.
    auto port = MakeUsbClassBackend();
    char buffer[kListBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    port->EnumUsbClass(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "First@Second@Long Form@Tenth@");
    char small[14];
    port->EnumUsbClass(small, sizeof small);
    EXPECT_STREQ(small, "First@Second@");
}

TEST(UsbClass, NoUsbPrintersGivesAnEmptyList) {
    FakeUsbTree tree;
    EXPECT_TRUE(EnumerateUsbClassPrinters().isEmpty());
}

TEST(UsbClass, OpenFindsTheNodeByModelAndExchangesBytes) {
    FakeUsbTree tree;
    PtyPair pty;
    ASSERT_TRUE(pty.IsValid());
    tree.AddPrinter("lp0", "MDL:Other;");
    tree.AddPrinter("lp1", "MFG:Q;MDL:QL-200;");
    tree.AddNode("lp0", "/nonexistent");
    tree.AddNode("lp1", pty.SlavePath());

    auto port = MakeUsbClassBackend();
    port->Open(UsbClassInfo("QL-200"));
    port->SetTimeouts(500, 1000);
    WriteAll(*port, AllByteValues());
    EXPECT_EQ(pty.ReadMaster(256), AllByteValues());
    ASSERT_TRUE(pty.WriteMaster("OK\r\n"));
    EXPECT_EQ(ReadOnce(*port), QByteArray("OK\r\n"));

    port->SetTimeouts(50, 1000);
    EXPECT_EQ(ReadOnce(*port), QByteArray()); // silence is no error

    pty.CloseMaster(); // unplugged
    EXPECT_EQ(CodeOf([&] { ReadOnce(*port); }), COMM_FAILED);
    port->Close();
    port->Close();
}

TEST(UsbClass, OpenFailuresCarryTheirCodes) {
    FakeUsbTree tree;
    tree.AddPrinter("lp0", "MDL:Unplugged;");
    auto port = MakeUsbClassBackend();
    QString detail;
    EXPECT_EQ(CodeOf([&] { port->Open(UsbClassInfo("")); }), COMM_BAD_PARAMETER);
    EXPECT_EQ(CodeOf([&] { port->Open(UsbClassInfo("Absent")); }, &detail), COMM_OPEN_FAILED);
    EXPECT_TRUE(detail.contains("Absent")) << detail.toStdString();
    // Listed by sysfs, but the node is gone.
    EXPECT_EQ(CodeOf([&] { port->Open(UsbClassInfo("Unplugged")); }), COMM_OPEN_FAILED);
    EXPECT_EQ(CodeOf([&] { WriteAll(*port, "x"); }), COMM_FAILED);
}

TEST(UsbClass, NodeWithoutPermissionIsAccessDenied) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    FakeUsbTree tree;
    tree.AddPrinter("lp0", "MDL:Locked;");
    WriteFileBytes(tree.NodePath("lp0"), {});
    ::chmod(QFile::encodeName(tree.NodePath("lp0")).constData(), 0600);
    EXPECT_EXIT(ExitWithCodeAsNobody([&] { MakeUsbClassBackend()->Open(UsbClassInfo("Locked")); }),
                ::testing::ExitedWithCode(COMM_ACCESS_DENIED), "");
}
