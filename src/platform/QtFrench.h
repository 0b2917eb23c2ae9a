#pragma once
// Qt's own texts (file dialogs, standard buttons, the colour, font and print dialogs) in French,
// whatever the user's locale: the program speaks French throughout.
class QCoreApplication;

// Installs Qt's French translations (qtbase_fr from Qt's translations directory, Debian package
// qt6-translations-l10n) on app. False when they are not installed: Qt's texts then stay English.
bool installQtFrench(QCoreApplication& app);
