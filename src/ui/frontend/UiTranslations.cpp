#include "frontend/UiTranslations.h"

#include "platform/ProgramFolder.h"
#include "platform/StringCatalogue.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Loads the first of the languages that has "<prefix><lang>.qm" in one of
// the folders; the translator is kept by app. The file loaded, or "".
QString InstallFirst(QCoreApplication& app, const std::vector<std::string>& languages,
                     const QString& prefix, const QStringList& folders) {
    for (const std::string& lang : languages) {
        for (const QString& folder : folders) {
            const QString file = folder + "/" + prefix + QString::fromStdString(lang) + ".qm";
            if (!QFileInfo::exists(file))
                continue;
            auto* translator = new QTranslator(&app);
            if (translator->load(file) && QCoreApplication::installTranslator(translator))
                return file;
            // A damaged catalogue: said, and the texts stay English.
            qWarning("The translation %s cannot be loaded.", qPrintable(file));
            delete translator;
            return {};
        }
    }
    return {};
}

} // namespace

QStringList TranslationFolders() {
    const QString exe = QString::fromStdString(GetExecutableFolder());
    return {exe + "translations", exe + "../share/vorella/translations"};
}

QString InstallTranslations(QCoreApplication& app, const QStringList& folders) {
    const std::vector<std::string> languages = WantedLanguages();
    if (languages.empty())
        return {};
    const QString file = InstallFirst(app, languages, "vorella_", folders);
    InstallFirst(app, languages, "qtbase_", {QLibraryInfo::path(QLibraryInfo::TranslationsPath)});
    return file;
}
