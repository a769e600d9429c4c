#include "app/ui/SiblingTools.h"

#include "app/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace quillory {

QStringList SiblingToolCandidates(SiblingTool tool) {
    const QString relative = tool == SiblingTool::FontTool ? QStringLiteral("GlyphPusher/GlyphPusher")
                                                           : QStringLiteral("StateWatch/State Watch");
    const QString base = QDir::cleanPath(ProgramFolder() + QStringLiteral("/../") + relative);
    return {base, base + QStringLiteral(".exe")};
}

QString FindSiblingTool(SiblingTool tool) {
    for (const QString& candidate : SiblingToolCandidates(tool)) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable())
            return candidate;
    }
    return {};
}

bool StartSiblingTool(SiblingTool tool, const QString& portString) {
    for (const QString& candidate : SiblingToolCandidates(tool)) {
        const QFileInfo info(candidate);
        if (!info.isFile() || !info.isExecutable())
            continue;
        if (QProcess::startDetached(candidate, {portString}, info.absolutePath()))
            return true;
    }
    return false;
}

} // namespace quillory
