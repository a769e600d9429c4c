#include "app/ui/QtTranslations.h"

#include "app/AppSettings.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace quillory {
namespace {

// Owned by the application object, so that it goes with it.
QPointer<QTranslator> gInstalled;

} // namespace

QString QtTranslationName(int languageIndex) {
    switch (languageIndex) {
    case LANGUAGE_SIMPLIFIED_CHINESE:
        return QStringLiteral("qtbase_zh_CN");
    case LANGUAGE_TRADITIONAL_CHINESE:
        return QStringLiteral("qtbase_zh_TW");
    default:
        return {};
    }
}

bool UseQtTranslations(int languageIndex) {
    if (!QCoreApplication::instance())
        return false;
    if (gInstalled) {
        QCoreApplication::removeTranslator(gInstalled);
        delete gInstalled.data();
    }
    const QString name = QtTranslationName(languageIndex);
    if (name.isEmpty())
        return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    // Debian keeps them in its Qt translations folder (package qt6-translations-l10n).
    for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                  QStringLiteral("/usr/share/qt6/translations")}) {
        if (translator->load(name, folder)) {
            QCoreApplication::installTranslator(translator);
            gInstalled = translator;
            return true;
        }
    }
    delete translator;
    return false;
}

} // namespace quillory
