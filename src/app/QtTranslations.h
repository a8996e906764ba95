#pragma once

class QCoreApplication;
class QLocale;

namespace tarnwick {

// Loads Qt's own translations for the interface's language, so that the standard dialogs and
// buttons ("Look in", "Save", "Cancel") speak it as well. True when they were found (or the
// language is English, Qt's own); the program works either way.
bool InstallQtTranslations(QCoreApplication& application, const QLocale& language);

}  // namespace tarnwick
