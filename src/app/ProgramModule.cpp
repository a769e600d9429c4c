#include "app/ProgramModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>

namespace quillory {

ProgramModuleEntry LoadProgramModule(const QString& moduleName, const char* entryName) {
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QString folder = executable.section(QLatin1Char('/'), 0, -2);
    const QStringList candidates{
        folder + QLatin1Char('/') + moduleName,
        QDir::cleanPath(folder + QStringLiteral("/" QUILLORY_MODULE_DIR_FROM_BINDIR "/") + moduleName)};
    ProgramModuleEntry loaded;
    for (const QString& candidate : candidates) {
        if (!QFileInfo::exists(candidate))
            continue;
        void* handle = ::dlopen(QFile::encodeName(candidate).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            loaded.problem = QString::fromLocal8Bit(::dlerror());
            continue;
        }
        if (void* entry = ::dlsym(handle, entryName)) {
            loaded.entry = entry;
            loaded.problem.clear();
            return loaded;
        }
        loaded.problem = QStringLiteral("%1 has no function %2").arg(candidate, QLatin1String(entryName));
    }
    if (loaded.problem.isEmpty())
        loaded.problem = QStringLiteral("%1 is not installed (looked in %2)")
                             .arg(moduleName, candidates.join(QStringLiteral(" and ")));
    return loaded;
}

} // namespace quillory
