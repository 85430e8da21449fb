#pragma once
// The program speaks French whatever the environment: Qt's own texts (standard buttons, file
// dialogs, context menus of edit fields) come from Qt's French translation, and the default
// locale is French.

class QCoreApplication;
class QTranslator;

// Sets the default locale to French and installs Qt's French translation on the application.
// Returns the translator installed (owned by the application), or null when Qt's translation
// could not be found; the program then runs with Qt's English texts.
QTranslator *InstalleFrancais(QCoreApplication *Application);
