// The desktop program in the user's language: its own catalogue
// ("vorella_de.qm") and Qt's ("qtbase_de.qm", for the buttons and dialogs Qt
// draws), chosen by the same rule as the core's messages (WantedLanguages).
#pragma once

#include <QStringList>

class QCoreApplication;

// Where the program's catalogues are looked for, in order: the executable's
// "translations/" (the build tree, a portable install) and the installed
// "share/vorella/translations/".
QStringList TranslationFolders();

// Installs on app the catalogues of the most wanted language that has one,
// each kept by app. Returns the program's catalogue file used, or an empty
// string when the texts stay English.
QString InstallTranslations(QCoreApplication& app,
                            const QStringList& folders = TranslationFolders());
