#include "app/ui/Help.h"

#include "app/AppSettings.h"

#include <QDesktopServices>
#include <QUrl>

namespace quillory {

bool OpenHelp() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(HelpGuidePath(ReadLanguage())));
    return true;
}

} // namespace quillory
