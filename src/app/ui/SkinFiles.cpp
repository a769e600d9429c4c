#include "app/ui/SkinFiles.h"

#include "app/AppPaths.h"

namespace quillory {

QString SkinFolder() {
    return ResourcePath(QStringLiteral("skin"));
}

QString SkinFile(const QString& name) {
    return SkinFolder() + QLatin1Char('/') + name;
}

} // namespace quillory
