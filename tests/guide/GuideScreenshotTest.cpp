// Draws the pictures of the user guide and the README: the whole program window on every page,
// filled from a virtual printer, and its dialogs, in each language, into
// <build>/screenshots/guide/<language>/. scripts/guide-images.sh copies them into
// resources/Guide/images. The checks make sure each picture shows what the guide says it shows.
#include "app/ActivityLog.h"
#include "app/AppSettings.h"
#include "app/ShellTestSupport.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/ActivityPanel.h"
#include "app/ui/InstructionHostPage.h"
#include "app/ui/Messages.h"
#include "app/ui/PasswordDlg.h"
#include "app/ui/QuilloryDlg.h"
#include "app/ui/QuillorySetDlg.h"
#include "eeprom/ui/EepromScreen.h"
#include "port/ui/CommunicationSettingDlg.h"
#include "port/ui/NetworkSetDlg.h"
#include "port/ui/PrinterSearch.h"
#include "port/ui/WizardDlg.h"
#include "settings/ui/PrinterSetScreen.h"
#include "support/CupsServer.h"
#include "support/ScreenFixture.h"
#include "tools/ui/DebugDlg.h"
#include "tools/ui/DownLoadDlg.h"
#include "tools/ui/LogoEditDlg.h"
#include "tools/ui/NetworkDlg.h"
#include "tools/ui/ScintillaWnd.h"
#include "tools/ui/TabEdit.h"
#include "tools/ui/ToolsDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

class GuideShots {
public:
    explicit GuideShots(int language)
        : m_folder(ScreenshotFolder(QStringLiteral("guide/") + QLatin1String(kLanguageSuffixes[language]))) {}

    void Save(QWidget& widget, const char* name) {
        widget.show();
        QApplication::processEvents();
        const QPixmap shot = widget.grab();
        ASSERT_FALSE(shot.isNull()) << name;
        EXPECT_TRUE(shot.save(m_folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
    }

private:
    QString m_folder;
};

CShellParts WithoutWizard() {
    CShellParts parts = CShellParts::Standard();
    parts.makeWizard = [](QWidget*) { return std::unique_ptr<QDialog>(); };
    return parts;
}

// A black and white picture for the logo page: a ring and the program's name.
QString DrawLogoPicture(const TempEnvironment& env) {
    QImage picture(512, 128, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 18));
    painter.drawEllipse(24, 16, 96, 96);
    QFont font = painter.font();
    font.setPixelSize(84);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(140, 0, 372, 128), Qt::AlignVCenter, QStringLiteral("Quill"));
    painter.end();
    const QString path = env.Path(QStringLiteral("logo.png"));
    picture.save(path);
    return path;
}

template <typename Screen>
Screen* HostedScreen(CQuilloryDlg& window, int page) {
    auto* host = qobject_cast<CInstructionHostPage*>(window.Page(page));
    return host ? qobject_cast<Screen*>(host->Screen(host->InstructionInView())) : nullptr;
}

} // namespace

