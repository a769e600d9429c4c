// Pictures of the network, tools and logo pages and of the download dialog in each language, for
// a person to look at (build/<preset>/screenshots); the checks only make sure they are drawn.
#include "ToolsUiSupport.h"

#include "app/ui/FileDialogs.h"
#include "app/ui/Messages.h"
#include "support/TestEnvironment.h"
#include "tools/ui/DownLoadDlg.h"
#include "tools/ui/LogoEditDlg.h"
#include "tools/ui/NetworkDlg.h"
#include "tools/ui/ToolsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

QString DrawPicture(const TempEnvironment& env) {
    QImage picture(256, 64, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::black, 6));
    painter.drawEllipse(8, 8, 48, 48);
    QFont font = painter.font();
    font.setPixelSize(40);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(70, 0, 186, 64), Qt::AlignVCenter, QStringLiteral("Quill"));
    painter.end();
    const QString path = env.Path(QStringLiteral("picture.png"));
    picture.save(path);
    return path;
}

} // namespace

TEST(ToolsScreenshots, PagesAndDownloadInEveryLanguage) {
    TempEnvironment env;
    InitUserSettings();
    WriteInstruction(INSTRUCTION_VKLZ);
    const QString picture = DrawPicture(env);
    CMessageCapture messages;
    for (int language = 0; language < 3; ++language) {
        WriteLanguage(language);
        const QString suffix = QString::fromLatin1(kLanguageSuffixes[language]);
        {
            CNetworkDlg page;
            page.resize(610, 470);
            page.ApplyLanguage(language);
            page.show();
            EXPECT_TRUE(SaveShot(page, QStringLiteral("network_wired_") + suffix));
            page.ControlAs<QComboBox>(CNetworkDlg::IDC_INTERFACE)->setCurrentIndex(1);
            page.ControlAs<QCheckBox>(CNetworkDlg::IDC_SECURITY)->setChecked(true);
            page.ControlAs<QComboBox>(CNetworkDlg::IDC_ENCRYPTION)->setCurrentIndex(3);
            page.ControlAs<QLineEdit>(CNetworkDlg::IDC_KEY)->setText(QStringLiteral("a secret pass phrase"));
            EXPECT_TRUE(SaveShot(page, QStringLiteral("network_wireless_") + suffix));
        }
        {
            CToolsDlg page;
            page.resize(610, 470);
            page.ApplyLanguage(language);
            page.ControlAs<QListWidget>(CToolsDlg::IDC_LABEL_LIST)->setCurrentRow(4);
            page.show();
            EXPECT_TRUE(SaveShot(page, QStringLiteral("tools_") + suffix));
        }
        {
            CLogoEditDlg page;
            page.resize(610, 470);
            page.ApplyLanguage(language);
            page.show();
            const FileDialogHook previous =
                SetFileDialogHook([&](const FileDialogRequest&) { return picture; });
            page.ControlAs<QPushButton>(CLogoEditDlg::IDC_OPEN)->click();
            SetFileDialogHook(previous);
            EXPECT_TRUE(SaveShot(page, QStringLiteral("logo_") + suffix));
        }
        {
            QSemaphore release;
            release.release(); // the first block goes out, the second waits
            CCommunicationFactory::SetConnectionMaker(
                [&](const tagPORTINFO&) { return std::make_unique<HeldConnection>(release); });
            CDownLoadDlg dialog(language, MakePortInfo(PORT_NET));
            dialog.show();
            const QString firmware = ScreenshotFolder() + QStringLiteral("/firmware.bin");
            WriteFileBytes(firmware, QByteArray(int(3 * kFileSendBlockBytes), 'f'));
            const FileDialogHook previous =
                SetFileDialogHook([&](const FileDialogRequest&) { return firmware; });
            dialog.ControlAs<QPushButton>(CDownLoadDlg::IDC_OPEN)->click();
            SetFileDialogHook(previous);
            dialog.ControlAs<QPushButton>(CDownLoadDlg::IDC_DOWNLOAD)->click();
            // The first block is out: the bar and the line show a third of the file.
            WaitUntil([&] { return dialog.Progress()->value() > 0; }, 5000);
            EXPECT_TRUE(SaveShot(dialog, QStringLiteral("download_running_") + suffix));
            release.release(2);
            EXPECT_TRUE(WaitUntil([&] { return !dialog.IsBusy(); }));
            EXPECT_TRUE(SaveShot(dialog, QStringLiteral("download_done_") + suffix));
            QFile::remove(firmware);
            CCommunicationFactory::SetConnectionMaker({});
        }
    }
}
