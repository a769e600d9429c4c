// Writes pictures of the port page with each sub-page and of both wizard steps, in each
// language, into <build>/screenshots for a person to look at; the checks only make sure they
// are drawn.
#include "app/AppSettings.h"
#include "port/ui/CommunicationSettingDlg.h"
#include "port/ui/DriverSetDlg.h"
#include "port/ui/PortSubPage.h"
#include "port/ui/WizardDlg.h"
#include "support/TestEnvironment.h"

#include "../FakePort.h"
#include "PortUiTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::test;

namespace {

void Save(QWidget& widget, const QString& name) {
    Settle();
    const QPixmap shot = widget.grab();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(ScreenshotFolder() + QLatin1Char('/') + name + QStringLiteral(".png")));
}

const char* const kSubPageNames[] = {"com", "lpt", "usb", "net", "driver"};

} // namespace

TEST(PortScreenshots, PortPageWithEverySubPageInEveryLanguage) {
    TempEnvironment env;
    InitUserSettings();
    NoPrintService noPrintService;
    FakePortScope fake;
    fake.world->usbClassNames = {"QL-200 Label"};
    for (int language = 0; language < 3; ++language) {
        WriteLanguage(language);
        const QString suffix = QString::fromLatin1(kLanguageSuffixes[language]);
        CCommunicationSettingDlg page;
        page.resize(610, 470);
        page.ApplyLanguage(language);
        page.show();
        for (int index = 0; index < kPortSubPageCount; ++index) {
            page.ControlAs<QComboBox>(CCommunicationSettingDlg::IDC_PORT_TYPE)->setCurrentIndex(index);
            Save(page, QStringLiteral("port_page_%1_%2").arg(QLatin1String(kSubPageNames[index]), suffix));
        }
        page.SubPages().Page(SUBPAGE_DRIVER)->ControlAs<QRadioButton>(CDriverSetDlg::IDC_NETWORK)->click();
        Save(page, QStringLiteral("port_page_driver_network_") + suffix);
    }
}

TEST(PortScreenshots, BothWizardStepsInEveryLanguage) {
    TempEnvironment env;
    InitUserSettings();
    NoPrintService noPrintService;
    for (int language = 0; language < 3; ++language) {
        WriteLanguage(language);
        const QString suffix = QString::fromLatin1(kLanguageSuffixes[language]);
        CWizardDlg wizard;
        wizard.show();
        Save(wizard, QStringLiteral("wizard_step1_") + suffix);
        wizard.OnNext();
        Save(wizard, QStringLiteral("wizard_step2_") + suffix);
        wizard.ControlAs<QComboBox>(CWizardDlg::IDC_PORT_TYPE)->setCurrentIndex(SUBPAGE_DRIVER);
        Save(wizard, QStringLiteral("wizard_step2_driver_") + suffix);
    }
}
