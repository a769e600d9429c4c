#include "app/ui/QuilloryApp.h"

#include "app/AppSettings.h"
#include "app/SingleInstance.h"
#include "app/ui/QuilloryDlg.h"

#include <QApplication>
#include <QIcon>

namespace quillory {

int CQuilloryApp::Run(int argc, char** argv) {
    // The lock comes first: a second copy must not even open a display connection.
    CSingleInstanceLock instance;
    if (!instance.TryLock())
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLORY_VERSION));

    InitUserSettings();

    CQuilloryDlg window;
    window.show();
    return QApplication::exec();
}

} // namespace quillory