TEST(GuideScreenshots, EveryPageOfTheProgramInEveryLanguage) {
    PrinterWorld world(INSTRUCTION_VKLZ);
    const std::uint16_t search = world.printer.StartSearchResponder(0);
    ASSERT_NE(search, 0);
    qputenv("QUILLORY_SEARCH_TARGETS", QByteArrayLiteral("127.0.0.1:") + QByteArray::number(search));
    const QString picture = DrawLogoPicture(world.env);
    const QString firmware = world.env.Path(QStringLiteral("firmware-1.2.bin"));
    WriteFileBytes(firmware, QByteArray(4096, '\x5a'));

    for (int language = 0; language < 3; ++language) {
        SCOPED_TRACE(kLanguageSuffixes[language]);
        WriteLanguage(language);
        GuideShots shots(language);
        CMessageCapture messages;
        CActivityLog::Instance().Clear();

        {
            CWizardDlg wizard;
            shots.Save(wizard, "wizard_step1");
            wizard.OnNext();
            shots.Save(wizard, "wizard_step2");
        }

        ASSERT_EQ(ReadPortInfo().portType, PORT_NET);
        CQuilloryDlg window(WithoutWizard());
        window.show();

        // Print settings as read from the printer.
        window.RunCommand(CQuilloryDlg::IDC_PRINTER_SETTINGS);
        auto* settings = HostedScreen<CPrinterSetScreen>(window, PAGE_PRINTER_SETTINGS);
        ASSERT_NE(settings, nullptr);
        settings->ControlAs<QPushButton>(settings->Blueprint().readId)->click();
        ASSERT_TRUE(WaitUntil([&] { return !settings->IsBusy(); }));
        EXPECT_EQ(messages.Texts(), QStringList{GetMessageText("ReadPrinterSuccess", language)});
        messages.Clear();
        shots.Save(window, "print_settings");

        // The port page loads the saved port when it is brought into view from another page.
        window.RunCommand(CQuilloryDlg::IDC_SELECT_PRINTER);
        auto* port = qobject_cast<CCommunicationSettingDlg*>(window.Page(PAGE_PORT));
        ASSERT_NE(port, nullptr);
        auto* portType = port->ControlAs<QComboBox>(CCommunicationSettingDlg::IDC_PORT_TYPE);
        ASSERT_EQ(portType->currentIndex(), SUBPAGE_NET);
        // A search finds the virtual printer through its loopback search responder.
        auto* net = qobject_cast<CNetworkSetDlg*>(port->SubPages().Page(SUBPAGE_NET));
        ASSERT_NE(net, nullptr);
        net->Search();
        ASSERT_TRUE(WaitUntil([&] { return !net->PrinterSearch().IsRunning(); }, 20000));
        auto* found = net->ControlAs<QComboBox>(CNetworkSetDlg::IDC_ADDRESS);
        EXPECT_TRUE(found->isEnabled());
        EXPECT_GE(found->findText(QStringLiteral("127.0.0.1")), 0);
        net->ShowPortInfo(ReadPortInfo());
        shots.Save(window, "port_network");
        portType->setCurrentIndex(SUBPAGE_COM);
        shots.Save(window, "port_serial");
        portType->setCurrentIndex(SUBPAGE_NET);

        {
            CPasswordDlg password;
            shots.Save(password, "password");
        }

        // The EEPROM pages behind the access code, read from the printer; reached from the
        // print setup button, as an operator would.
        window.RunCommand(CQuilloryDlg::IDC_PRINTER_SETTINGS);
        {
            ModalDriver<CPasswordDlg> enter([](CPasswordDlg* dialog) {
                dialog->ControlAs<QLineEdit>(CPasswordDlg::IDC_PASSWORD)->setText(QStringLiteral("kfry"));
                dialog->ControlAs<QPushButton>(CPasswordDlg::IDOK_BUTTON)->click();
            });
            window.RunCommand(CQuilloryDlg::IDC_ADVANCED_SETTINGS);
        }
        ASSERT_EQ(window.CurrentPage(), PAGE_EEPROM);
        auto* eeprom = HostedScreen<CEepromScreen>(window, PAGE_EEPROM);
        ASSERT_NE(eeprom, nullptr);
        eeprom->ControlAs<QPushButton>(eeprom->Blueprint().readId)->click();
        ASSERT_TRUE(WaitUntil([&] { return !eeprom->IsBusy(); }, 30000));
        ASSERT_EQ(messages.Messages().size(), 1);
        messages.Clear();
        shots.Save(window, "eeprom_page1");
        eeprom->Tabs()->setCurrentIndex(1);
        shots.Save(window, "eeprom_page2");

        window.RunCommand(CQuilloryDlg::IDC_NETWORK_SETTINGS);
        auto* network = qobject_cast<CNetworkDlg*>(window.Page(PAGE_NETWORK));
        ASSERT_NE(network, nullptr);
        shots.Save(window, "network_wired");
        network->ControlAs<QComboBox>(CNetworkDlg::IDC_INTERFACE)->setCurrentIndex(1);
        network->ControlAs<QCheckBox>(CNetworkDlg::IDC_SECURITY)->setChecked(true);
        network->ControlAs<QComboBox>(CNetworkDlg::IDC_ENCRYPTION)->setCurrentIndex(3);
        network->ControlAs<QLineEdit>(CNetworkDlg::IDC_KEY)->setText(QStringLiteral("a secret pass phrase"));
        shots.Save(window, "network_wireless");
        network->ControlAs<QComboBox>(CNetworkDlg::IDC_INTERFACE)->setCurrentIndex(0);

        // The debug terminal after one exchange: the version query and the printer's answer.
        window.RunCommand(CQuilloryDlg::IDC_TOOLBOX);
        auto* debug = qobject_cast<CDebugDlg*>(window.Page(PAGE_DEBUG));
        ASSERT_NE(debug, nullptr);
        debug->Editor()->CurrentDocument()->SetBytes("~WN01@version~");
        debug->ControlAs<QCheckBox>(CDebugDlg::IDC_TIME_STAMPS)->setChecked(true);
        ASSERT_TRUE(debug->SendOnce());
        ASSERT_TRUE(WaitUntil([&] { return !debug->IsExchangeRunning(); }));
        EXPECT_TRUE(debug->ReplyText().contains(QStringLiteral("VKLZ"))) << debug->ReplyText().toStdString();
        shots.Save(window, "debug_terminal");

        window.RunCommand(CQuilloryDlg::IDC_QUICK_OPERATIONS);
        auto* tools = qobject_cast<CToolsDlg*>(window.Page(PAGE_TOOLS));
        ASSERT_NE(tools, nullptr);
        auto* labels = tools->ControlAs<QListWidget>(CToolsDlg::IDC_LABEL_LIST);
        ASSERT_GT(labels->count(), 0);
        labels->setCurrentRow(0);
        shots.Save(window, "tools");

        // The activity log of this session: every operation above, with its outcome.
        window.ActivityBar()->SetLogVisible(true);
        EXPECT_EQ(CActivityLog::Instance().Count(), 4);
        shots.Save(window, "activity_log");
        window.ActivityBar()->SetLogVisible(false);

        window.RunCommand(CQuilloryDlg::IDC_LCD_LOGO);
        {
            FileDialogAnswer answer(picture);
            window.Page(PAGE_LOGO)->ControlAs<QPushButton>(CLogoEditDlg::IDC_OPEN)->click();
        }
        EXPECT_TRUE(messages.Messages().isEmpty());
        // Sent to the printer, whose outcome the activity line then shows.
        auto* logo = qobject_cast<CLogoEditDlg*>(window.Page(PAGE_LOGO));
        ASSERT_NE(logo, nullptr);
        logo->ControlAs<QPushButton>(CLogoEditDlg::IDC_DOWNLOAD)->click();
        ASSERT_TRUE(WaitUntil([&] { return !logo->IsBusy(); }));
        EXPECT_EQ(CActivityLog::Instance().Entries().constLast().message,
                  GetMessageText("LogoDownloaded", language));
        shots.Save(window, "logo");

        {
            CDownLoadDlg download(language, ReadPortInfo());
            FileDialogAnswer answer(firmware);
            download.ControlAs<QPushButton>(CDownLoadDlg::IDC_OPEN)->click();
            auto* path = download.ControlAs<QLineEdit>(CDownLoadDlg::IDC_PATH);
            EXPECT_EQ(path->text(), firmware);
            // The picture shows a path a reader may have, not the test's temporary folder.
            path->setText(QStringLiteral("/home/operator/firmware-1.2.bin"));
            path->setCursorPosition(0);
            shots.Save(download, "download");
        }
        {
            CQuillorySetDlg programSettings;
            shots.Save(programSettings, "program_settings");
        }
        {
            CAboutDlg about(language);
            shots.Save(about, "about");
        }

        EXPECT_TRUE(messages.Messages().isEmpty()) << messages.Texts().join(u'\n').toStdString();
    }
    qputenv("QUILLORY_SEARCH_TARGETS", "127.0.0.1:1");
}

