#include "settings/SettingsScreenRules.h"

namespace quillory {

QString ClockText(const QDateTime& time, const QString& suffix) {
    return time.toString(QStringLiteral("MM,dd,yyyy,HH,mm,ss")) + suffix;
}

} // namespace quillory