// The driver sub-page lists the queues of a private print service, one of them for the virtual
// printer, as it looks once Driver/Setup has added a queue.
TEST(GuideScreenshots, DriverPortWithAQueue) {
    if (!CupsServer::Installed())
        GTEST_SKIP() << "cupsd is not installed";
    PrinterWorld world(INSTRUCTION_VKLZ);
    CupsServer cups;
    ASSERT_TRUE(cups.IsRunning()) << cups.ErrorText().toStdString();
    ASSERT_TRUE(cups.AddQueue(QStringLiteral("Quillory"),
                              QStringLiteral("socket://127.0.0.1:%1").arg(world.printer.TcpPort())))
        << cups.ErrorText().toStdString();
    for (int language = 0; language < 3; ++language) {
        SCOPED_TRACE(kLanguageSuffixes[language]);
        WriteLanguage(language);
        GuideShots shots(language);
        CMessageCapture messages;
        CQuilloryDlg window(WithoutWizard());
        window.show();
        window.RunCommand(CQuilloryDlg::IDC_PRINTER_SETTINGS);
        window.RunCommand(CQuilloryDlg::IDC_SELECT_PRINTER);
        auto* port = qobject_cast<CCommunicationSettingDlg*>(window.Page(PAGE_PORT));
        ASSERT_NE(port, nullptr);
        port->ControlAs<QComboBox>(CCommunicationSettingDlg::IDC_PORT_TYPE)->setCurrentIndex(SUBPAGE_DRIVER);
        QApplication::processEvents();
        EXPECT_TRUE(messages.Messages().isEmpty()) << messages.Texts().join(u'\n').toStdString();
        shots.Save(window, "port_driver");
    }
}
